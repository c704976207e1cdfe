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

const char* FindArgumentText(const char* commandLine, NextCharFunction nextChar)
{
    const char* p = commandLine;
    if (*p == '"') {
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
