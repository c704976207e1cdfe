// The configure dialog's procedure.  The palette and preview controls are
// plain statics without SS_NOTIFY: they are transparent to the mouse, so a
// click over a swatch reaches the dialog itself as WM_LBUTTONUP.  The
// palette also takes the keyboard and answers screen readers
// (palette_control.cpp).
//
// The dialog is drawn for its display's DPI: the platform lays out its text
// and controls, and the palette and the spinning preview are drawn here at
// DPI / 96 of their design size (animation/scaled_pixels.h).  At 96 DPI
// that is the template's own picture and the design sizes.
#include "settings/win32/configure_dialog.h"

#include "animation/drive.h"
#include "animation/scaled_pixels.h"
#include "animation/win32/dib_surface.h"
#include "animation/win32/display_dpi.h"
#include "animation/win32/gdi_pixels.h"
#include "animation/win32/paint_vehicle.h"
#include "animation/win32/selection_guard.h"
#include "host/win32/host_state.h"
#include "host/win32/saver_hooks.h"
#include "resources/resource_ids.h"
#include "settings/dialog_layout.h"
#include "settings/palette.h"
#include "settings/win32/paint_colour.h"
#include "settings/win32/palette_control.h"
#include "settings/win32/preview_frame.h"

ConfigureRecord ConfigureState;

// A length of `design` pixels at 96 DPI, at the dialog's DPI.
static int DialogPixels(int design)
{
    return int(ScaledEdge(design, ConfigureState.Dpi, DesignDpi));
}

// The palette drawn for the dialog's DPI: each swatch of the template's
// picture a solid cell, from its first design pixel's block to the next
// cell's.  The bitmap is the caller's; null when it cannot be drawn.
static HBITMAP DrawScaledPalette()
{
    HWND palette = ConfigureState.PaletteControl;
    HDC reference = GetDC(palette);
    DibSurface swatches = LoadDibPicture(reference, IDB_PALETTE);
    DibSurface picture = MakeDibSurface(reference, DialogPixels(PaletteWidth), DialogPixels(PaletteHeight));
    HBITMAP drawn = swatches.Context != nullptr ? picture.Bitmap : nullptr;
    for (int cell = 0; drawn != nullptr && cell < PaletteCellCount; ++cell) {
        const int left = (cell % PaletteColumns) * PaletteCellSize, top = (cell / PaletteColumns) * PaletteCellSize;
        const int x = DialogPixels(left), y = DialogPixels(top);
        StretchBlt(picture.Context, x, y, DialogPixels(left + PaletteCellSize) - x,
                   DialogPixels(top + PaletteCellSize) - y, swatches.Context, left + PaletteCellSize / 2,
                   top + PaletteCellSize / 2, 1, 1, SRCCOPY);
    }
    ReleaseDibSurface(swatches);
    ReleaseDC(palette, reference);
    if (drawn == nullptr) {
        ReleaseDibSurface(picture);
        return nullptr;
    }
    // The control is to show the bitmap, which must be in no context then.
    DeleteDC(picture.Context);
    return drawn;
}

// Shows `picture` in the palette control, or the template's own picture
// again when null.  The control does not own a picture it is given, and
// may show a copy of it: whatever of the dialog's own comes back is deleted.
static void ShowPalettePicture(HBITMAP picture)
{
    if (picture == nullptr && ConfigureState.ScaledPalette == nullptr)
        return;  // the template's picture shows already
    HBITMAP shown = picture != nullptr ? picture : ConfigureState.TemplatePalette;
    HBITMAP previous = reinterpret_cast<HBITMAP>(
        SendMessageA(ConfigureState.PaletteControl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown)));
    if (ConfigureState.ScaledPalette == nullptr) {
        ConfigureState.TemplatePalette = previous;
    } else {
        if (previous != nullptr && previous != ConfigureState.ScaledPalette)
            DeleteObject(previous);
        DeleteObject(ConfigureState.ScaledPalette);
    }
    ConfigureState.ScaledPalette = picture;
}

