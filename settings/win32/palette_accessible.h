// The palette's object for screen readers (Microsoft Active Accessibility):
// a list named "Paint colour" whose 16 items are the swatches, named by
// colour, the current one selected and, while the palette has the focus,
// focused.
//
// Nothing of it costs anything until a reader asks: the accessibility and
// COM libraries are loaded, from the system folder, at the first request
// for the palette's object, and stay for the process (COM may run threads
// of its own in them).  Where they are missing (Windows 95 and NT 4 without
// the accessibility add-on) the request gets the platform's default answer.
#ifndef RUXA_SETTINGS_WIN32_PALETTE_ACCESSIBLE_H
#define RUXA_SETTINGS_WIN32_PALETTE_ACCESSIBLE_H

#include <windows.h>

// The answer to WM_GETOBJECT for the palette's client area (OBJID_CLIENT):
// a reference to the object for the asking reader, or 0 where there is none
// to give, so that the platform's own answer applies.
LRESULT AnswerPaletteObjectRequest(HWND palette, WPARAM wParam);

// When the dialog closes: a reader that still holds the object gets an
// error from every call, in this process or through COM from another; the
// object is freed with its last reference.  COM ends on the thread if the
// object's request started it.
void DisconnectPaletteObject();

#endif
