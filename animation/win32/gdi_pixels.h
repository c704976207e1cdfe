// Device contexts as pixel surfaces for the shared drawing templates
// (animation/rotate.h), and a guard that keeps selections balanced.
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

// Selects an object into a context for the guard's lifetime and puts the
// replaced object back when it ends, so that the object can be deleted
// afterwards without ever being deleted while selected.
struct SelectionGuard {
    HDC Context;
    HGDIOBJ Previous;

    SelectionGuard(HDC context, HGDIOBJ object) : Context(context), Previous(SelectObject(context, object)) {}
    // Replaces the selected object; the object put back at the end stays the
    // one the context had before the guard.
    void Reselect(HGDIOBJ object) { SelectObject(Context, object); }
    ~SelectionGuard()
    {
        if (Previous != nullptr && Previous != HGDI_ERROR)
            SelectObject(Context, Previous);
    }
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;
};

#endif
