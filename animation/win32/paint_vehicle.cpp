#include "animation/win32/paint_vehicle.h"

#include "animation/drive.h"
#include "animation/vehicle_body.h"
#include "animation/win32/selection_guard.h"
#include "host/win32/host_state.h"
#include "resources/resource_ids.h"

bool PaintVehicle(HDC target, Colour colour)
{
    HDC scratch = CreateCompatibleDC(target);
    HBRUSH brush = CreateSolidBrush(COLORREF(colour));
    HBITMAP picture = LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_VEHICLE));
    bool painted = false;
    {
        // Both guards end before anything is deleted, so the brush and the
        // picture are deselected first on every path.
        SelectionGuard brushSelection(scratch, brush);
        SelectionGuard pictureSelection(scratch, picture);

        // The fill colour is the selected brush's; a fill in another colour
        // (the blue background under a white body) replaces the brush.
        Colour brushColour = colour;
        PaintVehicleBody(colour, [&](std::int32_t x, std::int32_t y, Colour surfaceColour, Colour fill) {
            if (fill != brushColour) {
                HBRUSH next = CreateSolidBrush(COLORREF(fill));
                brushSelection.Reselect(next);
                DeleteObject(brush);
                brush = next;
                brushColour = fill;
            }
            ExtFloodFill(scratch, x, y, COLORREF(surfaceColour), FLOODFILLSURFACE);
        });

        painted = picture != nullptr &&
                  BitBlt(target, 0, 0, VehiclePictureWidth, VehiclePictureHeight, scratch, 0, 0, SRCCOPY);
    }
    if (picture != nullptr)
        DeleteObject(picture);
    if (brush != nullptr)
        DeleteObject(brush);
    if (scratch != nullptr)
        DeleteDC(scratch);
    return painted;
}
