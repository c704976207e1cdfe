// The saver as a user sees it: screenshots of the private X display while the
// real module runs full screen, and while its preview runs inside a stand-in
// for the display settings page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "wine/support.h"

namespace {

// Stripes a single pixel wide, in two colours that nothing the saver draws
// has: a desktop shown in anything but its true pixels would not match.
const COLORREF Stripes[2] = {RGB(200, 100, 50), RGB(50, 100, 200)};
const int StripeWidth = 1;

COLORREF StripeAt(int x)
{
    return Stripes[(x / StripeWidth) % 2];
}

// A full-screen window of the test's own that shows the known picture, so
// the saver has something to freeze.
LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        for (LONG x = 0; x < client.right; x += StripeWidth) {
            RECT stripe = {x, 0, x + StripeWidth, client.bottom};
            HBRUSH brush = CreateSolidBrush(StripeAt(x));
            FillRect(reinterpret_cast<HDC>(wParam), &stripe, brush);
            DeleteObject(brush);
        }
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND ShowKnownPicture()
{
    WNDCLASSA pictureClass = {};
    pictureClass.lpfnWndProc = PictureProc;
    pictureClass.hInstance = GetModuleHandleA(nullptr);
    pictureClass.lpszClassName = "RuxaTestPicture";
    RegisterClassA(&pictureClass);
    HWND picture = CreateWindowExA(0, pictureClass.lpszClassName, "Known picture", WS_POPUP | WS_VISIBLE, 0, 0,
                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                   pictureClass.hInstance, nullptr);
    UpdateWindow(picture);
    PumpMessages(500);
    return picture;
}

// The full-screen saver of the module's code in a stand-in that sets the
// seed of its generator.  With this seed, on the 1024 x 768 screen and on
// its 512 x 384 design grid at 192 DPI alike, the vehicle's centre stays at
// least 30 design pixels inside the screen from its 10th tick to its 800th,
// so its body shows whole all that time (ticks never come faster than every
// 10 ms).
ModuleRun StartSaverOnKnownPath()
{
    return StartModule("1110033 /s", "", BuildDir() + "\\ruxa_preview_host.exe");
}

// What one screenshot shows inside a rectangle.
struct Reading {
    int Body = 0;         // pixels of the body colour
    long SumX = 0;        // to find where the body is
    long SumY = 0;
    int Picture = 0;      // pixels that still show the known picture
    int Other = 0;        // anything else: tracks, outline, trim
    double CentreX() const { return Body ? double(SumX) / Body : -1; }
    double CentreY() const { return Body ? double(SumY) / Body : -1; }
};

Reading Read(const Screenshot& shot, const RECT& area, COLORREF body, bool pictureUnder)
{
    Reading reading;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            COLORREF pixel = shot.At(x, y);
            if (pixel == body) {
                ++reading.Body;
                reading.SumX += x;
                reading.SumY += y;
            } else if (pictureUnder && pixel == StripeAt(x)) {
                ++reading.Picture;
            } else {
                ++reading.Other;
            }
        }
    }
    return reading;
}

// The preview's window inside a settings page, once the module has made it
// (null when it does not come).
HWND WaitForPreview(HWND page)
{
    HWND preview = nullptr;
    for (int i = 0; i < 200 && !preview; ++i) {
        preview = FindWindowExA(page, nullptr, "WindowsScreenSaverClass", "Preview");
        PumpMessages(50);
    }
    return preview;
}

double Distance(const Reading& a, const Reading& b)
{
    double dx = a.CentreX() - b.CentreX();
    double dy = a.CentreY() - b.CentreY();
    return dx * dx + dy * dy;
}

}  // namespace

