// The full-screen saver on a desk with two monitors: 1024 x 768 (the
// primary) and 800 x 600 beside it, right or left as RUXA_MONITOR_LAYOUT
// says.  Screenshots of the whole X screen, whose pixel (0, 0) is the
// virtual screen's origin, show what the user would see.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "wine/support.h"

namespace {

const COLORREF Stripes[2] = {RGB(200, 100, 50), RGB(50, 100, 200)};
const COLORREF Body = RGB(0, 255, 0);

struct Desk {
    RECT Primary, Second, Virtual;
    LONG Seam;  // the x, in virtual-screen coordinates, where the monitors meet
};

// The layout the test runner set up.
bool ExpectedDesk(Desk& desk)
{
    const char* layout = std::getenv("RUXA_MONITOR_LAYOUT");
    const std::string name = layout ? layout : "";
    desk.Primary = {0, 0, 1024, 768};
    if (name == "right") {
        desk.Second = {1024, 0, 1824, 600};
        desk.Virtual = {0, 0, 1824, 768};
        desk.Seam = 1024;
        return true;
    }
    if (name == "left") {
        desk.Second = {-800, 0, 0, 600};
        desk.Virtual = {-800, 0, 1024, 768};
        desk.Seam = 0;
        return true;
    }
    return false;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data)
{
    reinterpret_cast<std::vector<RECT>*>(data)->push_back(*rect);
    return TRUE;
}

COLORREF StripeAt(LONG virtualX)
{
    return Stripes[((virtualX + 4096) / 16) % 2];
}

// A window of the test's own over the whole virtual screen, showing
// stripes, so the saver has something known to freeze.
LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        const LONG origin = GetSystemMetrics(SM_XVIRTUALSCREEN);
        for (LONG x = 0; x < client.right; ++x) {
            RECT column = {x, 0, x + 1, client.bottom};
            HBRUSH brush = CreateSolidBrush(StripeAt(origin + x));
            FillRect(reinterpret_cast<HDC>(wParam), &column, brush);
            DeleteObject(brush);
        }
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND ShowKnownPicture(const RECT& area)
{
    WNDCLASSA pictureClass = {};
    pictureClass.lpfnWndProc = PictureProc;
    pictureClass.hInstance = GetModuleHandleA(nullptr);
    pictureClass.lpszClassName = "RuxaTestDeskPicture";
    RegisterClassA(&pictureClass);
    HWND picture = CreateWindowExA(0, pictureClass.lpszClassName, "Known picture", WS_POPUP | WS_VISIBLE, area.left,
                                   area.top, area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                   pictureClass.hInstance, nullptr);
    UpdateWindow(picture);
    PumpMessages(500);
    return picture;
}

// What one screenshot shows inside a rectangle of the virtual screen.
struct Reading {
    int Body = 0, Picture = 0, Other = 0;
    long SumX = 0, SumY = 0;
    double CentreX() const { return Body ? double(SumX) / Body : -1; }
    double CentreY() const { return Body ? double(SumY) / Body : -1; }
};

Reading Read(const Screenshot& shot, const RECT& virtualScreen, const RECT& area)
{
    Reading reading;
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x) {
            const COLORREF pixel = shot.At(x - virtualScreen.left, y - virtualScreen.top);
            if (pixel == Body) {
                ++reading.Body;
                reading.SumX += x;
                reading.SumY += y;
            } else if (pixel == StripeAt(x)) {
                ++reading.Picture;
            } else {
                ++reading.Other;
            }
        }
    return reading;
}

double Distance(const Reading& a, const Reading& b)
{
    const double dx = a.CentreX() - b.CentreX(), dy = a.CentreY() - b.CentreY();
    return dx * dx + dy * dy;
}

class TwoMonitors : public ::testing::Test {
protected:
    Desk Layout = {};
    void SetUp() override { ASSERT_TRUE(ExpectedDesk(Layout)) << "RUXA_MONITOR_LAYOUT must be right or left"; }
};

TEST_F(TwoMonitors, ThePlatformReportsBothAtTheirPlaces)
{
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    ASSERT_EQ(2u, monitors.size());
    EXPECT_TRUE(SameRect(monitors[0], Layout.Primary) || SameRect(monitors[1], Layout.Primary));
    EXPECT_TRUE(SameRect(monitors[0], Layout.Second) || SameRect(monitors[1], Layout.Second))
        << Text(monitors[0]) << " " << Text(monitors[1]);
    const RECT virtualScreen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    EXPECT_TRUE(SameRect(virtualScreen, Layout.Virtual)) << Text(virtualScreen);
}

