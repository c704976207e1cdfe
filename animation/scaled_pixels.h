// Drawing for scaled displays.  The pictures are designed in pixels of a
// 96-DPI screen; on a denser one each design pixel u becomes the block of
// true pixels from e(u) up to e(u + 1), with e(u) = floor(u * num / den).
// The saver scales by a whole factor k (num = k, den = 1), so every design
// pixel is a k x k block; the configure dialog by its display's own DPI / 96
// (num = DPI, den = 96), whose blocks differ by one pixel at most.  At
// num = den every block is the one pixel itself.
#ifndef RUXA_ANIMATION_SCALED_PIXELS_H
#define RUXA_ANIMATION_SCALED_PIXELS_H

#include <cstdint>

#include "animation/colour.h"

constexpr std::int32_t DesignDpi = 96;

// The saver's whole factor for a display of this DPI: the nearest whole
// number to dpi / 96, halves rounding up (125 % gives 1, 150 % to 249 % give
// 2), and 1 where the DPI is unknown (0).  Past any real display it stays at
// 16, so that the frame box stays a sensible size.
constexpr std::int32_t WholeScaleForDpi(std::int32_t dpi)
{
    return dpi < 144 ? 1 : dpi >= 16 * 96 ? 16 : (dpi + 48) / 96;
}

// a / b rounded down, for b > 0.
constexpr std::int32_t FloorDivide(std::int32_t a, std::int32_t b)
{
    return (a >= 0 ? a : a - (b - 1)) / b;
}

// e(u): the first true pixel of design pixel u's block.  Design positions
// and scales are small enough (a few thousand pixels, a few hundred DPI)
// for 32-bit products.
constexpr std::int32_t ScaledEdge(std::int32_t u, std::int32_t num, std::int32_t den)
{
    return den == 1 ? u * num : FloorDivide(u * num, den);
}

// The design pixel whose block holds true pixel x: the greatest u with
// e(u) <= x, since e(u) <= x exactly when u * num < (x + 1) * den.
constexpr std::int32_t DesignPosition(std::int32_t x, std::int32_t num, std::int32_t den)
{
    return FloorDivide((x + 1) * den - 1, num);
}

// A design-pixel view of a picture of true pixels, for the drawing templates
// (animation/rotate.h, animation/drive.h): a write fills the design pixel's
// whole block, a read gives the block's top-left true pixel.  Pixels: any
// accessor with Read(x, y) and Write(x, y, colour); it clips.
template <class Pixels>
struct ScaledPixels {
    Pixels& Picture;
    std::int32_t Num, Den;

    std::int32_t Edge(std::int32_t u) const { return ScaledEdge(u, Num, Den); }
    Colour Read(std::int32_t x, std::int32_t y) const { return Picture.Read(Edge(x), Edge(y)); }
    void Write(std::int32_t x, std::int32_t y, Colour colour) const
    {
        const std::int32_t left = Edge(x), right = Edge(x + 1), bottom = Edge(y + 1);
        for (std::int32_t v = Edge(y); v < bottom; ++v)
            for (std::int32_t u = left; u < right; ++u)
                Picture.Write(u, v, colour);
    }
};

template <class Pixels>
ScaledPixels<Pixels> ScaledView(Pixels& picture, std::int32_t num, std::int32_t den)
{
    return ScaledPixels<Pixels>{picture, num, den};
}

#endif
