// Where the vehicles drive when the saver window spans several monitors.
// Each monitor becomes one drive area: its rectangle in the window's own
// coordinates, which is the "window" that its vehicle steers in.
#ifndef RUXA_ANIMATION_MONITOR_AREAS_H
#define RUXA_ANIMATION_MONITOR_AREAS_H

#include <cstdint>

// A rectangle, right and bottom exclusive.
struct PixelRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// One vehicle's part of the window: its top-left corner in window
// coordinates, its size, and the whole factor by which its monitor scales
// the design pixels (animation/scaled_drive.h).
struct DriveArea {
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    std::int32_t Scale = 1;
};

// More monitors than a desk ever has; further ones get no vehicle.
constexpr int MaxDriveAreas = 16;

// The drive areas of a width x height window whose top-left corner lies at
// (windowLeft, windowTop) of the screen, given the monitors' rectangles in
// the same screen coordinates (the origin may be negative).  Each monitor
// that shows part of the window gives one area, clipped to the window, in
// the monitors' order; a rectangle that repeats an earlier one (a mirrored
// display) gives none.  When no monitor shows the window (none reported,
// or the platform cannot tell), the whole window is the one area.  Writes
// at most `capacity` areas and returns how many, at least 1 when capacity
// allows.
int MapDriveAreas(const PixelRect* monitors, int count, std::int32_t windowLeft, std::int32_t windowTop,
                  std::int32_t width, std::int32_t height, DriveArea* areas, int capacity);

// The part of the size x size box at (left, top) that lies inside the area,
// all in window coordinates; empty (Right <= Left or Bottom <= Top) when
// the box is wholly outside.
PixelRect ClipBoxToArea(const DriveArea& area, std::int32_t left, std::int32_t top, std::int32_t size);

#endif
