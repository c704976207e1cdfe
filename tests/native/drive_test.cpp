// The drive animation's steering and motion, one tick at a time, and the
// order in which a tick draws.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "animation/drive.h"
#include "animation/fixed_trig.h"
#include "tools/surface/surface.h"

namespace {

DriveState State(int x, int y, int heading, int target, int rate, int timer)
{
    DriveState s;
    s.X = x, s.Y = y, s.Heading = heading, s.TurnTarget = target, s.TurnRate = rate, s.TurnTimer = timer;
    return s;
}

// A generator that must not be drawn from: any draw changes its state.
struct Untouched {
    DriveRandom Random;
    Untouched() { SeedDriveRandom(Random, 77); }
    bool Drawn() const { return Random.State != 77; }
};

TEST(DriveRandom, SequenceAndScaling)
{
    DriveRandom random;
    SeedDriveRandom(random, 1);
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724})
        EXPECT_EQ(expected, NextDriveRandom(random));

    // The top value only for r = 32767; the product is never cut to 32 bits.
    DriveRandom a, b;
    SeedDriveRandom(a, 1);
    SeedDriveRandom(b, 1);
    EXPECT_EQ(10 + (41 * 20) / 32767, ScaledDraw(a, 10, 20));
    NextDriveRandom(b);
    for (int i = 0; i < 100000; ++i) {
        const int r = NextDriveRandom(b);
        const int scaled = ScaledDraw(a, -5, 11);
        EXPECT_EQ(-5 + (r * 11) / 32767, scaled);
        EXPECT_TRUE(scaled >= -5 && scaled <= 6);
    }
    DriveRandom c;
    c.State = 0;
    while (((c.State * 214013u + 2531011u) >> 16 & 0x7FFF) != 32767)
        c.State += 1u << 16;  // find a state whose next value is the largest
    EXPECT_EQ(25 + 100000 - 50, ScaledDraw(c, 25, 100000 - 50));
}

TEST(StartDrive, InitialStateFromSeedOne)
{
    DriveRandom random;
    SeedDriveRandom(random, 1);
    DriveState s = State(9, 9, 9, 9, 9, 9);
    StartDrive(s, random, 1024, 768);
    EXPECT_EQ(0, s.X);
    EXPECT_EQ(25, s.Y);
    EXPECT_EQ(95, s.Heading);
    EXPECT_EQ(-5, s.TurnTarget);
    EXPECT_EQ(26, s.TurnTimer);
    EXPECT_EQ(-5, s.TurnRate);
    EXPECT_EQ(19169, NextDriveRandom(random));  // exactly four draws

    // Ranges over many seeds, and a window under 50 pixels high, where the
    // start lies between H - 25 and 25.
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
        SeedDriveRandom(random, seed);
        StartDrive(s, random, 640, 480);
        EXPECT_TRUE(s.Y >= 25 && s.Y <= 455) << seed;
        EXPECT_TRUE(s.Heading >= 45 && s.Heading <= 135) << seed;
        EXPECT_TRUE(s.TurnTarget >= -7 && s.TurnTarget <= 8) << seed;
        EXPECT_TRUE(s.TurnTimer >= 10 && s.TurnTimer <= 30) << seed;
        SeedDriveRandom(random, seed);
        StartDrive(s, random, 100, 30);
        EXPECT_TRUE(s.Y >= 5 && s.Y <= 25) << seed;
    }
    random.State = 0;
    while (((random.State * 214013u + 2531011u) >> 16 & 0x7FFF) != 32767)
        random.State += 1u << 16;
    StartDrive(s, random, 100, 30);
    EXPECT_EQ(5, s.Y);  // 25 + (32767 * -20) / 32767
}