// A control's window rectangle in the dialog's client pixels.
static LayoutBox ClientBox(HWND dialog, HWND control)
{
    RECT frame = {0, 0, 0, 0};
    GetWindowRect(control, &frame);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
    return LayoutBox{frame.left, frame.top, frame.right, frame.bottom};
}

// The width and height of a control's border or edge: its window size less
// its client size.  The same at any size of the control.
static POINT EdgeSize(HWND control)
{
    RECT frame = {0, 0, 0, 0}, client = {0, 0, 0, 0};
    if (control && GetWindowRect(control, &frame) && GetClientRect(control, &client))
        return POINT{(frame.right - frame.left) - client.right, (frame.bottom - frame.top) - client.bottom};
    return POINT{0, 0};
}

// The dialog as the platform has laid it out: its client area, the palette
// and the preview, and every other control, whose handles go to `others`.
static DialogLayout ReadLayout(HWND dialog, HWND (&others)[MaxLayoutControls])
{
    DialogLayout layout = {};
    RECT client = {0, 0, 0, 0};
    GetClientRect(dialog, &client);
    layout.Width = client.right;
    layout.Height = client.bottom;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LayoutBox box = ClientBox(dialog, child);
        if (child == ConfigureState.PaletteControl) {
            layout.Palette = box;
        } else if (child == ConfigureState.PreviewControl) {
            layout.Preview = box;
        } else if (layout.ControlCount < MaxLayoutControls) {
            others[layout.ControlCount] = child;
            layout.Controls[layout.ControlCount++] = box;
        }
    }
    return layout;
}