TEST(SaverOnScreen, FreezesTheDesktopAndDrivesInTheStoredColourLeavingTracks)
{
    HWND picture = ShowKnownPicture();
    Screenshot before;
    ASSERT_TRUE(HostScreenshot(before));
    RECT screen = {0, 0, before.Width, before.Height};
    ASSERT_GT(Read(before, screen, RGB(0, 255, 0), true).Picture, before.Width * before.Height * 99 / 100)
        << "the known picture should fill the screen before the saver starts";

    const COLORREF colours[2] = {RGB(0, 255, 0), RGB(255, 0, 0)};
    for (COLORREF colour : colours) {
        SCOPED_TRACE(colour);
        ASSERT_TRUE(StoreColour(colour));
        ModuleRun run = StartSaverOnKnownPath();
        ASSERT_TRUE(run.Started);
        HWND saver = WaitForTopWindow("WindowsScreenSaverClass", "Screen Saver", run.Process.dwProcessId, 20000);
        ASSERT_NE(nullptr, saver);
        // The vehicle may be partly off screen at a given moment (its box is
        // never clamped), so look several times.
        std::vector<Reading> seen;
        Reading firstReading, lastReading;
        Screenshot last;
        for (int shot = 0; shot < 6; ++shot) {
            PumpMessages(700);
            ASSERT_TRUE(HostScreenshot(last));
            Reading reading = Read(last, screen, colour, true);
            if (shot == 0) {
                firstReading = reading;
            }
            lastReading = reading;
            // The vehicle shows in the stored colour (540 body pixels when whole).
            if (reading.Body > 150) {
                seen.push_back(reading);
            }
        }
        ASSERT_GE(seen.size(), 2u);
        // It moves.
        EXPECT_GT(Distance(seen.front(), seen.back()), 10.0 * 10.0);
        // Outside its path the desktop stays as it was.
        EXPECT_GT(lastReading.Picture, last.Width * last.Height * 9 / 10);
        // Tracks accumulate behind it.
        EXPECT_GT(lastReading.Other, firstReading.Other);

        HostKey("space");
        EXPECT_EQ(0u, WaitModule(run, 20000));
        EXPECT_FALSE(IsWindow(saver));
    }
    DestroyWindow(picture);
}

