// Turned, colour-keyed drawing of a small picture, one pixel at a time.
//
// One implementation serves every kind of surface: the destination needs
// Write(x, y, colour) (writes outside it are ignored) and the source needs
// Read(x, y) -> Colour.  The saver reads and writes the memory of its own
// bitmaps (animation/pixel_memory.h); GetPixel/SetPixel over a device context
// (animation/win32/gdi_pixels.h) is the reference that tests compare it with;
// tools and tests also draw on in-memory pictures (tools/surface/surface.h).
//
// The turning is an inverse mapping: every pixel (u, v) of a rectangle around
// a square box of side S is mapped back into the W x H source, and takes the
// colour of the source pixel it lands on unless that colour is the key (the
// colour of source pixel (0, 0)).  The source's x axis is laid along the
// direction (sine, cosine), given in thousandths.  All divisions truncate
// toward zero, exactly as C++ '/' does; floor division would shift pixels.
#ifndef RUXA_ANIMATION_ROTATE_H
#define RUXA_ANIMATION_ROTATE_H

#include <cstdint>

#include "animation/colour.h"

namespace rotate_detail {

inline std::int64_t Least(std::int64_t a, std::int64_t b) { return a < b ? a : b; }
inline std::int64_t Greatest(std::int64_t a, std::int64_t b) { return a > b ? a : b; }

// Least and greatest of 0, p, S - p, q, S - q.
inline void Bounds(std::int64_t boxSize, std::int64_t p, std::int64_t q,
                   std::int64_t& low, std::int64_t& high)
{
    low = Least(Least(Least(Least(0, p), boxSize - p), q), boxSize - q);
    high = Greatest(Greatest(Greatest(Greatest(0, p), boxSize - p), q), boxSize - q);
}

// The half-open rectangle of box pixels that a drawing visits.
struct VisitedRect {
    std::int64_t XMin, XMax, YMin, YMax;
};

inline VisitedRect VisitedBounds(std::int64_t boxSize, std::int64_t sourceHeight,
                                 std::int64_t sourceWidth, std::int64_t s, std::int64_t c)
{
    const std::int64_t halfBox = boxSize / 2, halfWidth = sourceWidth / 2, halfHeight = sourceHeight / 2;
    VisitedRect rect;
    Bounds(boxSize, halfBox + (halfWidth * s - halfHeight * c) / 1000,
           halfBox - (halfWidth * s + halfHeight * c) / 1000, rect.XMin, rect.XMax);
    Bounds(boxSize, halfBox + (halfWidth * c + halfHeight * s) / 1000,
           halfBox + (halfWidth * c - halfHeight * s) / 1000, rect.YMin, rect.YMax);
    return rect;
}

// The mapping shared by both drawing routines.  Calls emit(u, v, colour) for
// every box pixel (u, v) that samples a non-key source pixel, columns outer
// and rows inner, both ascending.  The source is read once for the key, then
// once per visited pixel that maps inside it.
//
// The products u*sin + v*cos and v*sin - u*cos are carried as running sums,
// so a visited pixel costs additions, two divisions and comparisons.  The
// arithmetic is 64-bit so that no direction vector can overflow it; for the
// vectors the program passes it equals 32-bit arithmetic.
template <class Source, class Emit>
void MapRotated(std::int32_t boxSize, Source& source, std::int32_t sourceHeight,
                std::int32_t sourceWidth, std::int32_t sine, std::int32_t cosine, Emit emit)
{
    const Colour key = source.Read(0, 0);
    const std::int64_t s = sine, c = cosine, size = boxSize;
    const std::int64_t width = sourceWidth, height = sourceHeight;
    const VisitedRect rect = VisitedBounds(size, height, width, s, c);
    const std::int64_t xMin = rect.XMin, xMax = rect.XMax, yMin = rect.YMin, yMax = rect.YMax;

    const std::int64_t offX = (width - (size * (s + c)) / 1000) / 2;
    const std::int64_t offY = (height + (size * (c - s)) / 1000) / 2;

    // Sums at the top of the current column.
    std::int64_t columnAlong = xMin * s + yMin * c;   // u*sin + v*cos
    std::int64_t columnAcross = yMin * s - xMin * c;  // v*sin - u*cos
    for (std::int64_t u = xMin; u < xMax; ++u) {
        std::int64_t along = columnAlong, across = columnAcross;
        for (std::int64_t v = yMin; v < yMax; ++v, along += c, across += s) {
            const std::int64_t sx = along / 1000 + offX;
            if (sx < 0 || sx >= width)
                continue;
            const std::int64_t sy = across / 1000 + offY;
            if (sy < 0 || sy >= height)
                continue;
            const Colour colour = source.Read(std::int32_t(sx), std::int32_t(sy));
            if (colour == key)
                continue;
            emit(std::int32_t(u), std::int32_t(v), colour);
        }
        columnAlong += s;
        columnAcross -= c;
    }
}

}  // namespace rotate_detail

// Draws the source turned along (sine, cosine), centred in the box of side
// boxSize whose top-left corner is the destination's (0, 0).  Key-coloured
// source pixels are skipped; nothing is cleared first.  Returns 1.
template <class Destination, class Source>
std::int32_t DrawRotatedSprite(Destination& destination, std::int32_t boxSize,
                               Source& source, std::int32_t sourceHeight,
                               std::int32_t sourceWidth, std::int32_t sine,
                               std::int32_t cosine)
{
    rotate_detail::MapRotated(boxSize, source, sourceHeight, sourceWidth, sine, cosine,
                              [&](std::int32_t u, std::int32_t v, Colour colour) {
                                  destination.Write(u, v, colour);
                              });
    return 1;
}

// The same turned picture in a box at (boxLeft, boxTop), every drawn pixel
// written twice: displaced by (offsetX, offsetY), then by the opposite.
// Where the two copies meet, the later write wins.  Returns 1.
template <class Destination, class Source>
std::int32_t StampTwinTracks(Destination& destination, std::int32_t boxSize,
                             std::int32_t boxLeft, std::int32_t boxTop,
                             std::int32_t offsetX, std::int32_t offsetY,
                             Source& source, std::int32_t sourceHeight,
                             std::int32_t sourceWidth, std::int32_t sine,
                             std::int32_t cosine)
{
    rotate_detail::MapRotated(boxSize, source, sourceHeight, sourceWidth, sine, cosine,
                              [&](std::int32_t u, std::int32_t v, Colour colour) {
                                  destination.Write(boxLeft + u + offsetX, boxTop + v + offsetY, colour);
                                  destination.Write(boxLeft + u - offsetX, boxTop + v - offsetY, colour);
                              });
    return 1;
}

#endif
