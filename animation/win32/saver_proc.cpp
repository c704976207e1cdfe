// The saver window's procedure: set-up on creation, one frame per timer tick.
// Steering, motion and the drawing order are the pure drive code's; this file
// only gives it device contexts to draw on.
#include "animation/win32/saver_proc.h"

#include <ctime>

#include "animation/win32/gdi_pixels.h"
#include "animation/win32/paint_vehicle.h"
#include "host/win32/host_state.h"
#include "resources/resource_ids.h"
#include "settings/win32/paint_colour.h"

SaverRecord Saver;

namespace {

// A memory context compatible with the screen, holding `bitmap` for good.
HDC MakeMemoryContext(HDC screen, HBITMAP bitmap)
{
    HDC surface = CreateCompatibleDC(screen);
    SelectObject(surface, bitmap);
    return surface;
}

void SetUpSaver(HWND window)
{
    LoadPaintColour(CurrentPaintColour);

    HDC screen = GetDC(nullptr);
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    Saver.Width = client.right;
    Saver.Height = client.bottom;

    // The screen as the user sees it now, before the window shows.
    Saver.BackgroundBuffer = MakeMemoryContext(screen, CreateCompatibleBitmap(screen, Saver.Width, Saver.Height));
    BitBlt(Saver.BackgroundBuffer, 0, 0, Saver.Width, Saver.Height, screen, 0, 0, SRCCOPY);

    Saver.VehicleImage = MakeMemoryContext(screen, LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_VEHICLE)));
    PaintVehicle(Saver.VehicleImage, CurrentPaintColour);
    Saver.TrackImage = MakeMemoryContext(screen, LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_TRACKS)));
    Saver.ComposeBuffer = MakeMemoryContext(screen, CreateCompatibleBitmap(screen, VehicleBoxSize, VehicleBoxSize));
    ReleaseDC(nullptr, screen);

    SeedDriveRandom(Saver.Random, std::uint32_t(std::time(nullptr)));
    StartDrive(Saver.Drive, Saver.Random, Saver.Width, Saver.Height);
}

void DriveTick(HWND window)
{
    HDC windowContext = GetDC(window);
    const DriveFrame frame = StepDrive(Saver.Drive, Saver.Random, Saver.Width, Saver.Height);

    GdiPixels background{Saver.BackgroundBuffer}, compose{Saver.ComposeBuffer};
    GdiPixels vehicle{Saver.VehicleImage}, tracks{Saver.TrackImage};
    DrawDriveFrame(frame, background, compose, vehicle, tracks, [](std::int32_t left, std::int32_t top) {
        BitBlt(Saver.ComposeBuffer, 0, 0, VehicleBoxSize, VehicleBoxSize, Saver.BackgroundBuffer, left, top,
               SRCCOPY);
    });
    BitBlt(windowContext, frame.BoxLeft, frame.BoxTop, VehicleBoxSize, VehicleBoxSize, Saver.ComposeBuffer, 0, 0,
           SRCCOPY);
    ReleaseDC(window, windowContext);
}

}  // namespace

extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (Saver.BackgroundBuffer == nullptr)
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
        BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, Saver.Width, Saver.Height, Saver.BackgroundBuffer, 0, 0,
               SRCCOPY);
        return 1;

    case WM_TIMER:
        DriveTick(window);
        return 1;
    }
    return ScreenSaverDefaultProc(window, message, wParam, lParam);
}
