// The picture of one frame of the configure dialog's spinning preview.
#ifndef RUXA_SETTINGS_WIN32_PREVIEW_FRAME_H
#define RUXA_SETTINGS_WIN32_PREVIEW_FRAME_H

#include <windows.h>

#include <cstdint>

#include "animation/drive.h"
#include "animation/fixed_trig.h"
#include "animation/rotate.h"
#include "animation/scaled_pixels.h"
#include "animation/win32/selection_guard.h"
#include "settings/win32/configure_dialog.h"

// Lays the painted vehicle, turned to `angle`, on the button face in the
// preview square selected into `square`, drawn for a display of `dpi`: the
// square is PreviewSize design pixels wide, each a block of true pixels
// (animation/scaled_pixels.h).  GDI fills the square and its surround;
// `Pixels` (an accessor over the square and over the painted picture) does
// the per-pixel turning.  The dialog runs it on its bitmaps' memory, or
// through GdiPixels over their contexts where they have none.
template <class Pixels>
void ComposePreviewFrame(HDC square, const Pixels& squarePixels, const Pixels& picture, std::int32_t angle,
                         std::int32_t dpi = DesignDpi)
{
    // White from a white brush, not a WHITENESS raster operation: on a
    // 32-bit surface WHITENESS can set the unused top byte as well, and
    // then the surface fill below no longer takes that white for the
    // 0x00FFFFFF that it looks for, and fills nothing.
    const LONG side = LONG(ScaledEdge(PreviewSize, dpi, DesignDpi));
    const RECT whole = {0, 0, side, side};
    FillRect(square, &whole, HBRUSH(GetStockObject(WHITE_BRUSH)));
    // The square and the picture are read and written in memory next.
    GdiFlush();
    const auto scaled = ScaledView(squarePixels, dpi, DesignDpi);
    DrawRotatedSprite(scaled, PreviewSize, picture, VehiclePictureHeight, VehiclePictureWidth, FixedSin(angle),
                      FixedCos(angle));

    // The white around the vehicle takes the dialog's own colour; white
    // enclosed by the vehicle's outline (a white body) is not reached.
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    {
        SelectionGuard faceSelection(square, face);
        ExtFloodFill(square, 0, 0, 0x00FFFFFF, FLOODFILLSURFACE);
    }
    if (face != nullptr)
        DeleteObject(face);
}

#endif
