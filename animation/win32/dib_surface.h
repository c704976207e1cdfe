// The saver's surfaces: 32-bit top-down device-independent bitmaps, each
// selected for good into a memory context.  GDI draws on them through the
// context (the screen copy, the vehicle painting, the box copies); the
// per-pixel drawing reads and writes their memory through PixelMemory.
#ifndef RUXA_ANIMATION_WIN32_DIB_SURFACE_H
#define RUXA_ANIMATION_WIN32_DIB_SURFACE_H

#include <windows.h>

#include <cstdint>

#include "animation/pixel_memory.h"

// A surface that could not be made is missing: no context, no bitmap, no
// pixels.  GDI calls on its null context fail and draw nothing, and its
// empty PixelMemory reads only OutsideColour and ignores writes.
struct DibSurface {
    HDC Context = nullptr;
    HBITMAP Bitmap = nullptr;
    PixelMemory Pixels;
};

// A width x height surface of black pixels, with a context compatible with
// `reference`.  Missing when either part cannot be made; nothing is kept then.
DibSurface MakeDibSurface(HDC reference, std::int32_t width, std::int32_t height);

// A bitmap resource of the module copied into a new surface of its size.
// Missing when the resource cannot be loaded or the surface made.
DibSurface LoadDibPicture(HDC reference, int resourceId);

// Deletes the context and then its bitmap, which is no longer selected
// anywhere by then, and leaves the surface missing.
void ReleaseDibSurface(DibSurface& surface);

#endif
