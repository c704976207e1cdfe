// The saver window's procedure: set-up on creation, one frame per timer tick.
// Steering, motion and the drawing order are the pure drive code's; this file
// gives it the saver's surfaces: GDI copies whole rectangles, and the
// per-pixel drawing goes straight to the bitmaps' memory where they have it.
#include "animation/win32/saver_proc.h"

#include "animation/win32/gdi_pixels.h"
#include "animation/win32/monitors.h"
#include "animation/win32/paint_vehicle.h"
#include "animation/win32/selection_guard.h"
#include "host/win32/host.h"
#include "resources/resource_ids.h"
#include "settings/win32/paint_colour.h"

SaverRecord Saver;

namespace {

// The calendar time in whole seconds since 1970-01-01 00:00 UTC, from the
// system's clock (in 100 ns steps since 1601) rather than the C runtime's
// time(): the module imports nothing from a C runtime, which the first
// Windows 95 does not have.
std::uint32_t CalendarSeconds()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t since1601 = (std::uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return std::uint32_t((since1601 - 116444736000000000ull) / 10000000u);
}

typedef HDESK(WINAPI* GetThreadDesktopEntry)(DWORD threadId);
typedef BOOL(WINAPI* GetUserObjectInformationAEntry)(HANDLE object, int index, void* information, DWORD length,
                                                     DWORD* needed);

// Whether the saver runs on a desktop other than the user's "Default".  A
// saver that locks the PC runs on a desktop of its own, which shows none of
// the user's windows; its screen may be bare or black.  The 9x family has
// no desktops nor these entries: there, and wherever the name cannot be
// read, the saver is on the user's desktop.
bool OnOtherDesktop()
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    if (!user)
        return false;
    GetThreadDesktopEntry threadDesktop = EntryCast<GetThreadDesktopEntry>(GetProcAddress(user, "GetThreadDesktop"));
    GetUserObjectInformationAEntry objectInformation =
        EntryCast<GetUserObjectInformationAEntry>(GetProcAddress(user, "GetUserObjectInformationA"));
    HDESK desktop = threadDesktop && objectInformation ? threadDesktop(GetCurrentThreadId()) : nullptr;
    char name[32];
    DWORD needed = 0;
    if (!desktop)
        return false;
    if (!objectInformation(desktop, UOI_NAME, name, sizeof name, &needed))
        return needed > sizeof name;  // a name too long to be "Default"
    return lstrcmpiA(name, "Default") != 0;
}

