// SelectionGuard: a general GDI helper that keeps a device context's
// selections balanced, for any code that draws into memory contexts.
#ifndef RUXA_ANIMATION_WIN32_SELECTION_GUARD_H
#define RUXA_ANIMATION_WIN32_SELECTION_GUARD_H

#include <windows.h>

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
