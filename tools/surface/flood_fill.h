// Surface flood fill over an in-memory picture, and the vehicle's body
// painting built on it, for tools and tests that work without the platform.
#ifndef RUXA_TOOLS_SURFACE_FLOOD_FILL_H
#define RUXA_TOOLS_SURFACE_FLOOD_FILL_H

#include <cstdint>

#include "animation/colour.h"
#include "animation/vehicle_body.h"
#include "tools/surface/surface.h"

// Paints every pixel of exactly surfaceColour that is connected to (x, y)
// through its four neighbours with fill.  If (x, y) lies outside or has
// another colour, nothing changes.  Returns the number of pixels painted
// (0 when fill equals surfaceColour: nothing would change).
std::int32_t FloodFillSurface(Surface& picture, std::int32_t x, std::int32_t y, Colour surfaceColour,
                              Colour fill);

// The vehicle's body painting over an in-memory picture.
void PaintVehiclePicture(Surface& picture, Colour paint);

#endif
