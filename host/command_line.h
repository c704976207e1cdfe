// Reading the command line: the argument text behind the program name and
// the mode letter with its window-handle number.
// Pure code: the Win32 side passes CharNextA in as the character stepper.
#ifndef RUXA_HOST_COMMAND_LINE_H
#define RUXA_HOST_COMMAND_LINE_H

#include <cstdint>

// Returns the start of the character after the one at `text` (which is never
// the terminating zero).  Win32 passes CharNextA so double-byte characters
// are never split.
typedef const char* (*NextCharFunction)(const char* text);

// The module's own file name, in its long and its short form; either may be
// null or empty where it is not known.
struct ModulePaths {
    const char* Long;
    const char* Short;
};

// The argument text behind the program name: a quoted name is skipped up to
// and including its closing quote, an unquoted one up to the first byte of
// 32 or less; then every byte from 1 to 32 is stepped over.  An unquoted
// name that is one of the module's own paths, followed by such a byte or
// the end, is skipped whole, blanks and all (letters compared in either
// case).
const char* FindArgumentText(const char* commandLine, NextCharFunction nextChar,
                             ModulePaths ownPaths = {nullptr, nullptr});

enum SaverMode {
    ModeConfigure,            // configure dialog without owner
    ModeConfigureForeground,  // configure dialog owned by the foreground window
    ModeFullScreen,
    ModePreview,              // Handle: the parent window's number
    ModeChangePassword,       // Handle: the owner window's number (0: none given)
    ModeNone                  // no runnable mode: exit code -1
};

struct ModeChoice {
    SaverMode Mode;
    uint32_t Handle;
};

// Reads the mode letter after blanks, '-' and '/' (not tabs); for a, p and l
// also the blanks and the decimal number behind the letter.
ModeChoice ScanModeLetter(const char* arguments);

// The decimal number at the start of `text`, wrapping modulo 2^32; no sign,
// no hexadecimal form; text without a leading digit gives 0.
uint32_t ParseWindowHandle(const char* text);

#endif
