// An in-memory picture of Colour pixels, row by row from the top-left.
// It stands in for a platform drawing surface wherever the drawing logic runs
// without the platform: tests, tools and benchmarks.  Nothing here is linked
// into the module.
#ifndef RUXA_TOOLS_SURFACE_SURFACE_H
#define RUXA_TOOLS_SURFACE_SURFACE_H

#include <cstdint>
#include <vector>

#include "animation/colour.h"
#include "animation/drive.h"

struct Surface {
    std::int32_t Width = 0, Height = 0;
    std::vector<Colour> Pixels;  // Width * Height, row-major

    bool Contains(std::int32_t x, std::int32_t y) const
    {
        return x >= 0 && y >= 0 && x < Width && y < Height;
    }
    Colour Read(std::int32_t x, std::int32_t y) const
    {
        return Contains(x, y) ? Pixels[std::size_t(y) * std::size_t(Width) + std::size_t(x)]
                              : OutsideColour;
    }
    // Writes outside the picture are ignored.
    void Write(std::int32_t x, std::int32_t y, Colour colour)
    {
        if (Contains(x, y))
            Pixels[std::size_t(y) * std::size_t(Width) + std::size_t(x)] = colour;
    }
};

// A width x height picture filled with one colour (negative sizes give an
// empty picture).
Surface MakeSurface(std::int32_t width, std::int32_t height, Colour fill);

// Plain rectangle copy, clipped on both sides: pixels whose source lies
// outside `source` or whose target lies outside `target` are neither read nor
// written (as a bit-block transfer does).
void CopyRect(Surface& target, std::int32_t left, std::int32_t top, std::int32_t width,
              std::int32_t height, const Surface& source, std::int32_t sourceLeft,
              std::int32_t sourceTop);

// One drive frame over in-memory surfaces; `compose` must be 64 x 64.
void DrawDriveFrameOnSurfaces(const DriveFrame& frame, Surface& background, Surface& compose,
                              const Surface& vehicle, const Surface& tracks);

#endif
