// Reading the command line: the argument text behind the program name, the
// mode letter with its window-handle number, and the close gate's arithmetic.
// Pure code: the Win32 side passes CharNextA in as the character stepper.
#ifndef RUXA_HOST_COMMAND_LINE_H
#define RUXA_HOST_COMMAND_LINE_H

#include <cstdint>

// Returns the start of the character after the one at `text` (which is never
// the terminating zero).  Win32 passes CharNextA so double-byte characters
// are never split.
typedef const char* (*NextCharFunction)(const char* text);

// The argument text behind the program name: a quoted name is skipped up to
// and including its closing quote, an unquoted one up to the first byte of
// 32 or less; then every byte from 1 to 32 is stepped over.
const char* FindArgumentText(const char* commandLine, NextCharFunction nextChar);

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

// The close gate's timing: a new password check waits until this long has
// passed since the previous one ended.
const uint32_t VerifySpacingMs = 200;
const uint32_t NoVerifyYet = 0xFFFFFFFFu;
// True when a check ended less than VerifySpacingMs before `now`; the tick
// difference is taken modulo 2^32 so the counter may wrap in between.
bool VerifyTooSoon(uint32_t lastVerifyTick, uint32_t now);

// Cursor movement (Manhattan distance) that is still ignored.
const int MouseThreshold = 4;
bool CursorMovedFar(int32_t savedX, int32_t savedY, int32_t x, int32_t y);

#endif
