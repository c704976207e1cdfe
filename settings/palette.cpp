#include "settings/palette.h"

const Colour PaletteColours[PaletteCellCount] = {
    0x00FFFFFF,  // white
    0x00BFBFBF,  // light grey (swatch 0xC0)
    0x000000FF,  // red
    0x0000FFFF,  // yellow
    0x0000FF00,  // green
    0x00FFFF00,  // cyan
    0x00FF0000,  // blue
    0x00FF00FF,  // magenta
    0x00000000,  // black
    0x007F7F7F,  // dark grey (swatch 0x80)
    DefaultPaintColour,  // dark red
    0x00007F7F,  // olive
    0x00007F00,  // dark green
    0x007F7F00,  // teal
    0x007F0000,  // navy
    0x007F007F,  // purple
};

std::int32_t PaletteCellAt(std::int32_t x, std::int32_t y, std::int32_t dpi)
{
    if (x < 0 || y < 0 || x >= ScaledEdge(PaletteWidth, dpi, DesignDpi) ||
        y >= ScaledEdge(PaletteHeight, dpi, DesignDpi)) {
        return PaletteNoCell;
    }
    // Both design positions are on the grid, so not negative.
    return DesignPosition(x, dpi, DesignDpi) / PaletteCellSize +
           PaletteColumns * (DesignPosition(y, dpi, DesignDpi) / PaletteCellSize);
}
