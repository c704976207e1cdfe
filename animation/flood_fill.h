// Surface flood fill over an in-memory picture, and the vehicle's body
// painting built on it, for tools and tests that work without the platform.
#ifndef RUXA_ANIMATION_FLOOD_FILL_H
#define RUXA_ANIMATION_FLOOD_FILL_H

#include <cstdint>

#include "animation/colour.h"
#include "animation/surface.h"

// Paints every pixel of exactly surfaceColour that is connected to (x, y)
// through its four neighbours with fill.  If (x, y) lies outside or has
// another colour, nothing changes.  Returns the number of pixels painted
// (0 when fill equals surfaceColour: nothing would change).
std::int32_t FloodFillSurface(Surface& picture, std::int32_t x, std::int32_t y, Colour surfaceColour,
                              Colour fill);

// The vehicle picture's body is pure blue on a white background; one seed
// lies in each body region, filled in this order.
constexpr Colour PictureBodyColour = 0x00FF0000;
constexpr Colour PictureBackgroundColour = 0x00FFFFFF;
struct PicturePoint {
    std::int32_t X, Y;
};
extern const PicturePoint VehicleBodySeeds[7];

// The steps that recolour the body of a freshly loaded vehicle picture, for
// any surface: fill(x, y, surfaceColour, fillColour) floods the region of
// surfaceColour around (x, y).  A white body would vanish under the white key
// colour, so then the background turns blue, a colour the body no longer has.
template <class Fill>
void PaintVehicleBody(Colour paint, Fill fill)
{
    for (const PicturePoint& seed : VehicleBodySeeds)
        fill(seed.X, seed.Y, PictureBodyColour, paint);
    if (paint == PictureBackgroundColour)
        fill(0, 0, PictureBackgroundColour, PictureBodyColour);
}

// The same over an in-memory picture.
void PaintVehiclePicture(Surface& picture, Colour paint);

#endif
