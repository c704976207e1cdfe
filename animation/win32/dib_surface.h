// The saver's surfaces, each a bitmap selected for good into a memory
// context.  Where it can, a surface is a 32-bit top-down device-independent
// bitmap: GDI draws on it through the context (the screen copy, the vehicle
// painting, the box copies) and the per-pixel drawing reads and writes its
// memory through PixelMemory.  On a palette display, or where such a bitmap
// cannot be made, it is a bitmap compatible with the screen instead, which
// the per-pixel drawing reaches through the context (GdiPixels).
#ifndef RUXA_ANIMATION_WIN32_DIB_SURFACE_H
#define RUXA_ANIMATION_WIN32_DIB_SURFACE_H

#include <windows.h>

#include <cstdint>

#include "animation/pixel_memory.h"

// A surface that could not be made is missing: no context, no bitmap, no
// pixels.  GDI calls on its null context fail and draw nothing, and its
// empty PixelMemory reads only OutsideColour and ignores writes.  A
// screen-compatible surface has a context and a bitmap but no memory.
struct DibSurface {
    HDC Context = nullptr;
    HBITMAP Bitmap = nullptr;
    PixelMemory Pixels;
};

// How surfaces are made.  The program never changes it; tests set it to
// take each fallback on a true-colour display.
struct SurfaceRecord {
    bool ActAsPaletteDisplay = false;  // as if `reference` were palette-based
    bool MemoryFails = false;          // as if no 32-bit bitmap could be made
};

extern SurfaceRecord SurfaceMaking;

// A width x height surface of black pixels, with a context compatible with
// `reference`: in memory where it can be, otherwise compatible with
// `reference` (the screen, or a window on it).  On a 256-colour display a
// 32-bit picture would be shown in its 20 static colours only, so there the
// surfaces are always the display's own kind, and their colours exactly its.
// Missing when neither can be made; nothing is kept then.
DibSurface MakeDibSurface(HDC reference, std::int32_t width, std::int32_t height);

// A bitmap resource of the module copied into a new surface of its size.
// Missing when the resource cannot be loaded or the surface made.
DibSurface LoadDibPicture(HDC reference, int resourceId);

// Deletes the context and then its bitmap, which is no longer selected
// anywhere by then, and leaves the surface missing.
void ReleaseDibSurface(DibSurface& surface);

// True when the per-pixel drawing can work in the surface's memory: it has
// memory, or it is missing (and then nothing is drawn from it either way).
inline bool InMemory(const DibSurface& surface)
{
    return surface.Context == nullptr || surface.Pixels.Bits != nullptr;
}

#endif
