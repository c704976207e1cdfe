// Pixels in memory that the program owns, laid out as a 32-bit top-down
// device-independent bitmap: rows from the top, no padding, each pixel
// 0x00RRGGBB (blue in the low byte).  The saver's surfaces are such bitmaps,
// so a tick reads and writes them directly instead of asking the platform
// for each pixel; this accessor converts to and from Colour on the way.
#ifndef RUXA_ANIMATION_PIXEL_MEMORY_H
#define RUXA_ANIMATION_PIXEL_MEMORY_H

#include <cstddef>
#include <cstdint>

#include "animation/colour.h"

// The pixel layout and Colour differ only in the order of red and blue.  The
// top byte of a pixel is unused; some drawing calls set it, so it is dropped
// on the way to a Colour.
constexpr Colour ColourFromPixel(std::uint32_t pixel)
{
    return MakeColour((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}
constexpr std::uint32_t PixelFromColour(Colour colour)
{
    return (std::uint32_t(ColourRed(colour)) << 16) | (std::uint32_t(ColourGreen(colour)) << 8) |
           std::uint32_t(ColourBlue(colour));
}

// A view of such memory, for the drawing templates: Read and Write as over a
// device context, reads outside give OutsideColour and writes outside are
// ignored.  A missing surface has no bits and no size: nothing is read from
// it and nothing is written to it.
struct PixelMemory {
    std::uint32_t* Bits = nullptr;
    std::int32_t Width = 0, Height = 0;

    bool Contains(std::int32_t x, std::int32_t y) const
    {
        return x >= 0 && y >= 0 && x < Width && y < Height;
    }
    std::size_t Offset(std::int32_t x, std::int32_t y) const
    {
        return std::size_t(y) * std::size_t(Width) + std::size_t(x);
    }
    Colour Read(std::int32_t x, std::int32_t y) const
    {
        return Contains(x, y) ? ColourFromPixel(Bits[Offset(x, y)]) : OutsideColour;
    }
    void Write(std::int32_t x, std::int32_t y, Colour colour) const
    {
        if (Contains(x, y))
            Bits[Offset(x, y)] = PixelFromColour(colour);
    }
};

#endif
