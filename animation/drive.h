// The drive animation's pure logic: the vehicle's steering and motion, one
// tick at a time, and the fixed order in which a tick draws.  The platform
// side owns the window, the timer and the surfaces; it calls StartDrive once
// and StepDrive + DrawDriveFrame on every tick.
#ifndef RUXA_ANIMATION_DRIVE_H
#define RUXA_ANIMATION_DRIVE_H

#include <cstdint>

#include "animation/rotate.h"

// Sizes of the pictures and boxes a tick draws.
constexpr std::int32_t VehicleBoxSize = 64;
constexpr std::int32_t VehiclePictureWidth = 50, VehiclePictureHeight = 26;
constexpr std::int32_t TrackBoxSize = 40, TrackBoxInset = 12;  // track box inside the vehicle box
constexpr std::int32_t TrackPictureWidth = 6, TrackPictureHeight = 34;
constexpr std::int32_t EdgeMargin = 20;

struct DriveState {
    std::int32_t X = 0, Y = 0;  // top-left of the vehicle's 64 x 64 box; never clamped
    std::int32_t Heading = 0;   // degrees 0..359: 0 down, 90 right, 180 up, 270 left
    std::int32_t TurnTarget = 0, TurnRate = 0;  // degrees per tick
    std::int32_t TurnTimer = 0;  // ticks left before a new random TurnTarget
};

// The animation's own random generator (a 32-bit linear congruential one).
struct DriveRandom {
    std::uint32_t State = 0;
};

void SeedDriveRandom(DriveRandom& random, std::uint32_t seed);
// The next value r, 0 to 32767.
std::int32_t NextDriveRandom(DriveRandom& random);
// low + (r * span) / 32767 for the next r: low to low + span, the top value
// only for r = 32767.  The product is formed in 64 bits, so a tall window
// cannot overflow it.
std::int32_t ScaledDraw(DriveRandom& random, std::int32_t low, std::int32_t span);

// The vehicle at the left edge of a width x height window, at a random
// height and a random rightward heading.  Draws four values.
void StartDrive(DriveState& state, DriveRandom& random, std::int32_t width, std::int32_t height);

// What one tick draws: the direction (Sine, Cosine) in thousandths, the track
// stamp's box and the displacement of its two copies, and the vehicle box.
struct DriveFrame {
    std::int32_t Sine, Cosine;
    std::int32_t TrackLeft, TrackTop, TrackOffsetX, TrackOffsetY;
    std::int32_t BoxLeft, BoxTop;
};

// One tick of steering and motion in a width x height window.
DriveFrame StepDrive(DriveState& state, DriveRandom& random, std::int32_t width, std::int32_t height);

// One tick's drawing, in its fixed order: stamp the tracks into the
// background, copy the 64 x 64 box at (BoxLeft, BoxTop) of the background into
// the compose surface (copyBox(left, top), a clipped rectangle copy), then draw
// the turned vehicle over it.  Showing the compose surface is the caller's.
template <class Background, class Compose, class Vehicle, class Tracks, class CopyBox>
void DrawDriveFrame(const DriveFrame& frame, Background& background, Compose& compose,
                    Vehicle& vehicle, Tracks& tracks, CopyBox copyBox)
{
    StampTwinTracks(background, TrackBoxSize, frame.TrackLeft, frame.TrackTop, frame.TrackOffsetX,
                    frame.TrackOffsetY, tracks, TrackPictureHeight, TrackPictureWidth, frame.Sine, frame.Cosine);
    copyBox(frame.BoxLeft, frame.BoxTop);
    DrawRotatedSprite(compose, VehicleBoxSize, vehicle, VehiclePictureHeight, VehiclePictureWidth, frame.Sine,
                      frame.Cosine);
}

#endif
