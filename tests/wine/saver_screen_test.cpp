// The saver as a user sees it: screenshots of the private X display while the
// real module runs full screen, and while its preview runs inside a stand-in
// for the display settings page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "wine/support.h"

namespace {

const COLORREF Stripes[2] = {RGB(200, 100, 50), RGB(50, 100, 200)};
const int StripeWidth = 16;

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
        ModuleRun run = StartModule("/s");
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
    HWND preview = nullptr;
    for (int i = 0; i < 200 && !preview; ++i) {
        preview = FindWindowExA(page, nullptr, "WindowsScreenSaverClass", "Preview");
        PumpMessages(50);
    }
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
