// Room for the configure dialog's pictures at every scale.
#include "settings/dialog_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// The template's controls in dialog units, laid out as the dialog manager
// does with a font of these base units: each position and size is rounded
// on its own.
int Units(int units, int base, int per)
{
    return int(std::lround(double(units) * base / per));
}

LayoutBox TemplateBox(int x, int y, int cx, int cy, int baseX, int baseY)
{
    const int left = Units(x, baseX, 4), top = Units(y, baseY, 8);
    return LayoutBox{left, top, left + Units(cx, baseX, 4), top + Units(cy, baseY, 8)};
}

DialogLayout LaidOut(int baseX, int baseY)
{
    DialogLayout layout = {Units(206, baseX, 4), Units(183, baseY, 8), TemplateBox(59, 114, 88, 22, baseX, baseY),
                           TemplateBox(86, 59, 33, 16, baseX, baseY), 4, {}};
    layout.Controls[0] = TemplateBox(32, 156, 50, 14, baseX, baseY);   // OK
    layout.Controls[1] = TemplateBox(40, 9, 125, 48, baseX, baseY);    // the text
    layout.Controls[2] = TemplateBox(50, 103, 105, 40, baseX, baseY);  // the group box
    layout.Controls[3] = TemplateBox(123, 156, 50, 14, baseX, baseY);  // Cancel
    return layout;
}

// The palette with its 2-pixel edge, and the preview's square.
PictureSizes PicturesAt(int dpi)
{
    return PictureSizes{128 * dpi / 96 + 4, 32 * dpi / 96 + 4, 64 * dpi / 96};
}

// Both are plain 32-bit integers throughout, without padding.
template <class Layout>
bool Same(const Layout& a, const Layout& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Row {
    const char* Name;
    int BaseX, BaseY;  // the font the system laid the dialog out with
    int Dpi;           // the pictures'
    int LayoutDpi;     // the room in the dialog: the layout's, at Dpi / LayoutDpi
    LayoutBox GroupBox;
    int ButtonsTop, Width, Height;
};

}  // namespace

// Where the layout grew less than the pictures (the 150 % bitmap font; a
// dialog laid out for 96 DPI dragged to 192; in Wine's 192 DPI layout, by
// 2 pixels) the group box moves down below the preview, grows about its
// centre and down around the palette, and the buttons and the dialog
// follow.  Elsewhere only the pictures' own sizes change.
TEST(DialogLayout, MakesRoomForThePicturesWhereTheLayoutGrewLessAndOnlyThere)
{
    const Row rows[] = {
        {"MS Sans Serif at 96 DPI", 6, 13, 96, 96, {75, 167, 233, 232}, 254, 309, 297},
        {"Wine at 96 DPI", 7, 13, 96, 96, {88, 167, 272, 232}, 254, 361, 297},
        {"Wine at 144 DPI", 10, 19, 144, 144, {125, 245, 388, 340}, 371, 515, 435},
        {"Wine at 192 DPI", 13, 24, 192, 192, {163, 309, 504, 431}, 470, 670, 551},
        {"a bitmap font at 150 %", 8, 16, 144, 144, {91, 214, 319, 302}, 328, 412, 382},
        {"laid out at 96, dragged to 192 DPI", 7, 13, 192, 96, {56, 224, 343, 321}, 343, 459, 406},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        const DialogLayout before = LaidOut(row.BaseX, row.BaseY);
        // 7 dialog units in the group box, as the template keeps below the palette.
        const LayoutMargins margins = {{Units(7, row.BaseX, 4), Units(7, row.BaseY, 8)},
                                       ScaleRoom(MeasureDialogRoom(before), row.Dpi, row.LayoutDpi)};
        const PictureSizes pictures = PicturesAt(row.Dpi);
        const DialogLayout after = FitDialogLayout(before, pictures, margins);
        const LayoutBox &palette = after.Palette, &box = after.Controls[2];
        EXPECT_TRUE(Same(box, row.GroupBox)) << box.Left << "," << box.Top << " " << box.Right << "," << box.Bottom;
        EXPECT_EQ(after.Controls[0].Top, row.ButtonsTop);
        EXPECT_EQ(after.Controls[3].Top, row.ButtonsTop);
        EXPECT_EQ(after.Width, row.Width);
        EXPECT_EQ(after.Height, row.Height);
        EXPECT_TRUE(Same(after.Controls[1], before.Controls[1])) << "the text stays";
        // The pictures' sizes; the palette inside the group box with its
        // margins, the preview clear above it.
        EXPECT_EQ(palette.Right - palette.Left, pictures.PaletteWidth);
        EXPECT_EQ(palette.Bottom - palette.Top, pictures.PaletteHeight);
        EXPECT_EQ(after.Preview.Bottom - after.Preview.Top, pictures.PreviewSide);
        EXPECT_EQ(palette.Left - box.Left, before.Palette.Left - before.Controls[2].Left);
        EXPECT_LE(palette.Right + margins.InGroupBox.Right, box.Right);
        EXPECT_LE(palette.Bottom + margins.InGroupBox.Bottom, box.Bottom);
        EXPECT_LE(after.Preview.Bottom, box.Top);
        // A fitted layout stays as it is.
        EXPECT_TRUE(Same(FitDialogLayout(after, pictures, margins), after));
    }
}
