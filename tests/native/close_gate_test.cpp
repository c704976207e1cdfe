// The close gate's arithmetic: spacing of password checks and the pointer's
// allowed drift.
#include "host/close_gate.h"

#include <gtest/gtest.h>

namespace {

TEST(HostCloseGate, ChecksAreSpacedBy200MillisecondsAcrossTheTickWrap)
{
    EXPECT_FALSE(VerifyTooSoon(NoVerifyYet, 0));
    EXPECT_FALSE(VerifyTooSoon(NoVerifyYet, 100));
    EXPECT_FALSE(VerifyTooSoon(NoVerifyYet, NoVerifyYet));
    EXPECT_TRUE(VerifyTooSoon(1000, 1000));
    EXPECT_TRUE(VerifyTooSoon(1000, 1199));
    EXPECT_FALSE(VerifyTooSoon(1000, 1200));
    EXPECT_FALSE(VerifyTooSoon(1000, 5000));
    // The counter wrapped between the end of the check and now.
    EXPECT_TRUE(VerifyTooSoon(0xFFFFFFA0u, 0x00000010u));   // 112 ms
    EXPECT_FALSE(VerifyTooSoon(0xFFFFFF00u, 0x00000010u));  // 272 ms
    EXPECT_TRUE(VerifyTooSoon(0xFFFFFFFEu, 0x000000C5u));   // 199 ms
    EXPECT_FALSE(VerifyTooSoon(0xFFFFFFFEu, 0x000000C6u));  // 200 ms
}

TEST(HostInputWatch, MovementOfMoreThanFourPixelsManhattanCloses)
{
    EXPECT_FALSE(CursorMovedFar(100, 100, 100, 100));
    EXPECT_FALSE(CursorMovedFar(100, 100, 102, 102));
    EXPECT_FALSE(CursorMovedFar(100, 100, 96, 100));
    EXPECT_FALSE(CursorMovedFar(100, 100, 101, 97));
    EXPECT_TRUE(CursorMovedFar(100, 100, 103, 102));
    EXPECT_TRUE(CursorMovedFar(100, 100, 97, 98));
    EXPECT_TRUE(CursorMovedFar(100, 100, 100, 105));
    EXPECT_TRUE(CursorMovedFar(-2, -2, 1, 0));
    // Coordinates far apart must not overflow into a small distance.
    EXPECT_TRUE(CursorMovedFar(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    EXPECT_TRUE(CursorMovedFar(INT32_MIN, 0, INT32_MAX, 0));
    EXPECT_TRUE(CursorMovedFar(0, INT32_MAX, 0, INT32_MIN + 1));
}

}  // namespace
