#include "animation/win32/paint_vehicle.h"

#include "animation/drive.h"
#include "animation/flood_fill.h"
#include "animation/win32/gdi_pixels.h"
#include "host/win32/host_state.h"
#include "resources/resource_ids.h"

void PaintVehicle(HDC target, Colour colour)
{
    HDC scratch = CreateCompatibleDC(target);
    HBRUSH brush = CreateSolidBrush(COLORREF(colour));
    HBITMAP picture = LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_VEHICLE));
    {
        // Both guards end before anything is deleted, so the brush and the
        // picture are deselected first on every path.
        SelectionGuard brushSelection(scratch, brush);
        SelectionGuard pictureSelection(scratch, picture);

        for (const PicturePoint& seed : VehicleBodySeeds)
            ExtFloodFill(scratch, seed.X, seed.Y, COLORREF(PictureBodyColour), FLOODFILLSURFACE);

        if (colour == PictureBackgroundColour) {
            // A white body would vanish under the white key: the background
            // turns blue instead, a colour the body no longer has.
            HBRUSH blue = CreateSolidBrush(COLORREF(PictureBodyColour));
            brushSelection.Reselect(blue);
            DeleteObject(brush);
            brush = blue;
            ExtFloodFill(scratch, 0, 0, COLORREF(PictureBackgroundColour), FLOODFILLSURFACE);
        }

        BitBlt(target, 0, 0, VehiclePictureWidth, VehiclePictureHeight, scratch, 0, 0, SRCCOPY);
    }
    if (picture != nullptr)
        DeleteObject(picture);
    if (brush != nullptr)
        DeleteObject(brush);
    if (scratch != nullptr)
        DeleteDC(scratch);
}