TEST(StepDrive, FirstTickFromTheInitialState)
{
    DriveRandom random;
    SeedDriveRandom(random, 1);
    DriveState s;
    StartDrive(s, random, 1024, 768);
    const DriveFrame f = StepDrive(s, random, 1024, 768);
    EXPECT_EQ(25, s.TurnTimer);
    EXPECT_EQ(-5, s.TurnTarget);
    EXPECT_EQ(-5, s.TurnRate);
    EXPECT_EQ(90, s.Heading);
    EXPECT_EQ(1000, f.Sine);
    EXPECT_EQ(0, f.Cosine);
    EXPECT_EQ(5, s.X);
    EXPECT_EQ(25, s.Y);
    EXPECT_EQ(5, f.BoxLeft);
    EXPECT_EQ(25, f.BoxTop);
    EXPECT_EQ(17, f.TrackLeft);
    EXPECT_EQ(37, f.TrackTop);
    EXPECT_EQ(15, f.TrackOffsetX);
    EXPECT_EQ(0, f.TrackOffsetY);
    EXPECT_EQ(19169, NextDriveRandom(random));  // the tick drew nothing
}

TEST(StepDrive, WorkedTicks)
{
    {   // Left margin.
        Untouched u;
        DriveState s = State(10, 300, 300, 2, 3, 5);
        const DriveFrame f = StepDrive(s, u.Random, 1024, 768);
        EXPECT_EQ(5, s.TurnTarget);
        EXPECT_EQ(4, s.TurnRate);
        EXPECT_EQ(304, s.Heading);
        EXPECT_EQ(-829, f.Sine);
        EXPECT_EQ(559, f.Cosine);
        EXPECT_EQ(6, s.X);
        EXPECT_EQ(302, s.Y);
        EXPECT_EQ(-12, f.TrackOffsetX);
        EXPECT_EQ(6, f.TrackOffsetY);
        EXPECT_EQ(4, s.TurnTimer);
        EXPECT_FALSE(u.Drawn());
    }
    {   // Corner: the left rule says -5, the top rule then 5.
        Untouched u;
        DriveState s = State(10, 10, 200, 0, 0, 5);
        StepDrive(s, u.Random, 1024, 768);
        EXPECT_EQ(5, s.TurnTarget);
        EXPECT_EQ(1, s.TurnRate);
        EXPECT_EQ(201, s.Heading);
        EXPECT_EQ(9, s.X);
        EXPECT_EQ(6, s.Y);
    }
    {   // Heading wraps both ways.
        Untouched u;
        DriveState s = State(500, 400, 2, -5, -5, 5);
        StepDrive(s, u.Random, 1024, 768);
        EXPECT_EQ(357, s.Heading);
        s = State(500, 400, 358, 5, 5, 5);
        StepDrive(s, u.Random, 1024, 768);
        EXPECT_EQ(3, s.Heading);
        s = State(500, 400, 355, 5, 5, 5);  // exactly 360 wraps to 0
        StepDrive(s, u.Random, 1024, 768);
        EXPECT_EQ(0, s.Heading);
        s = State(500, 400, 3, -3, -3, 5);  // exactly 0 stays
        StepDrive(s, u.Random, 1024, 768);
        EXPECT_EQ(0, s.Heading);
    }
    {   // Timer expiry draws a target, then a timer (19169, 15724 from seed 1).
        DriveRandom random;
        SeedDriveRandom(random, 1);
        for (int i = 0; i < 4; ++i)
            NextDriveRandom(random);
        DriveState s = State(500, 400, 90, 3, 0, 0);
        StepDrive(s, random, 1024, 768);
        EXPECT_EQ(1, s.TurnTarget);
        EXPECT_EQ(19, s.TurnTimer);
        EXPECT_EQ(1, s.TurnRate);
        // A timer of 1 lasts one more tick without drawing.
        Untouched u;
        s = State(500, 400, 90, 3, 0, 1);
        StepDrive(s, u.Random, 1024, 768);
        EXPECT_EQ(0, s.TurnTimer);
        EXPECT_FALSE(u.Drawn());
    }
}