// The picture the saver drives over, `width` x `height` from the screen
// point `origin`.  On the user's desktop: the screen as the user sees it
// now, before the window shows.  On a desktop of its own: the background
// as the system paints it, the desktop colour with the wallpaper over it
// where there is one; never black.
void FreezeBackground(HDC target, HDC screen, POINT origin, std::int32_t width, std::int32_t height)
{
    if (HostState.PreviewMode || !OnOtherDesktop()) {
        BitBlt(target, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        return;
    }
    HBRUSH colour = CreateSolidBrush(GetSysColor(COLOR_DESKTOP));
    {
        // Still selected while the system paints: where it has no brush of
        // its own for the desktop (Wine), it paints with the context's.
        SelectionGuard selected(target, colour);
        PatBlt(target, 0, 0, width, height, PATCOPY);
        // The surface starts at the virtual screen's origin, as the desktop
        // window does, so the wallpaper lands where the system shows it.
        PaintDesktop(target);
    }
    DeleteObject(colour);
}

void SetUpSaver(HWND window)
{
    LoadPaintColour(CurrentPaintColour);

    HDC screen = GetDC(nullptr);
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    Saver.Width = client.right;
    Saver.Height = client.bottom;

    // Full screen, all of it from the virtual screen's origin, where the
    // window starts; the preview, as ever, from the primary screen's
    // top-left corner.
    POINT origin = {0, 0};
    if (!HostState.PreviewMode)
        ClientToScreen(window, &origin);
    Saver.BackgroundBuffer = MakeDibSurface(screen, Saver.Width, Saver.Height);
    FreezeBackground(Saver.BackgroundBuffer.Context, screen, origin, Saver.Width, Saver.Height);

    // Each monitor scales the design pixels by its own factor; the one box
    // serves the largest.
    Saver.VehicleCount = FindDriveAreas(window, Saver.Width, Saver.Height, Saver.Areas, MaxDriveAreas);
    std::int32_t largest = 1;
    for (int i = 0; i < Saver.VehicleCount; ++i) {
        DriveArea& area = Saver.Areas[i];
        area.Scale = WholeScaleForDpi(Saver.Dpi != 0 ? Saver.Dpi : AreaDpi(window, area));
        if (area.Scale > largest)
            largest = area.Scale;
    }

    Saver.VehicleImage = MakeDibSurface(screen, VehiclePictureWidth, VehiclePictureHeight);
    if (!PaintVehicle(Saver.VehicleImage.Context, CurrentPaintColour))
        ReleaseDibSurface(Saver.VehicleImage);
    Saver.TrackImage = LoadDibPicture(screen, IDB_TRACKS);
    Saver.ComposeBuffer = MakeDibSurface(screen, VehicleBoxSize * largest, VehicleBoxSize * largest);
    ReleaseDC(nullptr, screen);
    // The screen copy and the painted vehicle are read from memory from now on.
    GdiFlush();
    Saver.Made = true;

    // Each monitor's vehicle enters at the left edge of its own monitor.
    SeedDriveRandom(Saver.Random, Saver.Seed != 0 ? Saver.Seed : CalendarSeconds());
    for (int i = 0; i < Saver.VehicleCount; ++i)
        StartDrive(Saver.Drives[i], Saver.Random, DesignWidth(Saver.Areas[i]), DesignHeight(Saver.Areas[i]));
}

// One tick's drawing for every vehicle, the per-pixel work through `Pixels`.
template <class Pixels>
void DrawVehicles(HDC windowContext, const DriveFrame* frames, const Pixels& background, const Pixels& compose,
                  const Pixels& vehicle, const Pixels& tracks)
{
    for (int i = 0; i < Saver.VehicleCount; ++i) {
        DrawSaverFrame(frames[i], Saver.Areas[i], Saver.BackgroundBuffer.Context, background,
                       Saver.ComposeBuffer.Context, compose, vehicle, tracks);
        ShowSaverBox(windowContext, frames[i], Saver.Areas[i], Saver.ComposeBuffer.Context);
    }
}

void DriveTick(HWND window)
{
    const DibSurface &background = Saver.BackgroundBuffer, &compose = Saver.ComposeBuffer;
    DriveFrame frames[MaxDriveAreas];
    for (int i = 0; i < Saver.VehicleCount; ++i)
        frames[i] = StepDrive(Saver.Drives[i], Saver.Random, DesignWidth(Saver.Areas[i]), DesignHeight(Saver.Areas[i]));
    // Without the frozen screen or the box there is nothing to show.
    if (background.Context == nullptr || compose.Context == nullptr)
        return;
    HDC windowContext = GetDC(window);
    // In the bitmaps' memory where they have it; through their contexts
    // where one is the display's own kind (a palette display, or no memory
    // for a 32-bit picture).
    const DibSurface &vehicle = Saver.VehicleImage, &tracks = Saver.TrackImage;
    if (InMemory(background) && InMemory(compose) && InMemory(vehicle) && InMemory(tracks))
        DrawVehicles(windowContext, frames, background.Pixels, compose.Pixels, vehicle.Pixels, tracks.Pixels);
    else
        DrawVehicles(windowContext, frames, GdiPixels{background.Context}, GdiPixels{compose.Context},
                     GdiPixels{vehicle.Context}, GdiPixels{tracks.Context});
    ReleaseDC(window, windowContext);
}

}  // namespace

extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (!Saver.Made)
            SetUpSaver(window);
        Saver.DriveTimer = SetTimer(window, DriveTimerId, ScreenSaverTimerPeriod, nullptr);
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
