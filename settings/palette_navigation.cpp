#include "settings/palette_navigation.h"

const char PaletteName[] = "Paint colour";

const char* const PaletteColourNames[PaletteCellCount] = {
    "White", "Light grey", "Red",        "Yellow", "Green", "Cyan", "Blue", "Magenta",
    "Black", "Dark grey",  "Dark red",   "Olive",  "Dark green", "Teal", "Navy", "Purple",
};

std::int32_t PaletteCellAfter(std::int32_t cell, PaletteMove move)
{
    if (cell < 0 || cell >= PaletteCellCount)
        return move == PaletteMove::Last ? PaletteCellCount - 1 : 0;
    std::int32_t next = cell;
    switch (move) {
    case PaletteMove::Previous: next = cell - 1; break;
    case PaletteMove::Next: next = cell + 1; break;
    case PaletteMove::Up: next = cell - PaletteColumns; break;
    case PaletteMove::Down: next = cell + PaletteColumns; break;
    case PaletteMove::First: next = 0; break;
    case PaletteMove::Last: next = PaletteCellCount - 1; break;
    }
    return next >= 0 && next < PaletteCellCount ? next : cell;
}

std::int32_t PaletteCellOf(Colour colour)
{
    for (std::int32_t cell = 0; cell < PaletteCellCount; ++cell)
        if (PaletteColours[cell] == colour)
            return cell;
    return PaletteNoCell;
}

PaletteBox PaletteCellBox(std::int32_t cell, std::int32_t inset, std::int32_t dpi)
{
    const std::int32_t left = cell % PaletteColumns * PaletteCellSize;
    const std::int32_t top = cell / PaletteColumns * PaletteCellSize;
    return PaletteBox{ScaledEdge(left + inset, dpi, DesignDpi), ScaledEdge(top + inset, dpi, DesignDpi),
                      ScaledEdge(left + PaletteCellSize - inset, dpi, DesignDpi),
                      ScaledEdge(top + PaletteCellSize - inset, dpi, DesignDpi)};
}
