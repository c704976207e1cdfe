#include "host/close_gate.h"

bool VerifyTooSoon(uint32_t lastVerifyTick, uint32_t now)
{
    return lastVerifyTick != NoVerifyYet && static_cast<uint32_t>(now - lastVerifyTick) < VerifySpacingMs;
}

bool CursorMovedFar(int32_t savedX, int32_t savedY, int32_t x, int32_t y)
{
    // 64-bit so that far-apart coordinates cannot overflow into a small sum.
    int64_t dx = static_cast<int64_t>(x) - savedX;
    int64_t dy = static_cast<int64_t>(y) - savedY;
    return (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) > MouseThreshold;
}
