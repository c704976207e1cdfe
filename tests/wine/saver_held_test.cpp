// The saver while nobody can see it.  Wine never turns a display off or
// disconnects a session, so the tests send the platform's notices: to a
// saver window of the host's class procedure in this process, and to a real
// full-screen run of the module.
#include <gtest/gtest.h>

#include <initguid.h>  // the power settings' values, from the platform's header
#include <windows.h>

#include <cstring>

#include "animation/win32/saver_proc.h"
#include "host/win32/host.h"
#include "wine/gdi_count.h"
#include "wine/heap_count.h"
#include "wine/support.h"

namespace {

// Reason 0: every display off (or on again); reason 1: the session's remote
// client gone (or back).
void Hold(HWND window, int reason, bool holds)
{
    if (reason == 1)
        SendMessageA(window, WM_WTSSESSION_CHANGE, holds ? WTS_REMOTE_DISCONNECT : WTS_REMOTE_CONNECT, 1);
    else
        SendDisplayState(window, holds ? 0 : 1, GUID_SESSION_DISPLAY_STATUS);
}

bool SameDrive(const DriveState& a, const DriveState& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(UnseenSaver, HeldDriveDrawsNothingAndGoesOnFromWhereItStood)
{
    const HostRecord saved = HostState;
    // A saver of its own, made by this window's creation.
    const SaverRecord savedSaver = Saver;
    Saver = SaverRecord();
    Saver.Seed = 20261207;
    HostState.Instance = GetModuleHandleA(nullptr);
    HostState.PreviewMode = 0;
    HostState.SystemVersion = 0x0602;  // as Windows 8 and later report themselves
    WNDCLASSA saverClass = {};
    saverClass.lpfnWndProc = ScreenSaverWindowProc;
    saverClass.hInstance = HostState.Instance;
    saverClass.lpszClassName = "RuxaTestUnseenSaver";
    RegisterClassA(&saverClass);
    HWND window = CreateWindowExA(0, saverClass.lpszClassName, "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                  HostState.Instance, nullptr);
    ASSERT_TRUE(window && HostState.DisplayUnregisterEntry && HostState.SessionUnregisterEntry);
    ASSERT_EQ(1, Saver.VehicleCount);
    ASSERT_FALSE(ScreenSaverDriveHeld());

    for (int reason = 0; reason < 2; ++reason) {
        SCOPED_TRACE(reason ? "session" : "displays");
        Hold(window, reason, true);
        const DriveState held = Saver.Drives[0];
        const DriveRandom heldRandom = Saver.Random;
        PumpMessages(2000);
        EXPECT_TRUE(SameDrive(held, Saver.Drives[0]) && heldRandom.State == Saver.Random.State) << "a frame was drawn";
        EXPECT_FALSE(KillTimer(window, DriveTimerId)) << "the timer runs";

        Hold(window, reason, false);
        for (int i = 0; i < 300 && SameDrive(held, Saver.Drives[0]); ++i)
            PumpMessages(10);
        // Stepping on from the held state reaches the drive as it is now.
        DriveState drive = held;
        DriveRandom random = heldRandom;
        int steps = 0;
        for (; steps < 5000 && !SameDrive(drive, Saver.Drives[0]); ++steps)
            StepDrive(drive, random, Saver.Areas[0].Width, Saver.Areas[0].Height);
        EXPECT_TRUE(steps > 0 && steps < 5000 && random.State == Saver.Random.State) << steps << " steps";
    }

    // Holding, restarting and watching again leave nothing behind.
    Hold(window, 0, true);
    Hold(window, 0, false);
    const int gdiBefore = CountGdiObjects();
    const std::size_t heapBefore = HeapBytesInUse();
    for (int i = 0; i < 100; ++i) {
        Hold(window, i % 2, true);
        Hold(window, i % 2, false);
        ScreenSaverUnwatchDisplay(window);
        ScreenSaverWatchDisplay(window);
    }
    EXPECT_EQ(gdiBefore, CountGdiObjects());
    EXPECT_EQ(heapBefore, HeapBytesInUse());

    DestroyWindow(window);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    for (DibSurface* s : {&Saver.BackgroundBuffer, &Saver.ComposeBuffer, &Saver.VehicleImage, &Saver.TrackImage})
        ReleaseDibSurface(*s);
    Saver = savedSaver;
    HostState = saved;
}

TEST(UnseenSaver, KeyEndsAHeldSaverWithZero)
{
    HostMouseMove(300, 300);
    ModuleRun run = StartModule("/s");
    HWND saver = WaitForTopWindow("WindowsScreenSaverClass", "Screen Saver", run.Process.dwProcessId, 10000);
    ASSERT_NE(saver, nullptr);
    Screenshot shots[4];
    for (int i = 0; i < 4; ++i) {
        if (i == 2) {
            PostMessageA(saver, WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, 1);
        }
        PumpMessages(i == 3 ? 1500 : 300);
        ASSERT_TRUE(HostScreenshot(shots[i]));
    }
    EXPECT_TRUE(shots[0].Pixels != shots[1].Pixels) << "the saver did not draw";
    EXPECT_TRUE(shots[2].Pixels == shots[3].Pixels) << "the held saver drew";
    EXPECT_TRUE(StillRunning(run, 100));
    HostKey("a");
    EXPECT_EQ(WaitPumping(run, 10000), 0u);
}

}  // namespace
