// The sixteen colours of the configure dialog's swatch grid and the hit test
// that turns a point on the grid into a cell.
#ifndef RUXA_SETTINGS_PALETTE_H
#define RUXA_SETTINGS_PALETTE_H

#include <cstdint>

#include "animation/colour.h"
#include "animation/scaled_pixels.h"

// Swatch grid: 8 columns by 2 rows of 16 x 16 pixel cells, no gaps.
constexpr std::int32_t PaletteCellSize = 16;
constexpr std::int32_t PaletteColumns = 8;
constexpr std::int32_t PaletteRows = 2;
constexpr std::int32_t PaletteWidth = PaletteCellSize * PaletteColumns;   // 128
constexpr std::int32_t PaletteHeight = PaletteCellSize * PaletteRows;     // 32
constexpr std::int32_t PaletteCellCount = PaletteColumns * PaletteRows;   // 16

// The body colour until the user picks another: dark red, one of the cells.
constexpr Colour DefaultPaintColour = 0x0000007F;

// The colours the vehicle is painted with and that are stored, by cell number
// (column + 8 * row).  Where a swatch shows 0x80 or 0xC0 the table holds 0x7F
// or 0xBF.
extern const Colour PaletteColours[PaletteCellCount];

// What a point over the grid hits.
constexpr std::int32_t PaletteNoCell = -1;

// Cell under a point in the palette's own client coordinates (the bitmap's
// pixel (0, 0) at the origin), or PaletteNoCell when the point is off the grid.
// On a display of another DPI than 96 the grid is drawn scaled by DPI / 96
// (animation/scaled_pixels.h), and a cell's edges lie where its first design
// pixel's block begins.
std::int32_t PaletteCellAt(std::int32_t x, std::int32_t y, std::int32_t dpi = DesignDpi);

#endif
