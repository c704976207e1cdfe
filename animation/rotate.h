// Turned, colour-keyed drawing of a small picture, one pixel at a time.
//
// One implementation serves every kind of surface: the destination needs
// Write(x, y, colour) (writes outside it are ignored) and the source needs
// Read(x, y) -> Colour.  On the platform these are GetPixel/SetPixel over a
// device context (animation/win32/gdi_pixels.h); natively, an in-memory
// picture (animation/surface.h).
#ifndef RUXA_ANIMATION_ROTATE_H
#define RUXA_ANIMATION_ROTATE_H

#include <cstdint>

#include "animation/colour.h"

// ... filled in by the rotated-drawing work:
// template <class Destination, class Source>
// std::int32_t DrawRotatedSprite(Destination& destination, std::int32_t boxSize,
//                                Source& source, std::int32_t sourceHeight,
//                                std::int32_t sourceWidth, std::int32_t sine,
//                                std::int32_t cosine);
// template <class Destination, class Source>
// std::int32_t StampTwinTracks(Destination& destination, std::int32_t boxSize,
//                              std::int32_t boxLeft, std::int32_t boxTop,
//                              std::int32_t offsetX, std::int32_t offsetY,
//                              Source& source, std::int32_t sourceHeight,
//                              std::int32_t sourceWidth, std::int32_t sine,
//                              std::int32_t cosine);

#endif
