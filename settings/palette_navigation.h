// The swatch grid as a list that the keyboard and screen readers walk: the
// moves between cells, the cells' names, and where each cell lies at a DPI.
#ifndef RUXA_SETTINGS_PALETTE_NAVIGATION_H
#define RUXA_SETTINGS_PALETTE_NAVIGATION_H

#include <cstdint>

#include "animation/colour.h"
#include "settings/palette.h"

enum class PaletteMove { Previous, Next, Up, Down, First, Last };

// The cell a move leads to.  Previous and Next step through the cells in
// their order, from the end of the top row to the start of the bottom one;
// Up and Down change rows in the same column; First and Last go to the
// ends.  No move leaves the grid: at an edge the cell stays.  From no cell
// (a colour that is not on the grid) Last leads to the last cell and every
// other move to the first, as the first key press in an empty list does.
std::int32_t PaletteCellAfter(std::int32_t cell, PaletteMove move);

// The cell that paints in this colour, or PaletteNoCell.
std::int32_t PaletteCellOf(Colour colour);

// What a screen reader says: the grid's name and each cell's.
extern const char PaletteName[];
extern const char* const PaletteColourNames[PaletteCellCount];

// A rectangle of true pixels, right and bottom excluded.
struct PaletteBox {
    std::int32_t Left, Top, Right, Bottom;
};

// A cell's square in the palette's client coordinates with the grid drawn
// for `dpi` (settings/palette.h), `inset` design pixels in from each edge:
// the edges lie where the hit test's cells begin.
PaletteBox PaletteCellBox(std::int32_t cell, std::int32_t inset, std::int32_t dpi);

#endif
