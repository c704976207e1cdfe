// Benchmark under Wine: the saver's tick (one vehicle per monitor) and the
// configure dialog's preview frame, each on the memory path that the module
// runs (per-pixel work in the bitmaps' own memory) and on the per-pixel
// reference path (GetPixel and SetPixel on screen-compatible bitmaps), side
// by side in one run; the saver's tick on a monitor at 192 DPI beside it;
// and the platform calls each path makes per tick.
// Medians over thousands of ticks.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "animation/drive.h"
#include "animation/win32/gdi_pixels.h"
#include "animation/win32/selection_guard.h"
#include "animation/win32/paint_vehicle.h"
#include "animation/win32/saver_proc.h"
#include "bench/call_count.h"
#include "bench/cpu_share.h"
#include "host/win32/host_state.h"
#include "resources/resource_ids.h"
#include "settings/win32/configure_dialog.h"
#include "settings/win32/paint_colour.h"
#include "settings/win32/preview_frame.h"

namespace {

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

LARGE_INTEGER Frequency;

double Time(const std::function<void()>& run)
{
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    run();
    QueryPerformanceCounter(&t1);
    return double(t1.QuadPart - t0.QuadPart) * 1e6 / double(Frequency.QuadPart);
}

// A screen-compatible bitmap in a memory context, as the reference path uses.
HDC CompatibleSurface(HBITMAP bitmap)
{
    HDC screen = GetDC(nullptr);
    HDC context = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    SelectObject(context, bitmap);
    return context;
}

HBITMAP CompatibleBitmap(int width, int height)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// The tick as the saver drew it with one platform call per pixel.
struct ReferenceSaver {
    HDC Background, Compose, Vehicle, Tracks;
    DriveState Drive;
    DriveRandom Random;

    // Not inlined: the compiler may otherwise load the platform's entry
    // points once, before the calls are counted.
    __attribute__((noinline)) void Tick(HWND window)
    {
        const DriveArea& area = Saver.Areas[0];
        const DriveFrame frame = StepDrive(Drive, Random, area.Width, area.Height);
        DrawSaverFrame(frame, area, Background, GdiPixels{Background}, Compose, GdiPixels{Compose},
                       GdiPixels{Vehicle}, GdiPixels{Tracks});
        HDC windowContext = GetDC(window);
        ShowSaverBox(windowContext, frame, area, Compose);
        ReleaseDC(window, windowContext);
    }
};

// The dialog's preview frame with one platform call per pixel.
__attribute__((noinline)) void ReferencePreviewFrame(HWND preview, std::int32_t angle)
{
    HDC controlDc = GetDC(preview);
    HDC vehicle = CreateCompatibleDC(controlDc), square = CreateCompatibleDC(controlDc);
    HBITMAP vehicleBitmap = CreateCompatibleBitmap(controlDc, VehiclePictureWidth, VehiclePictureHeight);
    HBITMAP squareBitmap = CreateCompatibleBitmap(controlDc, PreviewSize, PreviewSize);
    {
        SelectionGuard vehicleSelection(vehicle, vehicleBitmap), squareSelection(square, squareBitmap);
        PaintVehicle(vehicle, ConfigureState.WorkingColour);
        ComposePreviewFrame(square, GdiPixels{square}, GdiPixels{vehicle}, angle);
        BitBlt(controlDc, 0, 0, PreviewSize, PreviewSize, square, 0, 0, SRCCOPY);
    }
    DeleteObject(squareBitmap);
    DeleteObject(vehicleBitmap);
    DeleteDC(square);
    DeleteDC(vehicle);
    ReleaseDC(preview, controlDc);
}

LRESULT CALLBACK BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ScreenSaverProc(window, message, wParam, lParam);
}

INT_PTR CALLBACK BenchDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
}

void Report(const char* what, const std::vector<double>& memory, const std::vector<double>& reference)
{
    const double m = Median(memory), r = Median(reference);
    std::printf("wine    %-28s per-pixel %8.1f us   memory %8.1f us   ratio %5.1f   (%zu ticks)\n", what, r, m,
                r / m, memory.size());
}

void ReportCalls(const char* path, const PlatformCalls& calls, int ticks)
{
    std::printf("wine    calls per tick, %-9s  GetPixel %6.0f  SetPixel %6.0f  BitBlt %.0f  GdiFlush %.0f  "
                "GetDC %.0f  ReleaseDC %.0f\n",
                path, double(calls.GetPixel) / ticks, double(calls.SetPixel) / ticks, double(calls.BitBlt) / ticks,
                double(calls.GdiFlush) / ticks, double(calls.GetDC) / ticks, double(calls.ReleaseDC) / ticks);
}

}  // namespace

