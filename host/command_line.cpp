#include "host/command_line.h"

// Steps one character with the injected stepper, but never past the
// terminating zero, even if the stepper would treat a lead byte at the end of
// the text as the first half of a pair.
static const char* StepChar(const char* text, NextCharFunction nextChar)
{
    const char* next = nextChar(text);
    if (next <= text) {
        return text + 1;
    }
    for (const char* p = text + 1; p < next; ++p) {
        if (*p == '\0') {
            return p;
        }
    }
    return next;
}

static char FoldCase(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Where `text` goes on behind `path` when it starts with it, compared
// character by character: single bytes in either case, as file names
// match; the bytes of a double-byte character exactly.  Null otherwise.
static const char* AfterPath(const char* text, const char* path, NextCharFunction nextChar)
{
    while (*path != '\0') {
        if (*text == '\0')
            return nullptr;
        const char* nextPath = StepChar(path, nextChar);
        const char* nextText = StepChar(text, nextChar);
        const int length = int(nextPath - path);
        if (int(nextText - text) != length)
            return nullptr;
        for (int i = 0; i < length; ++i) {
            if (length == 1 ? FoldCase(text[i]) != FoldCase(path[i]) : text[i] != path[i])
                return nullptr;
        }
        text = nextText;
        path = nextPath;
    }
    return text;
}

// The end of the module's own path, long or short, at the start of an
// unquoted command line and followed by a blank, a control byte or the
// end; null when neither form stands there.
static const char* AfterOwnPath(const char* commandLine, NextCharFunction nextChar, ModulePaths ownPaths)
{
    const char* end = nullptr;
    const char* const paths[] = {ownPaths.Long, ownPaths.Short};
    for (const char* path : paths) {
        if (path == nullptr || *path == '\0')
            continue;
        const char* after = AfterPath(commandLine, path, nextChar);
        if (after != nullptr && static_cast<unsigned char>(*after) <= 32 && (end == nullptr || after > end))
            end = after;
    }
    return end;
}

const char* FindArgumentText(const char* commandLine, NextCharFunction nextChar, ModulePaths ownPaths)
{
    const char* p = commandLine;
    const char* ownPathEnd = *p != '"' ? AfterOwnPath(p, nextChar, ownPaths) : nullptr;
    if (ownPathEnd != nullptr) {
        p = ownPathEnd;
    } else if (*p == '"') {
        p = StepChar(p, nextChar);
        while (*p != '\0' && *p != '"') {
            p = StepChar(p, nextChar);
        }
        if (*p == '"') {
            ++p;
        }
    } else if (static_cast<unsigned char>(*p) > 32) {
        while (static_cast<unsigned char>(*p) > 32) {
            p = StepChar(p, nextChar);
        }
    }
    while (*p != '\0' && static_cast<unsigned char>(*p) <= 32) {
        ++p;
    }
    return p;
}

uint32_t ParseWindowHandle(const char* text)
{
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    }
    return value;
}

ModeChoice ScanModeLetter(const char* arguments)
{
    const char* p = arguments;
    while (*p == ' ' || *p == '-' || *p == '/') {
        ++p;
    }
    SaverMode mode;
    switch (*p) {
    case '\0': return {ModeConfigure, 0};
    case 'c': case 'C': return {ModeConfigureForeground, 0};
    case 's': case 'S': return {ModeFullScreen, 0};
    case 'p': case 'P': case 'l': case 'L': mode = ModePreview; break;
    case 'a': case 'A': mode = ModeChangePassword; break;
    default: return {ModeNone, 0};
    }
    ++p;
    while (*p == ' ') {
        ++p;
    }
    return {mode, ParseWindowHandle(p)};
}
