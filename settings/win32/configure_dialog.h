// The configure dialog: the paint colour is picked from a grid of swatches
// while the vehicle spins in a small preview above it.
#ifndef RUXA_SETTINGS_WIN32_CONFIGURE_DIALOG_H
#define RUXA_SETTINGS_WIN32_CONFIGURE_DIALOG_H

#include <windows.h>

#include <cstdint>

#include "animation/colour.h"
#include "settings/dialog_layout.h"

// The preview's timer: 1 ms for the first frame, then one frame every 50 ms.
constexpr UINT_PTR PreviewTimer = 1;
constexpr UINT PreviewFirstPeriod = 1;
constexpr UINT PreviewPeriod = 50;
// Side of the preview square in design pixels (pixels at 96 DPI).
constexpr int PreviewSize = 64;
// The room the palette keeps inside its group box, right and below, in
// dialog units: the template's margin below it.
constexpr int GroupBoxMarginUnits = 7;
constexpr std::int32_t PreviewStartAngle = 270;
constexpr std::int32_t PreviewAngleStep = 3;

// The dialog is modal and exists at most once per process.  The record keeps
// its last values after the dialog ends; the next opening sets every field.
struct ConfigureRecord {
    Colour WorkingColour = 0;
    HWND PaletteControl = nullptr;
    HWND PreviewControl = nullptr;
    std::int32_t PreviewAngle = PreviewStartAngle;
    // The DPI the dialog is drawn for (96 at 100 %); the palette and the
    // preview are drawn at DPI / 96 of their design size.
    std::int32_t Dpi = 96;
    // Away from 96 DPI the palette control shows a picture of the dialog's
    // own, drawn for its DPI (null at 96), and the template's picture is
    // kept aside to be put back.
    HBITMAP ScaledPalette = nullptr;
    HBITMAP TemplatePalette = nullptr;
    // The room right of and below the controls in the layout that the
    // platform made when the dialog opened, and the DPI it was made for;
    // the dialog keeps it at any DPI.
    LayoutRoom DialogRoom = {0, 0};
    std::int32_t DialogRoomDpi = 96;
};

// Posted by the dialog to itself after a change of DPI, once the platform
// has laid the dialog out anew: the palette and the preview then take
// their sizes for the new DPI.
constexpr UINT FitScaledControls = WM_APP + 0x121;

extern ConfigureRecord ConfigureState;

#endif