int main(int argc, char** argv)
{
    // "cpu [seconds]": the processor's share while the saver runs, while it
    // is held, and for a minimal one-box program.
    if (argc > 1 && std::strcmp(argv[1], "cpu") == 0)
        return MeasureCpuShares(argc > 2 ? std::atoi(argv[2]) : 10);
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 3000;
    // "tick": only the saver's whole tick, with one vehicle per monitor (the
    // run over two monitors); the reference path drives one vehicle.
    const bool tickOnly = argc > 2 && std::strcmp(argv[2], "tick") == 0;
    HostState.Instance = GetModuleHandleA(nullptr);
    QueryPerformanceFrequency(&Frequency);

    // The saver on a real full-screen window; the reference path starts from
    // the same frozen screen, painted vehicle and drive.
    WNDCLASSA benchClass = {};
    benchClass.lpfnWndProc = BenchProc;
    benchClass.hInstance = HostState.Instance;
    benchClass.lpszClassName = "RuxaBench";
    RegisterClassA(&benchClass);
    HWND window = CreateWindowExA(0, benchClass.lpszClassName, "Bench", WS_POPUP | WS_VISIBLE,
                                  GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                  GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr,
                                  nullptr, HostState.Instance, nullptr);
    KillTimer(window, DriveTimerId);  // only the ticks sent here
    if (tickOnly) {
        std::vector<double> tick;
        for (int i = 0; i < ticks; ++i)
            tick.push_back(Time([&] { SendMessageA(window, WM_TIMER, DriveTimerId, 0); }));
        std::printf("wine    whole saver tick, %d vehicles on %d monitors   memory %8.1f us   (%d ticks)\n",
                    Saver.VehicleCount, GetSystemMetrics(SM_CMONITORS), Median(tick), ticks);
        DestroyWindow(window);
        return 0;
    }
    ReferenceSaver reference;
    reference.Background = CompatibleSurface(CompatibleBitmap(Saver.Width, Saver.Height));
    BitBlt(reference.Background, 0, 0, Saver.Width, Saver.Height, Saver.BackgroundBuffer.Context, 0, 0, SRCCOPY);
    reference.Compose = CompatibleSurface(CompatibleBitmap(VehicleBoxSize, VehicleBoxSize));
    reference.Vehicle = CompatibleSurface(CompatibleBitmap(VehiclePictureWidth, VehiclePictureHeight));
    PaintVehicle(reference.Vehicle, CurrentPaintColour);
    reference.Tracks = CompatibleSurface(LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_TRACKS)));
    reference.Drive = Saver.Drives[0];
    reference.Random = Saver.Random;

    // The same saver on a monitor at 192 DPI (every design pixel a 2 x 2
    // block), set up on the same window, its record swapped in for its ticks.
    SaverRecord scaled;
    std::swap(Saver, scaled);
    Saver.Dpi = 192;
    CREATESTRUCTA create = {};
    SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    KillTimer(window, DriveTimerId);
    std::swap(Saver, scaled);

    std::vector<double> memoryTick, referenceTick, scaledTick;
    for (int i = 0; i < ticks; ++i) {
        memoryTick.push_back(Time([&] { SendMessageA(window, WM_TIMER, DriveTimerId, 0); }));
        referenceTick.push_back(Time([&] { reference.Tick(window); }));
        std::swap(Saver, scaled);
        scaledTick.push_back(Time([&] { SendMessageA(window, WM_TIMER, DriveTimerId, 0); }));
        std::swap(Saver, scaled);
    }

    const int countedTicks = 200;
    PlatformCalls memoryCalls, referenceCalls;
    bool counted = StartCountingCalls(memoryCalls);
    for (int i = 0; counted && i < countedTicks; ++i)
        SendMessageA(window, WM_TIMER, DriveTimerId, 0);
    StopCountingCalls();
    counted = counted && StartCountingCalls(referenceCalls);
    for (int i = 0; counted && i < countedTicks; ++i)
        reference.Tick(window);
    StopCountingCalls();
    DestroyWindow(window);

    // The dialog's preview frame, as its timer delivers it; the dialog is
    // modeless and no messages are pumped, so only these frames run.
    HWND dialog = CreateDialogParamA(HostState.Instance, MAKEINTRESOURCEA(IDD_CONFIGURE), nullptr, BenchDialog, 0);
    std::vector<double> memoryPreview, referencePreview;
    for (int i = 0; dialog && i < ticks; ++i) {
        memoryPreview.push_back(Time([&] { SendMessageA(dialog, WM_TIMER, PreviewTimer, 0); }));
        referencePreview.push_back(
            Time([&] { ReferencePreviewFrame(ConfigureState.PreviewControl, ConfigureState.PreviewAngle); }));
    }
    if (dialog)
        DestroyWindow(dialog);

    Report("whole saver tick", memoryTick, referenceTick);
    std::printf("wine    whole saver tick at k = %d    memory %8.1f us, at k = 1 %8.1f us: %4.2f times   (%zu ticks)\n",
                scaled.Areas[0].Scale, Median(scaledTick), Median(memoryTick), Median(scaledTick) / Median(memoryTick),
                scaledTick.size());
    if (!memoryPreview.empty())
        Report("configure preview frame", memoryPreview, referencePreview);
    else
        std::printf("wine    configure preview frame: the dialog could not be made\n");
    if (!counted) {
        std::printf("wine    calls per tick: the import table could not be patched\n");
        return 1;
    }
    ReportCalls("per-pixel", referenceCalls, countedTicks);
    ReportCalls("memory", memoryCalls, countedTicks);
    return memoryPreview.empty() ? 1 : 0;
}
