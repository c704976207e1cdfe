// The configure dialog's procedure.  The palette and preview controls are
// plain statics without SS_NOTIFY: they are transparent to the mouse, so a
// click over a swatch reaches the dialog itself as WM_LBUTTONUP.
#include "settings/win32/configure_dialog.h"

#include "animation/drive.h"
#include "animation/win32/dib_surface.h"
#include "animation/win32/gdi_pixels.h"
#include "animation/win32/paint_vehicle.h"
#include "animation/win32/selection_guard.h"
#include "host/win32/host_state.h"
#include "host/win32/saver_hooks.h"
#include "resources/resource_ids.h"
#include "settings/palette.h"
#include "settings/win32/paint_colour.h"
#include "settings/win32/preview_frame.h"

ConfigureRecord ConfigureState;

// Resizes a control, keeping its top-left corner, so that its client area is
// exactly width x height whatever border or edge it has.  The client origin
// stays where it was, since an edge has the same thickness at any size.
static void SizeClientArea(HWND control, int width, int height)
{
    RECT window, client;
    if (!control || !GetWindowRect(control, &window) || !GetClientRect(control, &client))
        return;
    const int borderX = (window.right - window.left) - client.right;
    const int borderY = (window.bottom - window.top) - client.bottom;
    SetWindowPos(control, nullptr, 0, 0, width + borderX, height + borderY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void OpenDialog(HWND dialog)
{
    LoadPaintColour(ConfigureState.WorkingColour);
    ConfigureState.PaletteControl = GetDlgItem(dialog, IDC_PALETTE);
    ConfigureState.PreviewControl = GetDlgItem(dialog, IDC_PREVIEW);
    ConfigureState.PreviewAngle = PreviewStartAngle;
    // Some platforms size a bitmap static to its picture without counting its
    // sunken edge, which hides a strip of swatches; give the whole grid room.
    SizeClientArea(ConfigureState.PaletteControl, PaletteWidth, PaletteHeight);
    // The template's preview rectangle is smaller than the spinning square;
    // the square goes into the free space below and to the right of it, so
    // let the control cover the square and its drawing is not clipped.
    SizeClientArea(ConfigureState.PreviewControl, PreviewSize, PreviewSize);
    SetTimer(dialog, PreviewTimer, PreviewFirstPeriod, nullptr);
}

// One frame of the spinning vehicle, built from nothing and released whole.
static void DrawPreviewFrame(HWND dialog)
{
    ConfigureState.PreviewAngle += PreviewAngleStep;
    if (ConfigureState.PreviewAngle >= 360)
        ConfigureState.PreviewAngle -= 360;

    HWND preview = ConfigureState.PreviewControl;
    HDC controlDc = GetDC(preview);
    DibSurface vehicle = MakeDibSurface(controlDc, VehiclePictureWidth, VehiclePictureHeight);
    DibSurface square = MakeDibSurface(controlDc, PreviewSize, PreviewSize);
    if (!PaintVehicle(vehicle.Context, ConfigureState.WorkingColour))
        ReleaseDibSurface(vehicle);
    if (square.Context != nullptr) {
        // Through the contexts where a surface is the display's own kind.
        if (InMemory(square) && InMemory(vehicle))
            ComposePreviewFrame(square.Context, square.Pixels, vehicle.Pixels, ConfigureState.PreviewAngle);
        else
            ComposePreviewFrame(square.Context, GdiPixels{square.Context}, GdiPixels{vehicle.Context},
                                ConfigureState.PreviewAngle);
        BitBlt(controlDc, 0, 0, PreviewSize, PreviewSize, square.Context, 0, 0, SRCCOPY);
    }
    ReleaseDibSurface(square);
    ReleaseDibSurface(vehicle);
    ReleaseDC(preview, controlDc);

    SetTimer(dialog, PreviewTimer, PreviewPeriod, nullptr);
}

// A release of the left button over the grid picks the swatch under it.
static void PickSwatch(HWND dialog, LPARAM lParam)
{
    // Taken as unsigned 16-bit values, as the message packs them.
    POINT point = {LONG(LOWORD(lParam)), LONG(HIWORD(lParam))};
    // Without a palette control there is no grid to hit; and a failed
    // conversion would leave screen coordinates that could land on one.
    if (!ConfigureState.PaletteControl)
        return;
    if (!ClientToScreen(dialog, &point) || !ScreenToClient(ConfigureState.PaletteControl, &point))
        return;
    const std::int32_t cell = PaletteCellAt(point.x, point.y);
    if (cell != PaletteNoCell)
        ConfigureState.WorkingColour = PaletteColours[cell];
}

static void RunCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        SavePaintColour(ConfigureState.WorkingColour);
        CurrentPaintColour = ConfigureState.WorkingColour;
        EndDialog(dialog, 1);
        break;
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    }
}

extern "C" BOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenDialog(dialog);
        return TRUE;
    case WM_TIMER:
        // The dialog's only timer is the preview's.
        if (ConfigureState.PreviewControl)
            DrawPreviewFrame(dialog);
        return FALSE;
    case WM_COMMAND:
        RunCommand(dialog, wParam);
        return TRUE;
    case WM_LBUTTONUP:
        PickSwatch(dialog, lParam);
        return TRUE;
    }
    return FALSE;
}

extern "C" BOOL WINAPI ScreenSaverRegisterDialogClasses(HANDLE)
{
    return TRUE;
}
