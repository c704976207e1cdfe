#include "animation/drive.h"

#include "animation/fixed_trig.h"

void SeedDriveRandom(DriveRandom& random, std::uint32_t seed)
{
    random.State = seed;
}

std::int32_t NextDriveRandom(DriveRandom& random)
{
    random.State = random.State * 214013u + 2531011u;
    return std::int32_t((random.State >> 16) & 0x7FFF);
}

std::int32_t ScaledDraw(DriveRandom& random, std::int32_t low, std::int32_t span)
{
    // Truncates toward zero, also for a negative span.
    return std::int32_t(low + (std::int64_t(NextDriveRandom(random)) * span) / 32767);
}

void StartDrive(DriveState& state, DriveRandom& random, std::int32_t width, std::int32_t height)
{
    (void)width;  // the vehicle always enters at the left edge
    state.X = 0;
    state.Y = ScaledDraw(random, 25, height - 50);
    state.Heading = ScaledDraw(random, 45, 90);
    state.TurnTarget = ScaledDraw(random, -7, 15);
    state.TurnTimer = ScaledDraw(random, 10, 20);
    state.TurnRate = state.TurnTarget;
}

namespace {

bool Within(std::int32_t value, std::int32_t low, std::int32_t high)
{
    return value >= low && value <= high;
}

// Turning away from the window's edges, tested on the box's corner as it
// stands before this tick's turn.  Every rule that applies overwrites the
// target, so at a corner the later rule decides.
void ApplyEdgeRules(DriveState& state, std::int64_t width, std::int64_t height)
{
    const std::int32_t h = state.Heading;
    if (state.X < EdgeMargin) {  // left
        if (Within(h, 181, 270))
            state.TurnTarget = -5;
        else if (Within(h, 271, 359))
            state.TurnTarget = 5;
    }
    if (state.X > width - EdgeMargin) {  // right
        if (Within(h, 90, 180))
            state.TurnTarget = 5;
        else if (Within(h, 0, 89))
            state.TurnTarget = -5;
    }
    if (state.Y > height - EdgeMargin) {  // bottom
        if (Within(h, 0, 90))
            state.TurnTarget = 5;
        else if (Within(h, 270, 359))
            state.TurnTarget = -5;
    }
    if (state.Y < EdgeMargin) {  // top
        if (Within(h, 180, 270))
            state.TurnTarget = 5;
        else if (Within(h, 90, 179))
            state.TurnTarget = -5;
    }
}

}  // namespace

DriveFrame StepDrive(DriveState& state, DriveRandom& random, std::int32_t width, std::int32_t height)
{
    // A fresh random target when the timer runs out; the tick that draws
    // does not count the new timer down.
    state.TurnTimer -= 1;
    if (state.TurnTimer < 0) {
        state.TurnTarget = ScaledDraw(random, -5, 11);
        state.TurnTimer = ScaledDraw(random, 10, 20);
    }

    ApplyEdgeRules(state, width, height);

    if (state.TurnTarget > state.TurnRate)
        state.TurnRate += 1;
    else if (state.TurnTarget < state.TurnRate)
        state.TurnRate -= 1;

    state.Heading += state.TurnRate;
    if (state.Heading >= 360)
        state.Heading -= 360;
    else if (state.Heading < 0)
        state.Heading += 360;

    std::int32_t s = FixedSin(state.Heading), c = FixedCos(state.Heading);
    const std::int32_t dx = (5 * s) / 1000, dy = (5 * c) / 1000;

    // Going straight, the picture follows the step actually taken, which
    // truncation has bent away from the heading.
    if (state.TurnTarget == 0 && state.TurnRate == 0) {
        const std::int32_t length = FixedSqrt(dx * dx + dy * dy);  // 4000 to 5000, never 0
        s = (dx * 1000000) / length;
        c = (dy * 1000000) / length;
    }

    state.X += dx;
    state.Y += dy;

    DriveFrame frame;
    frame.Sine = s;
    frame.Cosine = c;
    frame.TrackLeft = state.X + TrackBoxInset;
    frame.TrackTop = state.Y + TrackBoxInset;
    frame.TrackOffsetX = (15 * s) / 1000;
    frame.TrackOffsetY = (12 * c) / 1000;
    frame.BoxLeft = state.X;
    frame.BoxTop = state.Y;
    return frame;
}
