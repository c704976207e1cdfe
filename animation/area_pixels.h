// One drive area's view of a bigger picture, for the drawing templates of
// animation/rotate.h and animation/drive.h: positions are the area's own
// (its top-left corner is (0, 0)), and the area's edges clip exactly as a
// picture of the area's size would.  This is how each monitor's vehicle
// draws into the one frozen picture of the whole window without touching
// its neighbours.
#ifndef RUXA_ANIMATION_AREA_PIXELS_H
#define RUXA_ANIMATION_AREA_PIXELS_H

#include <cstdint>

#include "animation/colour.h"
#include "animation/monitor_areas.h"

// Pixels: any accessor with Read(x, y) and Write(x, y, colour).  Reads
// outside the area give OutsideColour; writes outside it are ignored.
template <class Pixels>
struct AreaPixels {
    Pixels& Picture;
    DriveArea Area;

    bool Contains(std::int32_t x, std::int32_t y) const
    {
        return x >= 0 && y >= 0 && x < Area.Width && y < Area.Height;
    }
    Colour Read(std::int32_t x, std::int32_t y) const
    {
        return Contains(x, y) ? Colour(Picture.Read(Area.Left + x, Area.Top + y)) : OutsideColour;
    }
    void Write(std::int32_t x, std::int32_t y, Colour colour) const
    {
        if (Contains(x, y))
            Picture.Write(Area.Left + x, Area.Top + y, colour);
    }
};

template <class Pixels>
AreaPixels<Pixels> ViewOfArea(Pixels& picture, const DriveArea& area)
{
    return AreaPixels<Pixels>{picture, area};
}

#endif
