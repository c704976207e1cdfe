// The saver's window procedure driven on a real window of the test process:
// set-up, ticks, erasing, a second creation and the hand-on of other
// messages.  The animation's state is process-wide and made once, so the
// suite shares one window; each test leaves the timer running.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "animation/win32/paint_vehicle.h"
#include "animation/win32/saver_proc.h"
#include "host/win32/host_state.h"
#include "settings/win32/paint_colour.h"
#include "wine/gdi_count.h"
#include "wine/heap_count.h"
#include "wine/support.h"

namespace {

const Colour StoredColour = 0x0000FF00;  // green, put in the registry before set-up
const Colour BackdropColour = 0x00336699, MarkColour = 0x00C08040;
const RECT MarkRect = {300, 300, 400, 350};
const int SaverWidth = 640, SaverHeight = 480;
const Colour White = 0x00FFFFFF;

// A full-screen window under the saver: one colour with a marked rectangle,
// so that the saver's screen copy has something known in it.
LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC context = BeginPaint(window, &paint);
        HBRUSH mark = CreateSolidBrush(MarkColour);
        FillRect(context, &MarkRect, mark);
        DeleteObject(mark);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

Colour PixelOf(HDC context, int x, int y) { return Colour(GetPixel(context, x, y)); }

SIZE BitmapSize(HDC surface)
{
    BITMAP info = {};
    GetObjectA(GetCurrentObject(surface, OBJ_BITMAP), sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

bool SameDrive(const DriveState& a, const DriveState& b)
{
    return a.X == b.X && a.Y == b.Y && a.Heading == b.Heading && a.TurnTarget == b.TurnTarget &&
           a.TurnRate == b.TurnRate && a.TurnTimer == b.TurnTimer;
}

class SaverProcTest : public ::testing::Test {
protected:
    static HWND Backdrop, Window;
    static LONG SavedPreviewMode;
    static Colour SavedCurrentColour;

    static void SetUpTestSuite()
    {
        HostState.Instance = GetModuleHandleA(nullptr);
        // Keeps the host's input watch out of the way: a stray pointer event
        // must not close the test window.
        SavedPreviewMode = HostState.PreviewMode;
        HostState.PreviewMode = 1;
        SavedCurrentColour = CurrentPaintColour;
        ASSERT_TRUE(StoreColour(StoredColour));

        WNDCLASSA backdropClass = {};
        backdropClass.lpfnWndProc = BackdropProc;
        backdropClass.hInstance = HostState.Instance;
        backdropClass.hbrBackground = CreateSolidBrush(BackdropColour);
        backdropClass.lpszClassName = "RuxaTestBackdrop";
        RegisterClassA(&backdropClass);
        Backdrop = CreateWindowExA(0, "RuxaTestBackdrop", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                   HostState.Instance, nullptr);
        UpdateWindow(Backdrop);
        Pump(300);

        WNDCLASSA saverClass = {};
        saverClass.lpfnWndProc = ScreenSaverProc;
        saverClass.hInstance = HostState.Instance;
        saverClass.lpszClassName = "RuxaTestSaver";
        RegisterClassA(&saverClass);
        Window = CreateWindowExA(0, "RuxaTestSaver", "", WS_POPUP, 0, 0, SaverWidth, SaverHeight, nullptr, nullptr,
                                 HostState.Instance, nullptr);
    }

    static void TearDownTestSuite()
    {
        DestroyWindow(Window);
        DestroyWindow(Backdrop);
        Pump(50);
        HostState.PreviewMode = SavedPreviewMode;
        CurrentPaintColour = SavedCurrentColour;
    }

    void SetUp() override { ASSERT_NE(Window, nullptr); }
};

HWND SaverProcTest::Backdrop = nullptr;
HWND SaverProcTest::Window = nullptr;
LONG SaverProcTest::SavedPreviewMode = 0;
Colour SaverProcTest::SavedCurrentColour = 0;

TEST_F(SaverProcTest, CreationFreezesTheScreenPaintsTheVehicleAndStartsTheDrive)
{
    ASSERT_NE(Saver.BackgroundBuffer.Context, nullptr);
    ASSERT_NE(Saver.VehicleImage.Context, nullptr);
    ASSERT_NE(Saver.TrackImage.Context, nullptr);
    ASSERT_NE(Saver.ComposeBuffer.Context, nullptr);
    EXPECT_EQ(Saver.Width, SaverWidth);
    EXPECT_EQ(Saver.Height, SaverHeight);
    EXPECT_EQ(Saver.DriveTimer, DriveTimerId);

    SIZE background = BitmapSize(Saver.BackgroundBuffer.Context), compose = BitmapSize(Saver.ComposeBuffer.Context);
    SIZE vehicle = BitmapSize(Saver.VehicleImage.Context), tracks = BitmapSize(Saver.TrackImage.Context);
    EXPECT_EQ(background.cx, SaverWidth);
    EXPECT_EQ(background.cy, SaverHeight);
    EXPECT_EQ(compose.cx, 64);
    EXPECT_EQ(compose.cy, 64);
    EXPECT_EQ(vehicle.cx, 50);
    EXPECT_EQ(vehicle.cy, 26);
    EXPECT_EQ(tracks.cx, 6);
    EXPECT_EQ(tracks.cy, 34);

    // The screen as it was: the backdrop and its mark.
    EXPECT_EQ(PixelOf(Saver.BackgroundBuffer.Context, 10, 10), BackdropColour);
    EXPECT_EQ(PixelOf(Saver.BackgroundBuffer.Context, 350, 320), MarkColour);
    EXPECT_EQ(PixelOf(Saver.BackgroundBuffer.Context, 299, 320), BackdropColour);

    // The stored colour, loaded and painted on the body.
    EXPECT_EQ(CurrentPaintColour, StoredColour);
    EXPECT_EQ(PixelOf(Saver.VehicleImage.Context, 40, 13), StoredColour);
    EXPECT_EQ(PixelOf(Saver.VehicleImage.Context, 22, 13), StoredColour);
    EXPECT_EQ(PixelOf(Saver.VehicleImage.Context, 0, 0), White);
    EXPECT_EQ(PixelOf(Saver.TrackImage.Context, 0, 0), White);

    // One vehicle over the whole window (a preview, and one screen), at the
    // left edge, heading right.
    ASSERT_EQ(Saver.VehicleCount, 1);
    EXPECT_EQ(Saver.Areas[0].Left, 0);
    EXPECT_EQ(Saver.Areas[0].Top, 0);
    EXPECT_EQ(Saver.Areas[0].Width, SaverWidth);
    EXPECT_EQ(Saver.Areas[0].Height, SaverHeight);
    const DriveState& drive = Saver.Drives[0];
    EXPECT_EQ(drive.X, 0);
    EXPECT_GE(drive.Y, 25);
    EXPECT_LE(drive.Y, SaverHeight - 25);
    EXPECT_GE(drive.Heading, 45);
    EXPECT_LE(drive.Heading, 135);
    EXPECT_EQ(drive.TurnRate, drive.TurnTarget);
    EXPECT_GE(drive.TurnTimer, 10);
    EXPECT_LE(drive.TurnTimer, 30);

    // The timer's ticks arrive through the message loop and move it.
    const DriveState start = drive;
    for (int i = 0; i < 300 && SameDrive(start, Saver.Drives[0]); ++i)
        Pump(10);
    EXPECT_FALSE(SameDrive(start, Saver.Drives[0])) << "no tick arrived";
}

TEST_F(SaverProcTest, TickStampsTracksAndShowsTheBoxWithTheVehicleInTheStoredColour)
{
    ShowWindow(Window, SW_SHOWNOACTIVATE);
    UpdateWindow(Window);
    KillTimer(Window, DriveTimerId);  // only the ticks sent here
    Pump(50);

    // Straight to the right: the step is (5, 0), the box goes to (105, 100),
    // the tracks' box to (117, 112) with copies 15 pixels ahead and behind.
    Saver.Drives[0] = DriveState{};
    Saver.Drives[0].X = 100;
    Saver.Drives[0].Y = 100;
    Saver.Drives[0].Heading = 90;
    Saver.Drives[0].TurnTimer = 20;
    EXPECT_EQ(ScreenSaverProc(Window, WM_TIMER, DriveTimerId, 0), 1);
    EXPECT_EQ(Saver.Drives[0].X, 105);
    EXPECT_EQ(Saver.Drives[0].Y, 100);
    EXPECT_EQ(Saver.Drives[0].Heading, 90);

    // Heading 90 lays the track strip unturned: strip pixel (sx, sy) lands at
    // (x + 44 + sx, y + 15 + sy) and (x + 14 + sx, y + 15 + sy).
    const int x = 105, y = 100;
    int trackPixels = 0;
    for (int sy = 0; sy < 34; ++sy)
        for (int sx = 0; sx < 6; ++sx) {
            const Colour strip = PixelOf(Saver.TrackImage.Context, sx, sy);
            if (strip == White)
                continue;
            ++trackPixels;
            EXPECT_EQ(PixelOf(Saver.BackgroundBuffer.Context, x + 44 + sx, y + 15 + sy), strip) << sx << "," << sy;
            EXPECT_EQ(PixelOf(Saver.BackgroundBuffer.Context, x + 14 + sx, y + 15 + sy), strip) << sx << "," << sy;
        }
    EXPECT_GT(trackPixels, 0);

    // The window's box: the vehicle unturned at (7, 19) inside it, over the
    // background with the tracks already in it.
    HDC windowContext = GetDC(Window);
    int mismatches = 0, body = 0;
    for (int v = 0; v < 64; ++v)
        for (int u = 0; u < 64; ++u) {
            Colour expected = PixelOf(Saver.BackgroundBuffer.Context, x + u, y + v);
            const int sx = u - 7, sy = v - 19;
            if (sx >= 0 && sx < 50 && sy >= 0 && sy < 26) {
                const Colour picture = PixelOf(Saver.VehicleImage.Context, sx, sy);
                if (picture != White)
                    expected = picture;
            }
            const Colour shown = PixelOf(windowContext, x + u, y + v);
            mismatches += shown != expected;
            body += shown == StoredColour;
        }
    ReleaseDC(Window, windowContext);
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(body, 540);

    SetTimer(Window, DriveTimerId, 1, nullptr);
}

TEST_F(SaverProcTest, ErasingPaintsTheFrozenScreenWithItsTracks)
{
    KillTimer(Window, DriveTimerId);
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, SaverWidth, SaverHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(target, bitmap);
    PatBlt(target, 0, 0, SaverWidth, SaverHeight, BLACKNESS);

    EXPECT_EQ(ScreenSaverProc(Window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(target), 0), 1);
    int mismatches = 0;
    for (int y = 0; y < SaverHeight; y += 3)
        for (int x = 0; x < SaverWidth; x += 3)
            mismatches += PixelOf(target, x, y) != PixelOf(Saver.BackgroundBuffer.Context, x, y);
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(PixelOf(target, 350, 320), MarkColour);

    SelectObject(target, previous);
    DeleteObject(bitmap);
    DeleteDC(target);

    // A real repaint of the window goes the same way: the default handling
    // of WM_PAINT erases through the saver's procedure.
    ShowWindow(Window, SW_SHOWNOACTIVATE);
    InvalidateRect(Window, nullptr, TRUE);
    UpdateWindow(Window);
    HDC windowContext = GetDC(Window);
    mismatches = 0;
    for (int y = 0; y < SaverHeight; y += 5)
        for (int x = 0; x < SaverWidth; x += 5)
            mismatches += PixelOf(windowContext, x, y) != PixelOf(Saver.BackgroundBuffer.Context, x, y);
    ReleaseDC(Window, windowContext);
    EXPECT_EQ(mismatches, 0);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(Window, &update, FALSE));

    SetTimer(Window, DriveTimerId, 1, nullptr);
}

TEST_F(SaverProcTest, DestroyStopsTheTimerAndASecondCreationOnlyRestartsIt)
{
    EXPECT_EQ(ScreenSaverProc(Window, WM_DESTROY, 0, 0), 1);
    EXPECT_FALSE(KillTimer(Window, DriveTimerId)) << "the timer outlived WM_DESTROY";

    const SaverRecord before = Saver;
    const Colour markBefore = PixelOf(Saver.BackgroundBuffer.Context, 350, 320);
    ASSERT_TRUE(StoreColour(0x00FF0000));  // would show if the vehicle were painted again

    CREATESTRUCTA create = {};
    EXPECT_EQ(ScreenSaverProc(Window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)), 1);
    EXPECT_EQ(Saver.BackgroundBuffer.Context, before.BackgroundBuffer.Context);
    EXPECT_EQ(Saver.VehicleImage.Context, before.VehicleImage.Context);
    EXPECT_EQ(Saver.TrackImage.Context, before.TrackImage.Context);
    EXPECT_EQ(Saver.ComposeBuffer.Context, before.ComposeBuffer.Context);
    EXPECT_TRUE(SameDrive(Saver.Drives[0], before.Drives[0]));
    EXPECT_EQ(Saver.Random.State, before.Random.State);
    EXPECT_EQ(CurrentPaintColour, StoredColour);
    EXPECT_EQ(PixelOf(Saver.VehicleImage.Context, 40, 13), StoredColour);
    EXPECT_EQ(PixelOf(Saver.BackgroundBuffer.Context, 350, 320), markBefore);

    EXPECT_EQ(Saver.DriveTimer, DriveTimerId);
    EXPECT_TRUE(KillTimer(Window, DriveTimerId)) << "WM_CREATE did not start the timer";
    SetTimer(Window, DriveTimerId, 1, nullptr);
    ASSERT_TRUE(StoreColour(StoredColour));
}

TEST_F(SaverProcTest, OtherMessagesGoOnToTheHostsDefaultHandlingUnchanged)
{
    // Text messages: both parameters arrive where the default procedure
    // uses them.
    EXPECT_EQ(ScreenSaverProc(Window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Ruxa proc")), TRUE);
    char text[16] = {};
    GetWindowTextA(Window, text, sizeof text);
    EXPECT_STREQ(text, "Ruxa proc");
    char shortText[5] = {};
    EXPECT_EQ(ScreenSaverProc(Window, WM_GETTEXT, sizeof shortText, reinterpret_cast<LPARAM>(shortText)), 4);
    EXPECT_STREQ(shortText, "Ruxa");

    // WM_PAINT keeps the default handling, which validates the window.
    InvalidateRect(Window, nullptr, FALSE);
    ScreenSaverProc(Window, WM_PAINT, 0, 0);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(Window, &update, FALSE));

    // Input reaches the host's watch (not just the platform's procedure),
    // which asks for the window to close.
    MSG stale;
    while (PeekMessageA(&stale, Window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
    }
    HostState.PreviewMode = 0;
    ScreenSaverProc(Window, WM_KEYDOWN, VK_SPACE, 0x00390001);
    HostState.PreviewMode = 1;
    MSG close;
    EXPECT_TRUE(PeekMessageA(&close, Window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

TEST_F(SaverProcTest, ManyTicksCreateNoDrawingObjectAndHoldNoMemory)
{
    KillTimer(Window, DriveTimerId);
    ScreenSaverProc(Window, WM_TIMER, DriveTimerId, 0);  // the window's DC cache is warm
    const int before = CountGdiObjects();
    const std::size_t heapBefore = HeapBytesInUse();
    for (int i = 0; i < 1000; ++i)
        ScreenSaverProc(Window, WM_TIMER, DriveTimerId, 0);
    EXPECT_EQ(CountGdiObjects(), before);
    EXPECT_EQ(HeapBytesInUse(), heapBefore);
    SetTimer(Window, DriveTimerId, 1, nullptr);
}

}  // namespace
