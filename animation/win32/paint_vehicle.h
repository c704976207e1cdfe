// The vehicle picture in a given body colour.
#ifndef RUXA_ANIMATION_WIN32_PAINT_VEHICLE_H
#define RUXA_ANIMATION_WIN32_PAINT_VEHICLE_H

#include <windows.h>

#include "animation/colour.h"

// Loads a fresh IDB_VEHICLE, recolours its body and copies the 50 x 26
// result to the top-left of target.  With a white body the background turns
// pure blue, so the key at (0, 0) never matches the body.  Creates nothing
// that outlives the call.  False when the picture could not be loaded or
// copied: then target holds no vehicle.
bool PaintVehicle(HDC target, Colour colour);

#endif