TEST(StepDrive, StraightAheadFollowsTheTruncatedStep)
{
    Untouched u;
    DriveState s = State(500, 400, 10, 0, 0, 9);
    DriveFrame f = StepDrive(s, u.Random, 1024, 768);
    EXPECT_EQ(0, f.Sine);
    EXPECT_EQ(1000, f.Cosine);
    EXPECT_EQ(500, s.X);
    EXPECT_EQ(404, s.Y);
    EXPECT_EQ(0, f.TrackOffsetX);
    EXPECT_EQ(12, f.TrackOffsetY);

    s = State(500, 400, 14, 0, 0, 9);
    f = StepDrive(s, u.Random, 1024, 768);
    EXPECT_EQ(242, f.Sine);
    EXPECT_EQ(970, f.Cosine);
    EXPECT_EQ(501, s.X);
    EXPECT_EQ(404, s.Y);

    // Turning, the picture follows the heading: a target of 0 with a rate
    // still winding down is not straight ahead.
    s = State(500, 400, 9, 0, 1, 9);
    f = StepDrive(s, u.Random, 1024, 768);
    EXPECT_EQ(9, s.Heading);
    EXPECT_EQ(0, s.TurnRate);
    EXPECT_EQ(0, f.Sine);  // straight now: the rate reached 0 this tick
    s = State(500, 400, 9, 1, 0, 9);
    f = StepDrive(s, u.Random, 1024, 768);
    EXPECT_EQ(FixedSin(10), f.Sine);
    EXPECT_EQ(FixedCos(10), f.Cosine);

    // Every heading: a step of 4 to 5 pixels, and a direction of about 1000.
    std::set<int> squares;
    for (int heading = 0; heading < 360; ++heading) {
        s = State(500, 400, heading, 0, 0, 9);
        f = StepDrive(s, u.Random, 1024, 768);
        const int dx = s.X - 500, dy = s.Y - 400;
        squares.insert(dx * dx + dy * dy);
        const int length = f.Sine * f.Sine + f.Cosine * f.Cosine;
        EXPECT_TRUE(length > 990000 && length <= 1000000) << heading;
    }
    EXPECT_EQ((std::set<int>{16, 17, 18, 20, 25}), squares);
    EXPECT_FALSE(u.Drawn());
}

// The heading range bounds of every edge rule.  Each case: position, heading,
// and the target afterwards (the start target is 1, so 1 means "unchanged").
TEST(StepDrive, EdgeRuleRangesAndStrictMargins)
{
    const int W = 1024, H = 768;
    struct Case {
        int X, Y, Heading, Target;
    };
    const int left = 19, right = W - 19, bottom = H - 19, top = 19, mid = 300;
    const Case cases[] = {
        // left: 181..270 -> -5, 271..359 -> 5; 180 and 0 belong to neither
        {left, mid, 180, 1}, {left, mid, 181, -5}, {left, mid, 270, -5}, {left, mid, 271, 5},
        {left, mid, 359, 5}, {left, mid, 0, 1}, {left, mid, 95, 1},
        // right: 90..180 -> 5, 0..89 -> -5
        {right, mid, 89, -5}, {right, mid, 0, -5}, {right, mid, 90, 5}, {right, mid, 180, 5},
        {right, mid, 181, 1}, {right, mid, 359, 1},
        // bottom: 0..90 -> 5, 270..359 -> -5
        {mid, bottom, 0, 5}, {mid, bottom, 90, 5}, {mid, bottom, 91, 1}, {mid, bottom, 269, 1},
        {mid, bottom, 270, -5}, {mid, bottom, 359, -5},
        // top: 180..270 -> 5, 90..179 -> -5
        {mid, top, 90, -5}, {mid, top, 179, -5}, {mid, top, 180, 5}, {mid, top, 270, 5},
        {mid, top, 271, 1}, {mid, top, 89, 1},
        // margins are strict
        {20, mid, 200, 1}, {W - 20, mid, 45, 1}, {mid, H - 20, 45, 1}, {mid, 20, 200, 1},
        // outside the window altogether, the rules still apply
        {-500, mid, 200, -5}, {W + 500, mid, 45, -5}, {mid, H + 500, 45, 5}, {mid, -500, 200, 5},
        // bottom-right corner: the bottom rule decides
        {right, bottom, 45, 5},
    };
    for (const Case& c : cases) {
        Untouched u;
        DriveState s = State(c.X, c.Y, c.Heading, 1, 1, 9);
        StepDrive(s, u.Random, W, H);
        EXPECT_EQ(c.Target, s.TurnTarget) << c.X << "," << c.Y << " heading " << c.Heading;
    }
}