TEST(SaverOnScreen, PreviewDrivesInsideTheSettingsPageAndEndsWithIt)
{
    ASSERT_TRUE(StoreColour(RGB(255, 0, 255)));
    // With this seed the vehicle's centre stays at least 20 pixels inside
    // the 320 x 240 preview for its first 546 ticks, so its body shows
    // nearly whole all that time; ticks never come faster than every 10 ms,
    // so that holds for at least 5.4 s after the page's process starts.
    const char* const seed = "807972";
    const DWORD wholeFor = 5400;
    std::string commandLine = "\"" + BuildDir() + "\\ruxa_preview_host.exe\" " + seed;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const DWORD start = GetTickCount();
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, BuildDir().c_str(),
                               &startup, &process));
    HWND page = WaitForTopWindow("RuxaTestSettingsPage", nullptr, process.dwProcessId, 20000);
    ASSERT_NE(nullptr, page);
    HWND preview = WaitForPreview(page);
    ASSERT_NE(nullptr, preview);
    RECT pageClient, previewRect;
    GetClientRect(page, &pageClient);
    GetWindowRect(preview, &previewRect);
    EXPECT_EQ(pageClient.right, previewRect.right - previewRect.left);
    EXPECT_EQ(pageClient.bottom, previewRect.bottom - previewRect.top);

    // Every shot in that time shows the vehicle, also after input over the
    // preview half-way, which must not end it.
    std::vector<Reading> seen;
    std::string shots;
    Screenshot last;
    for (int shot = 0; shot < 10 && GetTickCount() - start < wholeFor; ++shot) {
        PumpMessages(100);
        if (shot == 4) {
            HostMouseMove(previewRect.left + 40, previewRect.top + 40);
            HostKey("space");
            HostMouseMove(previewRect.left + 90, previewRect.top + 70);
        }
        ASSERT_TRUE(HostScreenshot(last));
        if (GetTickCount() - start >= wholeFor)
            break;
        Reading reading = Read(last, previewRect, RGB(255, 0, 255), false);
        shots += " " + std::to_string(reading.Body) + " at " + std::to_string(GetTickCount() - start) + " ms;";
        EXPECT_GT(reading.Body, 300) << "body pixels per shot:" << shots;
        seen.push_back(reading);
        // Nothing of the vehicle is drawn outside the settings page's window.
        RECT above = {0, 0, last.Width, previewRect.top};
        EXPECT_EQ(0, Read(last, above, RGB(255, 0, 255), false).Body);
    }
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process.hProcess, 0));
    ASSERT_GE(seen.size(), 2u) << "body pixels per shot:" << shots;
    EXPECT_GT(Distance(seen.front(), seen.back()), 10.0 * 10.0);

    // The settings page goes away: the preview ends with it, exit code 0.
    PostMessageA(page, WM_CLOSE, 0, 0);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    EXPECT_EQ(0u, code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// On a scaled display each design pixel of the vehicle and of its tracks
// is a whole k x k block of true pixels, so the body covers k x k times its
// area at 96 DPI; the frozen desktop around it keeps its true pixels.
TEST(ScaledSaver, DrawsEachDesignPixelAsAWholeBlockOverTheDesktopsTruePixels)
{
    const int dpi = DisplayDpi(), k = dpi == 96 ? 1 : dpi == 144 || dpi == 192 ? 2 : 0;
    ASSERT_NE(k, 0) << "no factor known for " << dpi << " DPI";
    HWND picture = ShowKnownPicture();
    const COLORREF body = RGB(0, 255, 0);
    ASSERT_TRUE(StoreColour(body));
    ModuleRun run = StartSaverOnKnownPath();
    ASSERT_NE(nullptr, WaitForTopWindow("WindowsScreenSaverClass", "Screen Saver", run.Process.dwProcessId, 20000));
    std::vector<Reading> seen;
    for (int shot = 0; shot < 3; ++shot) {
        PumpMessages(700);
        Screenshot last;
        ASSERT_TRUE(HostScreenshot(last));
        seen.push_back(Read(last, RECT{0, 0, last.Width, last.Height}, body, true));
        // The whole body: 523 to 583 pixels at 96 DPI, by its heading.
        EXPECT_GE(seen.back().Body, 523 * k * k);
        EXPECT_LE(seen.back().Body, 583 * k * k);
        EXPECT_GT(seen.back().Picture, last.Width * last.Height / 2);
        int misplaced = 0, broken = 0;
        for (int y = 0; y < last.Height; ++y)
            for (int x = 0; x < last.Width; ++x) {
                const COLORREF pixel = last.At(x, y);
                if (pixel == StripeAt(x))
                    continue;
                misplaced += pixel == StripeAt(x + 1);  // the desktop, but not where it was
                for (int v = y - y % k; v < y - y % k + k; ++v)
                    for (int u = x - x % k; u < x - x % k + k; ++u)
                        broken += last.At(u, v) != pixel;
            }
        EXPECT_EQ(misplaced, 0);
        EXPECT_EQ(broken, 0) << "pixels of blocks that are not whole";
    }
    EXPECT_GT(Distance(seen.front(), seen.back()), 10.0 * 10.0 * k * k);
    HostKey("space");
    EXPECT_EQ(0u, WaitModule(run, 20000));
    DestroyWindow(picture);
}

// A locking PC runs the saver on a desktop of its own, which holds none of
// the user's windows.  There the saver freezes the desktop's background as
// the system paints it (here, with no wallpaper, the desktop colour), not
// what the screen showed, and never black.
TEST(SaverOnScreen, OnADesktopOfItsOwnDrivesOverTheDesktopBackground)
{
    HWND picture = ShowKnownPicture();  // the user's windows, on the user's desktop
    const COLORREF body = RGB(255, 0, 0);
    ASSERT_TRUE(StoreColour(body));
    HDESK desktop = CreateDesktopA("RuxaLocked", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    ASSERT_NE(desktop, nullptr);
    const int element = COLOR_DESKTOP;
    const COLORREF background = RGB(40, 150, 90), userBackground = GetSysColor(COLOR_DESKTOP);
    ASSERT_TRUE(SetSysColors(1, &element, &background));
    ModuleRun run = StartModule("/s", "", ModulePath(), "RuxaLocked");
    const HWND saver =
        WaitForTopWindow("WindowsScreenSaverClass", "Screen Saver", run.Process.dwProcessId, 20000, desktop);
    SetSysColors(1, &element, &userBackground);  // the saver has frozen its picture by now
    ASSERT_NE(saver, nullptr);
    PumpMessages(1000);
    Screenshot shot;
    ASSERT_TRUE(HostScreenshot(shot));
    const Reading reading = Read(shot, RECT{0, 0, shot.Width, shot.Height}, body, true);
    int backgroundPixels = 0;
    for (COLORREF pixel : shot.Pixels)
        backgroundPixels += pixel == background;
    EXPECT_GT(reading.Body, 150);
    EXPECT_GT(backgroundPixels, shot.Width * shot.Height * 9 / 10);
    HostKey("space");
    EXPECT_EQ(0u, WaitModule(run, 20000));
    CloseDesktop(desktop);
    DestroyWindow(picture);
}

// The display settings run the preview in a window of their own process.
// At every scale the preview's window covers the page's whole client area,
// whether the page's program declared no DPI awareness (the platform then
// stretches the page, and the preview with it) or per-monitor awareness.
// Where the page is drawn in true pixels, nothing of its own stripes shows
// beside the preview, and the picture moves.  (Wine 10 does not
// stretch what another process draws in a child window of a page it
// stretches, so a page that declares no awareness is not looked at there.)
// Wine 8 never shows a child window drawn by another process; there this
// waits for the newer Wine's run.
TEST(ScaledPreview, FillsASettingsPageOfAnotherProcess)
{
    if (WineMajorVersion() != 0 && WineMajorVersion() < 10)
        GTEST_SKIP() << "Wine " << WineMajorVersion() << " does not show a child window of another process";
    const COLORREF pageStripes[2] = {RGB(200, 100, 50), RGB(50, 100, 200)};
    for (const char* page : {"/p", "/p aware"}) {
        SCOPED_TRACE(page);
        ModuleRun host = StartModule(page, "", BuildDir() + "\\ruxa_preview_host.exe");
        HWND window = WaitForTopWindow("RuxaTestSettingsPage", nullptr, host.Process.dwProcessId, 20000);
        ASSERT_NE(nullptr, window);
        HWND preview = WaitForPreview(window);
        ASSERT_NE(nullptr, preview);
        // Wine 10 may lose the first painting of another process's child
        // window, done before its window shows; a page repainted later
        // shows it.
        PumpMessages(300);
        RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
        // In true pixels, as the screenshot has them.
        RECT client, covered;
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        GetWindowRect(preview, &covered);
        EXPECT_TRUE(EqualRect(&client, &covered))
            << "the preview covers " << covered.right - covered.left << " x " << covered.bottom - covered.top
            << " at " << covered.left << "," << covered.top << " of the page's " << client.right - client.left << " x "
            << client.bottom - client.top << " at " << client.left << "," << client.top;
        const bool truePixels = GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(window)) !=
                                    DPI_AWARENESS_UNAWARE || DisplayDpi() == 96;
        int uncovered = 0, changed = 0;
        Screenshot first, last;
        for (int shot = 0; shot < 4 && truePixels; ++shot) {
            PumpMessages(500);
            ASSERT_TRUE(HostScreenshot(shot == 0 ? first : last));
        }
        for (int y = client.top; y < client.bottom && truePixels; ++y)
            for (int x = client.left; x < client.right; ++x) {
                uncovered += last.At(x, y) == pageStripes[0] || last.At(x, y) == pageStripes[1];
                changed += last.At(x, y) != first.At(x, y);
            }
        EXPECT_EQ(0, uncovered) << "pixels of the page's client area beside the preview";
        EXPECT_TRUE(changed > 0 || !truePixels) << "nothing moved in the preview";
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, WaitModule(host, 20000));
    }
}
