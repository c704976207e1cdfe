// Device contexts as pixel surfaces for the shared drawing templates
// (animation/rotate.h): one platform call per pixel.  The saver draws in its
// bitmaps' memory where it can (animation/pixel_memory.h); this accessor
// serves the surfaces that have none (a palette display's, or where no
// 32-bit bitmap could be made), and is the reference that the tests and
// the benchmark set beside the memory path.
#ifndef RUXA_ANIMATION_WIN32_GDI_PIXELS_H
#define RUXA_ANIMATION_WIN32_GDI_PIXELS_H

#include <windows.h>

#include <cstdint>

#include "animation/colour.h"

// Read = GetPixel, Write = SetPixel.  Positions outside the surface are left
// to GDI, which ignores such writes.
struct GdiPixels {
    HDC Context;

    Colour Read(std::int32_t x, std::int32_t y) const
    {
        return Colour(GetPixel(Context, x, y));
    }
    void Write(std::int32_t x, std::int32_t y, Colour colour) const
    {
        SetPixel(Context, x, y, COLORREF(colour));
    }
};

#endif
