#include "tools/surface/surface.h"

#include <algorithm>

Surface MakeSurface(std::int32_t width, std::int32_t height, Colour fill)
{
    Surface surface;
    if (width > 0 && height > 0) {
        surface.Width = width;
        surface.Height = height;
        surface.Pixels.assign(std::size_t(width) * std::size_t(height), fill);
    }
    return surface;
}

void CopyRect(Surface& target, std::int32_t left, std::int32_t top, std::int32_t width,
              std::int32_t height, const Surface& source, std::int32_t sourceLeft,
              std::int32_t sourceTop)
{
    // Offsets into the rectangle that keep both the read and the write inside.
    const std::int64_t x0 = std::max<std::int64_t>({0, -std::int64_t(left), -std::int64_t(sourceLeft)});
    const std::int64_t y0 = std::max<std::int64_t>({0, -std::int64_t(top), -std::int64_t(sourceTop)});
    const std::int64_t x1 = std::min<std::int64_t>({width, std::int64_t(target.Width) - left,
                                                    std::int64_t(source.Width) - sourceLeft});
    const std::int64_t y1 = std::min<std::int64_t>({height, std::int64_t(target.Height) - top,
                                                    std::int64_t(source.Height) - sourceTop});
    for (std::int64_t y = y0; y < y1; ++y)
        for (std::int64_t x = x0; x < x1; ++x)
            target.Write(std::int32_t(left + x), std::int32_t(top + y),
                         source.Read(std::int32_t(sourceLeft + x), std::int32_t(sourceTop + y)));
}

void DrawDriveFrameOnSurfaces(const DriveFrame& frame, Surface& background, Surface& compose,
                              const Surface& vehicle, const Surface& tracks)
{
    DrawDriveFrame(frame, background, compose, vehicle, tracks, [&](std::int32_t left, std::int32_t top) {
        CopyRect(compose, 0, 0, VehicleBoxSize, VehicleBoxSize, background, left, top);
    });
}
