// Benchmark under Wine: one whole saver tick on the platform (WM_TIMER through
// ScreenSaverProc into a real window), the drawing calls of a tick alone on
// memory device contexts, how many per-pixel platform calls a tick makes, and
// one frame of the configure dialog's spinning preview.  Medians over
// thousands of ticks.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "animation/drive.h"
#include "animation/win32/gdi_pixels.h"
#include "host/win32/host_state.h"
#include "host/win32/saver_hooks.h"
#include "resources/resource_ids.h"
#include "settings/win32/configure_dialog.h"

namespace {

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return double(to.QuadPart - from.QuadPart) * 1e6 / double(frequency.QuadPart);
}

// GetPixel/SetPixel, counted.
struct CountingPixels {
    GdiPixels Pixels;
    long* Reads;
    long* Writes;
    Colour Read(std::int32_t x, std::int32_t y) const { ++*Reads; return Pixels.Read(x, y); }
    void Write(std::int32_t x, std::int32_t y, Colour c) const { ++*Writes; Pixels.Write(x, y, c); }
};

LRESULT CALLBACK BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ScreenSaverProc(window, message, wParam, lParam);
}

INT_PTR CALLBACK BenchDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 3000;
    HostState.Instance = GetModuleHandleA(nullptr);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);

    // 1. The whole saver tick, as the message loop would deliver it.
    WNDCLASSA benchClass = {};
    benchClass.lpfnWndProc = BenchProc;
    benchClass.hInstance = HostState.Instance;
    benchClass.lpszClassName = "RuxaBench";
    RegisterClassA(&benchClass);
    HWND window = CreateWindowExA(0, benchClass.lpszClassName, "Bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  HostState.Instance, nullptr);
    std::vector<double> saverTick;
    for (int i = 0; i < ticks; ++i) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        SendMessageA(window, WM_TIMER, 1, 0);
        QueryPerformanceCounter(&t1);
        saverTick.push_back(Microseconds(t0, t1, frequency));
    }
    DestroyWindow(window);

    // 2. The drawing calls of a tick alone, on memory device contexts, and
    // the per-pixel calls they make.
    HDC screen = GetDC(nullptr);
    const std::int32_t width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC background = CreateCompatibleDC(screen), compose = CreateCompatibleDC(screen);
    HDC vehicle = CreateCompatibleDC(screen), tracks = CreateCompatibleDC(screen);
    SelectObject(background, CreateCompatibleBitmap(screen, width, height));
    SelectObject(compose, CreateCompatibleBitmap(screen, VehicleBoxSize, VehicleBoxSize));
    SelectObject(vehicle, LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_VEHICLE)));
    SelectObject(tracks, LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_TRACKS)));
    ReleaseDC(nullptr, screen);

    DriveState state;
    DriveRandom random;
    SeedDriveRandom(random, 1);
    StartDrive(state, random, width, height);
    long reads = 0, writes = 0;
    CountingPixels backgroundPixels = {{background}, &reads, &writes};
    CountingPixels composePixels = {{compose}, &reads, &writes};
    CountingPixels vehiclePixels = {{vehicle}, &reads, &writes};
    CountingPixels trackPixels = {{tracks}, &reads, &writes};
    std::vector<double> drawing, readCounts, writeCounts;
    for (int i = 0; i < ticks; ++i) {
        DriveFrame frame = StepDrive(state, random, width, height);
        reads = writes = 0;
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        DrawDriveFrame(frame, backgroundPixels, composePixels, vehiclePixels, trackPixels,
                       [&](std::int32_t left, std::int32_t top) {
                           BitBlt(compose, 0, 0, VehicleBoxSize, VehicleBoxSize, background, left, top, SRCCOPY);
                       });
        QueryPerformanceCounter(&t1);
        drawing.push_back(Microseconds(t0, t1, frequency));
        readCounts.push_back(double(reads));
        writeCounts.push_back(double(writes));
    }

    // 3. One frame of the configure dialog's preview, as its timer delivers it.
    // The dialog is modeless and no messages are pumped, so only these ticks run.
    HWND dialog = CreateDialogParamA(HostState.Instance, MAKEINTRESOURCEA(IDD_CONFIGURE), nullptr, BenchDialog, 0);
    std::vector<double> previewTick;
    for (int i = 0; dialog && i < ticks; ++i) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        SendMessageA(dialog, WM_TIMER, PreviewTimer, 0);
        QueryPerformanceCounter(&t1);
        previewTick.push_back(Microseconds(t0, t1, frequency));
    }
    if (dialog) {
        DestroyWindow(dialog);
    }

    std::printf("wine    whole saver tick (WM_TIMER into ScreenSaverProc)  median %8.1f us over %d ticks\n",
                Median(saverTick), ticks);
    std::printf("wine    drawing calls of a tick alone (memory DCs)        median %8.1f us over %d ticks\n",
                Median(drawing), ticks);
    std::printf("wine    per-pixel platform calls per tick                 median %8.0f GetPixel + %.0f SetPixel\n",
                Median(readCounts), Median(writeCounts));
    if (previewTick.empty()) {
        std::printf("wine    configure dialog's preview frame: the dialog could not be made\n");
        return 1;
    }
    std::printf("wine    configure dialog's preview frame (WM_TIMER)       median %8.1f us over %d ticks\n",
                Median(previewTick), ticks);
    return 0;
}
