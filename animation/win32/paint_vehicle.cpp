#include "animation/win32/paint_vehicle.h"

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
            ExtFloodFill(scratch, seed.X, seed.Y, COLORREF(VehicleBodyColour), FLOODFILLSURFACE);

        if (colour == VehicleBackgroundColour) {
            // A white body would vanish under the white key: the background
            // turns blue instead, a colour the body no longer has.
            HBRUSH blue = CreateSolidBrush(COLORREF(VehicleBodyColour));
            brushSelection.Reselect(blue);
            DeleteObject(brush);
            brush = blue;
            ExtFloodFill(scratch, 0, 0, COLORREF(VehicleBackgroundColour), FLOODFILLSURFACE);
        }

        BitBlt(target, 0, 0, VehicleWidth, VehicleHeight, scratch, 0, 0, SRCCOPY);
    }
    if (picture != nullptr)
        DeleteObject(picture);
    if (brush != nullptr)
        DeleteObject(brush);
    if (scratch != nullptr)
        DeleteDC(scratch);
}
