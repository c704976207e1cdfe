#include "settings/dialog_layout.h"

namespace {

std::int32_t Larger(std::int32_t a, std::int32_t b)
{
    return a > b ? a : b;
}

std::int32_t Smaller(std::int32_t a, std::int32_t b)
{
    return a < b ? a : b;
}

void MoveBox(LayoutBox& box, std::int32_t dx, std::int32_t dy)
{
    box.Left += dx;
    box.Right += dx;
    box.Top += dy;
    box.Bottom += dy;
}

// The group box: the control around the palette's top-left corner, which
// the layout puts inside it at any scale; -1 where there is none.
int FrameIndex(const DialogLayout& layout)
{
    for (int i = 0; i < layout.ControlCount; ++i) {
        const LayoutBox& box = layout.Controls[i];
        if (box.Left <= layout.Palette.Left && layout.Palette.Left < box.Right && box.Top <= layout.Palette.Top &&
            layout.Palette.Top < box.Bottom)
            return i;
    }
    return -1;
}

// The right and bottom edges of the controls, and of the pictures too
// where `withPictures`.
LayoutBox Extent(const DialogLayout& layout, bool withPictures)
{
    LayoutBox extent = withPictures ? layout.Palette : LayoutBox{0, 0, 0, 0};
    for (int i = withPictures ? -1 : 0; i < layout.ControlCount; ++i) {
        const LayoutBox& box = i < 0 ? layout.Preview : layout.Controls[i];
        extent.Right = Larger(extent.Right, box.Right);
        extent.Bottom = Larger(extent.Bottom, box.Bottom);
    }
    return extent;
}

}  // namespace

LayoutRoom MeasureDialogRoom(const DialogLayout& laidOut)
{
    const LayoutBox extent = Extent(laidOut, false);
    return LayoutRoom{Larger(0, laidOut.Width - extent.Right), Larger(0, laidOut.Height - extent.Bottom)};
}

LayoutRoom ScaleRoom(const LayoutRoom& room, std::int32_t num, std::int32_t den)
{
    return LayoutRoom{room.Right * num / den, room.Bottom * num / den};
}

DialogLayout FitDialogLayout(const DialogLayout& layout, const PictureSizes& pictures, const LayoutMargins& margins)
{
    DialogLayout fitted = layout;
    LayoutBox& preview = fitted.Preview;
    preview.Right = preview.Left + pictures.PreviewSide;
    preview.Bottom = preview.Top + pictures.PreviewSide;
    LayoutBox& palette = fitted.Palette;
    palette.Right = palette.Left + pictures.PaletteWidth;
    palette.Bottom = palette.Top + pictures.PaletteHeight;

    const int frameIndex = FrameIndex(layout);
    if (frameIndex >= 0) {
        const LayoutBox frame = layout.Controls[frameIndex];
        const std::int32_t down = Larger(0, preview.Bottom - frame.Top);
        const std::int32_t wider = Larger(0, palette.Right + margins.InGroupBox.Right - frame.Right);
        const std::int32_t deeper = Larger(0, palette.Bottom + margins.InGroupBox.Bottom - frame.Bottom);
        std::int32_t leftmost = frame.Left;
        for (int i = 0; i < layout.ControlCount; ++i)
            if (i != frameIndex)
                leftmost = Smaller(leftmost, layout.Controls[i].Left);
        const std::int32_t toLeft = Larger(0, Smaller(wider / 2, frame.Left - leftmost));
        for (int i = 0; i < fitted.ControlCount; ++i) {
            LayoutBox& box = fitted.Controls[i];
            if (i == frameIndex) {
                box.Left -= toLeft;
                box.Top += down;
                box.Right += wider - toLeft;
                box.Bottom += down + deeper;
            } else if (box.Top >= frame.Bottom) {
                MoveBox(box, 0, down + deeper);
            } else if (box.Top >= frame.Top) {
                MoveBox(box, 0, down);
            }
        }
        MoveBox(palette, -toLeft, down);
    }

    const LayoutBox extent = Extent(fitted, true);
    fitted.Width = Larger(layout.Width, extent.Right + margins.InDialog.Right);
    fitted.Height = Larger(layout.Height, extent.Bottom + margins.InDialog.Bottom);
    return fitted;
}