TEST(StepDrive, LongRunStaysInRangeAndTheBoxIsNeverClamped)
{
    DriveRandom random;
    SeedDriveRandom(random, 20240601);
    DriveState s;
    StartDrive(s, random, 320, 240);
    bool leftWindow = false;
    for (int tick = 0; tick < 200000; ++tick) {
        const DriveState before = s;
        const DriveFrame f = StepDrive(s, random, 320, 240);
        ASSERT_TRUE(s.Heading >= 0 && s.Heading < 360);
        ASSERT_TRUE(s.TurnRate >= -8 && s.TurnRate <= 8);
        ASSERT_LE(std::abs(s.TurnRate - before.TurnRate), 1);
        ASSERT_TRUE(s.TurnTimer >= 0 && s.TurnTimer <= 30);
        const int dx = s.X - before.X, dy = s.Y - before.Y;
        ASSERT_TRUE(dx * dx + dy * dy >= 16 && dx * dx + dy * dy <= 25);
        ASSERT_EQ(s.X, f.BoxLeft);
        ASSERT_EQ(s.Y, f.BoxTop);
        ASSERT_EQ(s.X + 12, f.TrackLeft);
        ASSERT_EQ(s.Y + 12, f.TrackTop);
        ASSERT_EQ((15 * f.Sine) / 1000, f.TrackOffsetX);
        ASSERT_EQ((12 * f.Cosine) / 1000, f.TrackOffsetY);
        leftWindow = leftWindow || s.X < 0 || s.Y < 0 || s.X + 64 > 320 || s.Y + 64 > 240;
        // The edge rules bring it back: it never strays far.
        ASSERT_TRUE(s.X > -200 && s.X < 520 && s.Y > -200 && s.Y < 440) << tick;
    }
    EXPECT_TRUE(leftWindow);
}

// One tick's drawing order on in-memory surfaces: the tracks land in the
// background first, so the box copied into the compose surface already shows
// them, and the vehicle goes over that.
TEST(DrawDriveFrame, StampsCopiesAndDrawsInOrder)
{
    const Colour desk = 0x00204060, tread = 0x00010101, body = 0x0000007F, key = 0x00FFFFFF;
    Surface background = MakeSurface(200, 150, desk);
    Surface compose = MakeSurface(64, 64, 0x00ABCDEF);
    Surface vehicle = MakeSurface(50, 26, key);
    for (int y = 1; y < 25; ++y)
        for (int x = 1; x < 49; ++x)
            vehicle.Write(x, y, body);
    Surface tracks = MakeSurface(6, 34, key);
    for (int y = 1; y < 33; ++y)
        tracks.Write(2, y, tread);

    DriveState s = State(40, 50, 90, 0, 0, 9);
    Untouched u;
    const DriveFrame f = StepDrive(s, u.Random, 200, 150);
    DrawDriveFrameOnSurfaces(f, background, compose, vehicle, tracks);

    // At heading 90 strip pixel (sx, sy) lands at (x + 44 + sx, y + 15 + sy)
    // and (x + 14 + sx, y + 15 + sy).
    const int x = s.X, y = s.Y;
    EXPECT_EQ(tread, background.Read(x + 46, y + 20));
    EXPECT_EQ(tread, background.Read(x + 16, y + 20));
    EXPECT_EQ(desk, background.Read(x + 47, y + 20));
    // The compose box: the vehicle over the background, which shows the
    // rear track copy outside the vehicle (x + 16 lies behind it).
    EXPECT_EQ(body, compose.Read(32, 32));
    EXPECT_EQ(body, compose.Read(8, 20));
    EXPECT_EQ(tread, compose.Read(46, 45));  // front copy, below the body
    EXPECT_EQ(desk, compose.Read(0, 0));
    EXPECT_EQ(tread, compose.Read(16, 16));

    // A box half outside the background keeps what the compose surface had
    // there; the rest is copied.
    Surface edge = MakeSurface(64, 64, 0x00ABCDEF);
    DriveFrame outside = f;
    outside.BoxLeft = -32;
    outside.BoxTop = 0;
    outside.TrackLeft = -1000;  // stamp nothing visible
    DrawDriveFrameOnSurfaces(outside, background, edge, vehicle, tracks);
    EXPECT_EQ(0x00ABCDEFu, edge.Read(0, 0));
    EXPECT_EQ(desk, edge.Read(40, 0));
}

}  // namespace