// Moves and sizes a window to `box` (in its parent's client pixels, or the
// screen's) where it is elsewhere.  The whole window is drawn again: some
// platforms stretch a static's picture to its size, and what they drew at
// the old size must not stay.
static void PlaceWindow(HWND window, const LayoutBox& box, const LayoutBox& was)
{
    if (box.Left == was.Left && box.Top == was.Top && box.Right == was.Right && box.Bottom == was.Bottom)
        return;
    SetWindowPos(window, nullptr, box.Left, box.Top, box.Right - box.Left, box.Bottom - box.Top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

// The palette and the preview at the dialog's DPI, and room for them.
// Some platforms size a bitmap static to its picture without counting its
// sunken edge, which hides a strip of swatches: the palette control gets
// the whole grid inside its edge.  The template's preview rectangle is
// smaller than the spinning square, which goes into the free space below
// and to the right of it: the control covers the square, so its drawing
// is not clipped.  Where the platform's layout grew less than the pictures
// (the template's bitmap font comes in a few sizes only), the group box,
// the buttons and the dialog make room: the palette keeps the group box's
// margin around it, and the dialog the room that the platform gave it
// when it opened (`opening`), at the dialog's DPI.
static void FitControls(HWND dialog, bool opening)
{
    ShowPalettePicture(ConfigureState.Dpi != DesignDpi ? DrawScaledPalette() : nullptr);
    HWND others[MaxLayoutControls];
    const DialogLayout layout = ReadLayout(dialog, others);
    if (opening) {
        ConfigureState.DialogRoom = MeasureDialogRoom(layout);
        ConfigureState.DialogRoomDpi = ConfigureState.Dpi;
    }
    // In the units of the dialog's font, as the platform lays it out.
    RECT inGroupBox = {0, 0, GroupBoxMarginUnits, GroupBoxMarginUnits};
    MapDialogRect(dialog, &inGroupBox);
    const LayoutMargins margins = {
        {inGroupBox.right, inGroupBox.bottom},
        ScaleRoom(ConfigureState.DialogRoom, ConfigureState.Dpi, ConfigureState.DialogRoomDpi)};
    const POINT paletteEdge = EdgeSize(ConfigureState.PaletteControl);
    const PictureSizes pictures = {DialogPixels(PaletteWidth) + paletteEdge.x,
                                   DialogPixels(PaletteHeight) + paletteEdge.y, DialogPixels(PreviewSize)};
    const DialogLayout fitted = FitDialogLayout(layout, pictures, margins);

    if (ConfigureState.PaletteControl)
        PlaceWindow(ConfigureState.PaletteControl, fitted.Palette, layout.Palette);
    if (ConfigureState.PreviewControl)
        PlaceWindow(ConfigureState.PreviewControl, fitted.Preview, layout.Preview);
    for (int i = 0; i < fitted.ControlCount; ++i)
        PlaceWindow(others[i], fitted.Controls[i], layout.Controls[i]);
    RECT frame = {0, 0, 0, 0};
    GetWindowRect(dialog, &frame);
    PlaceWindow(dialog, LayoutBox{frame.left, frame.top, frame.right + fitted.Width - layout.Width,
                                  frame.bottom + fitted.Height - layout.Height},
                LayoutBox{frame.left, frame.top, frame.right, frame.bottom});
}

static void SetDialogDpi(std::int32_t dpi)
{
    ConfigureState.Dpi = dpi > 0 ? dpi : DesignDpi;
}

static void OpenDialog(HWND dialog)
{
    LoadPaintColour(ConfigureState.WorkingColour);
    ConfigureState.PaletteControl = GetDlgItem(dialog, IDC_PALETTE);
    ConfigureState.PreviewControl = GetDlgItem(dialog, IDC_PREVIEW);
    ConfigureState.PreviewAngle = PreviewStartAngle;
    ConfigureState.ScaledPalette = ConfigureState.TemplatePalette = nullptr;
    SetDialogDpi(WindowDpi(dialog));
    FitControls(dialog, true);
    AttachPaletteControl(dialog);
    SetTimer(dialog, PreviewTimer, PreviewFirstPeriod, nullptr);
}

// Dragged to a monitor of another scale, the dialog takes the rectangle
// that the platform suggests.  The platform may then lay it out anew (or
// leave that to the program, on older systems); the palette and the
// preview are fitted after that, and the next frame is drawn at the new DPI.
static void ChangeDpi(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    SetDialogDpi(LOWORD(wParam));
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (suggested != nullptr)
        SetWindowPos(dialog, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(dialog, FitScaledControls, 0, 0);
}

// One frame of the spinning vehicle, built from nothing and released whole.
static void DrawPreviewFrame(HWND dialog)
{
    ConfigureState.PreviewAngle += PreviewAngleStep;
    if (ConfigureState.PreviewAngle >= 360)
        ConfigureState.PreviewAngle -= 360;

    HWND preview = ConfigureState.PreviewControl;
    HDC controlDc = GetDC(preview);
    const int side = DialogPixels(PreviewSize);
    DibSurface vehicle = MakeDibSurface(controlDc, VehiclePictureWidth, VehiclePictureHeight);
    DibSurface square = MakeDibSurface(controlDc, side, side);
    if (!PaintVehicle(vehicle.Context, ConfigureState.WorkingColour))
        ReleaseDibSurface(vehicle);
    if (square.Context != nullptr) {
        // Through the contexts where a surface is the display's own kind.
        if (InMemory(square) && InMemory(vehicle))
            ComposePreviewFrame(square.Context, square.Pixels, vehicle.Pixels, ConfigureState.PreviewAngle,
                                ConfigureState.Dpi);
        else
            ComposePreviewFrame(square.Context, GdiPixels{square.Context}, GdiPixels{vehicle.Context},
                                ConfigureState.PreviewAngle, ConfigureState.Dpi);
        BitBlt(controlDc, 0, 0, side, side, square.Context, 0, 0, SRCCOPY);
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
    const std::int32_t cell = PaletteCellAt(point.x, point.y, ConfigureState.Dpi);
    if (cell != PaletteNoCell)
        PickPaletteCell(cell);
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
    case WM_DPICHANGED:
        ChangeDpi(dialog, wParam, lParam);
        return FALSE;  // the platform's own layout for the new DPI, where it has one
    case FitScaledControls:
        FitControls(dialog, false);
        return TRUE;
    case WM_DESTROY:
        // The control ends with the template's picture, as it began.
        ShowPalettePicture(nullptr);
        DetachPaletteControl();
        return FALSE;
    }
    return FALSE;
}

extern "C" BOOL WINAPI ScreenSaverRegisterDialogClasses(HANDLE)
{
    return TRUE;
}
