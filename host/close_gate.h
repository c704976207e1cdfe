// The close gate's arithmetic: how far the pointer may drift before the saver
// closes, and how long a new password check waits after the previous one.
#ifndef RUXA_HOST_CLOSE_GATE_H
#define RUXA_HOST_CLOSE_GATE_H

#include <cstdint>

// A new password check waits until this long has passed since the previous
// one ended.
const uint32_t VerifySpacingMs = 200;
// The last-check tick before any check has run.
const uint32_t NoVerifyYet = 0xFFFFFFFFu;
// True when a check ended less than VerifySpacingMs before `now`; the tick
// difference is taken modulo 2^32 so the counter may wrap in between.
bool VerifyTooSoon(uint32_t lastVerifyTick, uint32_t now);

// Cursor movement (Manhattan distance) that is still ignored.
const int MouseThreshold = 4;
bool CursorMovedFar(int32_t savedX, int32_t savedY, int32_t x, int32_t y);

#endif
