#include "tools/surface/flood_fill.h"

#include <utility>
#include <vector>

std::int32_t FloodFillSurface(Surface& picture, std::int32_t x, std::int32_t y, Colour surfaceColour,
                              Colour fill)
{
    if (fill == surfaceColour || !picture.Contains(x, y) || picture.Read(x, y) != surfaceColour)
        return 0;
    // An explicit stack: a picture of any size cannot exhaust the call stack.
    std::vector<std::pair<std::int32_t, std::int32_t>> pending = {{x, y}};
    picture.Write(x, y, fill);
    std::int32_t painted = 1;
    while (!pending.empty()) {
        const auto at = pending.back();
        pending.pop_back();
        const std::int32_t next[4][2] = {{at.first + 1, at.second}, {at.first - 1, at.second},
                                         {at.first, at.second + 1}, {at.first, at.second - 1}};
        for (const auto& n : next) {
            if (picture.Contains(n[0], n[1]) && picture.Read(n[0], n[1]) == surfaceColour) {
                picture.Write(n[0], n[1], fill);
                ++painted;
                pending.emplace_back(n[0], n[1]);
            }
        }
    }
    return painted;
}

void PaintVehiclePicture(Surface& picture, Colour paint)
{
    PaintVehicleBody(paint, [&](std::int32_t x, std::int32_t y, Colour surfaceColour, Colour fill) {
        FloodFillSurface(picture, x, y, surfaceColour, fill);
    });
}
