// A vehicle's drive on a scaled monitor.  The drive model runs unchanged on
// the area's design grid, its true size divided by the area's whole factor
// k; drawing then makes each design pixel a k x k block of true pixels: the
// tracks stamped into the frozen picture and the vehicle drawn over its box.
// The frozen picture itself stays in true pixels.  At k = 1 this is the
// plain drive, pixel for pixel.
#ifndef RUXA_ANIMATION_SCALED_DRIVE_H
#define RUXA_ANIMATION_SCALED_DRIVE_H

#include <cstdint>

#include "animation/area_pixels.h"
#include "animation/drive.h"
#include "animation/monitor_areas.h"
#include "animation/scaled_pixels.h"

// The design grid that the area's vehicle steers in.
inline std::int32_t DesignWidth(const DriveArea& area) { return area.Width / area.Scale; }
inline std::int32_t DesignHeight(const DriveArea& area) { return area.Height / area.Scale; }

// The part of the area that the design grid covers, in true pixels: a strip
// of fewer than k pixels at its right and bottom may stay uncovered, and
// keeps the frozen picture as it is.
inline DriveArea CoveredArea(const DriveArea& area)
{
    DriveArea covered = area;
    covered.Width = DesignWidth(area) * area.Scale;
    covered.Height = DesignHeight(area) * area.Scale;
    return covered;
}

// Side of the frame box in true pixels.
inline std::int32_t ScaledBoxSize(const DriveArea& area) { return VehicleBoxSize * area.Scale; }

// One design-grid frame drawn in true pixels: the tracks into the area's
// part of the window-sized background, the vehicle over the box in
// `compose`, whose pixels are true ones (ScaledBoxSize square).
// copyBox(left, top) copies the background's ScaledBoxSize square at that
// window position into `compose`.
template <class Background, class Compose, class Vehicle, class Tracks, class CopyBox>
void DrawScaledDriveFrame(const DriveFrame& frame, const DriveArea& area, Background& background,
                          Compose& compose, Vehicle& vehicle, Tracks& tracks, CopyBox copyBox)
{
    const std::int32_t k = area.Scale;
    const DriveArea covered = CoveredArea(area);
    const auto ground = ViewOfArea(background, covered);
    const auto scaledGround = ScaledView(ground, k, 1);
    const auto scaledCompose = ScaledView(compose, k, 1);
    DrawDriveFrame(frame, scaledGround, scaledCompose, vehicle, tracks, [&](std::int32_t left, std::int32_t top) {
        copyBox(covered.Left + left * k, covered.Top + top * k);
    });
}

#endif
