// The saver window's procedure: set-up on creation, one frame per timer tick.
// Steering, motion and the drawing order are the pure drive code's; this file
// gives it the saver's surfaces: GDI copies whole rectangles, and the
// per-pixel drawing goes straight to the bitmaps' memory.
#include "animation/win32/saver_proc.h"

#include <ctime>

#include "animation/win32/paint_vehicle.h"
#include "host/win32/host_state.h"
#include "resources/resource_ids.h"
#include "settings/win32/paint_colour.h"

SaverRecord Saver;

namespace {

void SetUpSaver(HWND window)
{
    LoadPaintColour(CurrentPaintColour);

    HDC screen = GetDC(nullptr);
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    Saver.Width = client.right;
    Saver.Height = client.bottom;

    // The screen as the user sees it now, before the window shows.
    Saver.BackgroundBuffer = MakeDibSurface(screen, Saver.Width, Saver.Height);
    BitBlt(Saver.BackgroundBuffer.Context, 0, 0, Saver.Width, Saver.Height, screen, 0, 0, SRCCOPY);

    Saver.VehicleImage = MakeDibSurface(screen, VehiclePictureWidth, VehiclePictureHeight);
    if (!PaintVehicle(Saver.VehicleImage.Context, CurrentPaintColour))
        ReleaseDibSurface(Saver.VehicleImage);
    Saver.TrackImage = LoadDibPicture(screen, IDB_TRACKS);
    Saver.ComposeBuffer = MakeDibSurface(screen, VehicleBoxSize, VehicleBoxSize);
    ReleaseDC(nullptr, screen);
    // The screen copy and the painted vehicle are read from memory from now on.
    GdiFlush();
    Saver.Made = true;

    SeedDriveRandom(Saver.Random, std::uint32_t(std::time(nullptr)));
    StartDrive(Saver.Drive, Saver.Random, Saver.Width, Saver.Height);
}

void DriveTick(HWND window)
{
    const DriveFrame frame = StepDrive(Saver.Drive, Saver.Random, Saver.Width, Saver.Height);
    const DibSurface &background = Saver.BackgroundBuffer, &compose = Saver.ComposeBuffer;
    // Without the frozen screen or the box there is nothing to show.
    if (background.Context == nullptr || compose.Context == nullptr)
        return;

    DrawSaverFrame(frame, background.Context, background.Pixels, compose.Context, compose.Pixels,
                   Saver.VehicleImage.Pixels, Saver.TrackImage.Pixels);
    HDC windowContext = GetDC(window);
    BitBlt(windowContext, frame.BoxLeft, frame.BoxTop, VehicleBoxSize, VehicleBoxSize, compose.Context, 0, 0,
           SRCCOPY);
    ReleaseDC(window, windowContext);
}

}  // namespace

extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (!Saver.Made)
            SetUpSaver(window);
        Saver.DriveTimer = SetTimer(window, DriveTimerId, 1, nullptr);
        return 1;

    case WM_DESTROY:
        if (Saver.DriveTimer != 0)
            KillTimer(window, Saver.DriveTimer);
        return 1;

    case WM_ERASEBKGND:
        // Left unpainted, a composited display (and Wine) shows the window
        // black; the frozen screen with its tracks is what belongs there.
        BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, Saver.Width, Saver.Height, Saver.BackgroundBuffer.Context, 0,
               0, SRCCOPY);
        return 1;

    case WM_TIMER:
        DriveTick(window);
        return 1;
    }
    return ScreenSaverDefaultProc(window, message, wParam, lParam);
}