TEST_F(TwoMonitors, TheSaverCoversBothAndEachVehicleStaysOnItsOwnMonitor)
{
    const RECT& screen = Layout.Virtual;
    HWND picture = ShowKnownPicture(screen);
    Screenshot before;
    ASSERT_TRUE(HostScreenshot(before));
    ASSERT_EQ(screen.right - screen.left, before.Width);
    ASSERT_EQ(screen.bottom - screen.top, before.Height);
    ASSERT_EQ(0, Read(before, screen, screen).Other) << "the known picture should fill the screen first";

    // The part of the virtual screen that no monitor shows: beside the
    // smaller monitor, below its bottom.
    const RECT unseen = {Layout.Second.left, Layout.Second.bottom, Layout.Second.right, screen.bottom};
    const RECT monitors[2] = {Layout.Primary, Layout.Second};

    // The saver's code with a known seed, with which the primary's vehicle
    // drives right over its monitor's edge and the second's over its right
    // and bottom edges within 355 ticks, and neither comes back within 20
    // pixels of its monitor's left edge in 2000 ticks (20 s at least).
    ASSERT_TRUE(StoreColour(Body));
    const DWORD start = GetTickCount();
    std::string commandLine = "\"" + BuildDir() + "\\ruxa_preview_host.exe\" 2847877 /s";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ModuleRun run;
    run.Started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 BuildDir().c_str(), &startup, &run.Process) != FALSE;
    ASSERT_TRUE(run.Started);
    HWND saver = WaitForTopWindow("WindowsScreenSaverClass", "Screen Saver", run.Process.dwProcessId, 20000);
    ASSERT_NE(nullptr, saver);
    RECT window;
    GetWindowRect(saver, &window);
    EXPECT_TRUE(SameRect(window, screen)) << Text(window);

    // Strips of 6 pixels at the seam: the monitor that ends there, which its
    // vehicle reaches, and the one that starts there, which no vehicle's
    // picture or tracks reach unless one crosses the seam; and the bottom
    // rows of the second monitor, which its vehicle reaches.
    const bool secondRight = Layout.Second.left == Layout.Seam;
    const RECT ending = {Layout.Seam - 6, 0, Layout.Seam, secondRight ? Layout.Primary.bottom : Layout.Second.bottom};
    const RECT starting = {Layout.Seam, 0, Layout.Seam + 6, secondRight ? Layout.Second.bottom : Layout.Primary.bottom};
    const RECT bottom = {Layout.Second.left, Layout.Second.bottom - 6, Layout.Second.right, Layout.Second.bottom};

    std::vector<Reading> seen[2];
    Reading first[2], last[2];
    int strayPixels = 0, crossingRows = 0, crossingPixels = 0;
    bool edgesReached = false;
    std::string bodies;
    for (int shot = 0; shot < 60; ++shot) {
        PumpMessages(400);
        Screenshot now;
        ASSERT_TRUE(HostScreenshot(now));
        ASSERT_LT(GetTickCount() - start, 20000u) << "too slow for the known path's guarantee";
        for (int m = 0; m < 2; ++m) {
            last[m] = Read(now, screen, monitors[m]);
            if (shot == 0)
                first[m] = last[m];
            bodies += " " + std::to_string(last[m].Body);
            if (last[m].Body > 150)
                seen[m].push_back(last[m]);
        }
        bodies += " |";
        // Nothing of a vehicle or its tracks where no monitor shows it...
        strayPixels += Read(now, screen, unseen).Other + Read(now, screen, unseen).Body;
        // ...nor beyond the seam...
        crossingPixels += Read(now, screen, starting).Other + Read(now, screen, starting).Body;
        // ...and no vehicle cut in two by the seam: a body drawn across it
        // would show on both of its sides in the same row.
        for (LONG y = 0; y < Layout.Second.bottom; ++y) {
            const LONG x = Layout.Seam - screen.left;
            crossingRows += now.At(int(x) - 1, int(y)) == Body && now.At(int(x), int(y)) == Body;
        }
        // The tracks show where the vehicles reached the edges.
        edgesReached = Read(now, screen, ending).Other > 0 && Read(now, screen, bottom).Other > 0;
        if (shot >= 11 && edgesReached && seen[0].size() >= 2 && seen[1].size() >= 2)
            break;
    }

    HostKey("space");
    EXPECT_EQ(0u, WaitModule(run, 20000));
    EXPECT_FALSE(IsWindow(saver));
    DestroyWindow(picture);

    EXPECT_TRUE(edgesReached) << "body pixels per shot (primary, second):" << bodies;
    EXPECT_EQ(0, strayPixels);
    EXPECT_EQ(0, crossingPixels);
    EXPECT_EQ(0, crossingRows);
    for (int m = 0; m < 2; ++m) {
        SCOPED_TRACE(m == 0 ? "primary monitor" : "second monitor");
        // A vehicle drives here: seen whole at least twice, and moving.
        ASSERT_GE(seen[m].size(), 2u) << "body pixels per shot (primary, second):" << bodies;
        EXPECT_GT(Distance(seen[m].front(), seen[m].back()), 10.0 * 10.0);
        // The desktop is frozen on the whole monitor as the saver starts,
        // and stays so outside the vehicle's path, where tracks accumulate.
        // (Measured: the path covers about 15% of the small monitor in
        // these five seconds.)
        const long area = (monitors[m].right - monitors[m].left) * (monitors[m].bottom - monitors[m].top);
        EXPECT_GT(first[m].Picture, area * 95 / 100);
        EXPECT_GT(last[m].Picture, area * 7 / 10);
        EXPECT_GT(last[m].Other, first[m].Other) << "no tracks";
    }
}

}  // namespace
