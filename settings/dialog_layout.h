// Room in the configure dialog for its two pictures.  The system lays the
// dialog out from its template, in units of the template's font; the
// palette and the spinning preview are pictures drawn at DPI / 96 of their
// design size.  The template's font is a bitmap font, made in a few sizes
// only, so on a scaled display the layout can grow by less than the
// pictures.  Fitting makes room where it did: the palette keeps inside its
// group box, and the preview above it; the group box, the controls below
// it and the dialog move and grow for that, never shrink.  A layout that
// has the room stays as it is.
#ifndef RUXA_SETTINGS_DIALOG_LAYOUT_H
#define RUXA_SETTINGS_DIALOG_LAYOUT_H

#include <cstdint>

// A control's rectangle in the dialog's client pixels, right and bottom
// exclusive.
struct LayoutBox {
    std::int32_t Left, Top, Right, Bottom;
};

constexpr int MaxLayoutControls = 8;

struct DialogLayout {
    std::int32_t Width, Height;  // the dialog's client area
    LayoutBox Palette;           // its outer rectangle, edge included
    LayoutBox Preview;
    // Every other control; the group box is the one around the palette's
    // top-left corner.
    int ControlCount;
    LayoutBox Controls[MaxLayoutControls];
};

// The pictures' sizes at the dialog's DPI: the palette control with its
// edge around the swatches, and the preview's square.
struct PictureSizes {
    std::int32_t PaletteWidth, PaletteHeight;
    std::int32_t PreviewSide;
};

// Room kept right of and below something, in pixels.
struct LayoutRoom {
    std::int32_t Right, Bottom;
};

// The room a layout keeps around the palette inside its group box, and
// right of and below the controls inside the dialog.
struct LayoutMargins {
    LayoutRoom InGroupBox;
    LayoutRoom InDialog;
};

// The room right of and below the controls of a layout as the platform
// made it.  The pictures' controls do not count: a picture sizes its
// control, not the layout.
LayoutRoom MeasureDialogRoom(const DialogLayout& laidOut);

// The room at num / den of its size, rounded down.
LayoutRoom ScaleRoom(const LayoutRoom& room, std::int32_t num, std::int32_t den);

// The layout with the palette and the preview at the pictures' sizes and
// room made for them:
// - the preview's square keeps clear of the group box: the group box and
//   everything from its top down move down as far as the square reaches
//   into it;
// - the palette keeps the margins inside the group box: the group box
//   grows down, and grows wider about its centre (no further left than the
//   leftmost other control; the rest to the right), the palette moving
//   with its left edge; the controls below the group box move down as far
//   as it grew;
// - the dialog grows where the controls no longer leave its margins.
// The text above the preview stays where it is.  Fitting a fitted layout
// again changes nothing.
DialogLayout FitDialogLayout(const DialogLayout& layout, const PictureSizes& pictures,
                             const LayoutMargins& margins);

#endif
