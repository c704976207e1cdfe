// The configure dialog's palette as a control of its own: a stop of the Tab
// order that picks swatches with the arrow keys, Home and End, marks the
// current swatch while it has the focus, and tells screen readers what it
// is and what is picked.  The template's palette is a plain bitmap static,
// and the dialog makes it all this at run time.
#ifndef RUXA_SETTINGS_WIN32_PALETTE_CONTROL_H
#define RUXA_SETTINGS_WIN32_PALETTE_CONTROL_H

#include <windows.h>

#include <cstdint>

// Makes the dialog's palette control (ConfigureState.PaletteControl) a tab
// stop with the keyboard handling, the mark and the accessible object;
// nothing where the dialog has no palette.
void AttachPaletteControl(HWND dialog);
// Before the dialog goes: disconnects the accessible object from any
// reader that still holds it, and gives the palette its own procedure back.
void DetachPaletteControl();

// The cell that the working colour paints in (PaletteNoCell for a colour
// off the grid): the current swatch.
std::int32_t CurrentPaletteCell();
// Whether the palette has the keyboard focus.
bool PaletteHasFocus();
// Picks a cell, by a click, a key or a screen reader: the working colour
// becomes its colour, the mark moves to it, and assistive programs hear of
// the change.  Picking the current cell changes nothing.
void PickPaletteCell(std::int32_t cell);

#endif
