// The vehicle picture's body regions and the steps that recolour them.  The
// steps are written once for any surface: the platform paints with its own
// surface flood fill, the tools and tests with an in-memory one.
#ifndef RUXA_ANIMATION_VEHICLE_BODY_H
#define RUXA_ANIMATION_VEHICLE_BODY_H

#include <cstdint>

#include "animation/colour.h"

// The vehicle picture's body is pure blue on a white background; one seed
// lies in each body region, filled in this order.
constexpr Colour PictureBodyColour = 0x00FF0000;
constexpr Colour PictureBackgroundColour = 0x00FFFFFF;
struct PicturePoint {
    std::int32_t X, Y;
};
extern const PicturePoint VehicleBodySeeds[7];

// The steps that recolour the body of a freshly loaded vehicle picture:
// fill(x, y, surfaceColour, fillColour) floods the region of surfaceColour
// around (x, y).  A white body would vanish under the white key colour, so
// then the background turns blue, a colour the body no longer has.
template <class Fill>
void PaintVehicleBody(Colour paint, Fill fill)
{
    for (const PicturePoint& seed : VehicleBodySeeds)
        fill(seed.X, seed.Y, PictureBodyColour, paint);
    if (paint == PictureBackgroundColour)
        fill(0, 0, PictureBackgroundColour, PictureBodyColour);
}

#endif
