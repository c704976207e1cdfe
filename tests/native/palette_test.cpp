#include <gtest/gtest.h>

#include <string>

#include "tools/surface/surface.h"
#include "settings/palette.h"
#include "tools/image/image_files.h"

namespace {

TEST(PaletteHitTest, CornersAndCellBordersPickTheCellUnderThePoint)
{
    EXPECT_EQ(PaletteCellAt(0, 0), 0);
    EXPECT_EQ(PaletteColours[PaletteCellAt(0, 0)], 0x00FFFFFFu);
    EXPECT_EQ(PaletteCellAt(127, 31), 15);
    EXPECT_EQ(PaletteColours[PaletteCellAt(127, 31)], 0x007F007Fu);
    EXPECT_EQ(PaletteCellAt(16, 15), 1);
    EXPECT_EQ(PaletteCellAt(15, 16), 8);
    EXPECT_EQ(PaletteColours[PaletteCellAt(15, 16)], 0x00000000u);
    EXPECT_EQ(PaletteCellAt(127, 0), 7);
    EXPECT_EQ(PaletteCellAt(0, 31), 8);
    EXPECT_EQ(PaletteCellAt(112, 16), 15);
    EXPECT_EQ(PaletteCellAt(111, 15), 6);
}

TEST(PaletteHitTest, EveryPixelOfTheGridMapsToItsOwnCell)
{
    for (std::int32_t y = 0; y < PaletteHeight; ++y) {
        for (std::int32_t x = 0; x < PaletteWidth; ++x) {
            const std::int32_t expected = (y >= 16 ? 8 : 0) + x / 16;
            ASSERT_EQ(PaletteCellAt(x, y), expected) << x << "," << y;
        }
    }
}

TEST(PaletteHitTest, PointsOffTheGridHitNothing)
{
    EXPECT_EQ(PaletteCellAt(128, 0), PaletteNoCell);
    EXPECT_EQ(PaletteCellAt(0, 32), PaletteNoCell);
    EXPECT_EQ(PaletteCellAt(128, 32), PaletteNoCell);
    EXPECT_EQ(PaletteCellAt(-1, 0), PaletteNoCell);
    EXPECT_EQ(PaletteCellAt(0, -1), PaletteNoCell);
    EXPECT_EQ(PaletteCellAt(-16, 5), PaletteNoCell);   // -16 / 16 would be cell -1
    EXPECT_EQ(PaletteCellAt(5, -16), PaletteNoCell);
    EXPECT_EQ(PaletteCellAt(65535, 65535), PaletteNoCell);
    EXPECT_EQ(PaletteCellAt(INT32_MIN, INT32_MIN), PaletteNoCell);
}

// Drawn for another DPI, cell c covers the true pixels from the block edge
// of its first design pixel up to the next cell's: a point anywhere on it
// hits it, and just off the grid nothing.
TEST(PaletteHitTest, AtAnyDpiEachPointHitsTheCellDrawnUnderIt)
{
    for (std::int32_t dpi : {96, 106, 120, 130, 144, 168, 192, 240, 288})
        for (std::int32_t y = -3; y < PaletteHeight * dpi / 96 + 3; ++y)
            for (std::int32_t x = -3; x < PaletteWidth * dpi / 96 + 3; ++x) {
                std::int32_t drawn = PaletteNoCell;
                for (std::int32_t cell = 0; cell < PaletteCellCount; ++cell) {
                    const std::int32_t left = cell % 8 * 16, top = cell / 8 * 16;
                    if (x >= ScaledEdge(left, dpi, 96) && x < ScaledEdge(left + 16, dpi, 96) &&
                        y >= ScaledEdge(top, dpi, 96) && y < ScaledEdge(top + 16, dpi, 96))
                        drawn = cell;
                }
                ASSERT_EQ(PaletteCellAt(x, y, dpi), drawn) << x << "," << y << " at " << dpi << " DPI";
            }
}

TEST(PaletteColoursTable, HoldsThePaintValuesNotTheSwatchValues)
{
    EXPECT_EQ(PaletteColours[1], 0x00BFBFBFu);   // light grey
    EXPECT_EQ(PaletteColours[9], 0x007F7F7Fu);   // dark grey
    EXPECT_EQ(PaletteColours[10], 0x0000007Fu);  // dark red, the default paint
    EXPECT_EQ(PaletteColours[13], 0x007F7F00u);  // teal
    for (std::int32_t cell = 0; cell < PaletteCellCount; ++cell) {
        EXPECT_EQ(PaletteColours[cell] >> 24, 0u) << cell;
        for (std::int32_t other = 0; other < cell; ++other) {
            EXPECT_NE(PaletteColours[cell], PaletteColours[other]) << cell << " " << other;
        }
    }
}

// The swatch a cell shows: the table's colour with each 0x7F component drawn
// as 0x80 and each 0xBF as 0xC0.
Colour SwatchOf(Colour paint)
{
    Colour shown = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        Colour part = (paint >> shift) & 0xFF;
        if (part == 0x7F)
            part = 0x80;
        else if (part == 0xBF)
            part = 0xC0;
        shown |= part << shift;
    }
    return shown;
}

TEST(PaletteColoursTable, EveryCellOfThePaletteBitmapShowsItsTableColour)
{
    Surface picture;
    ASSERT_TRUE(LoadImageFile(std::string(RUXA_ART_DIR) + "/palette.bmp", picture));
    ASSERT_EQ(picture.Width, PaletteWidth);
    ASSERT_EQ(picture.Height, PaletteHeight);
    for (std::int32_t y = 0; y < PaletteHeight; ++y) {
        for (std::int32_t x = 0; x < PaletteWidth; ++x) {
            const std::int32_t cell = PaletteCellAt(x, y);
            ASSERT_EQ(picture.Read(x, y), SwatchOf(PaletteColours[cell]))
                << "pixel " << x << "," << y << " of cell " << cell;
        }
    }
    // The substitutions are the only differences between table and swatches.
    EXPECT_EQ(picture.Read(24, 8), 0x00C0C0C0u);
    EXPECT_EQ(picture.Read(24, 24), 0x00808080u);
    EXPECT_EQ(picture.Read(8, 8), PaletteColours[0]);
    EXPECT_EQ(picture.Read(40, 8), PaletteColours[2]);
}

}  // namespace
