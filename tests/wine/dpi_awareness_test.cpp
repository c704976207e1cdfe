// True pixels: each mode declares the DPI awareness that fits it before it
// makes its window or dialog.  Each mode runs in a process of its own
// (awareness is per process, and set once) inside a stand-in that reports
// what the mode did.
//
// Wine 8 starts every process per-monitor aware already and refuses any
// later declaration but the oldest, which it takes without effect; there
// the host's own record of the accepted form is what tells the modes apart.
// Wine 10 takes every form, as Windows 10 and 11 do.
#include <gtest/gtest.h>

#include <string>

#include "host/win32/host_state.h"
#include "wine/support.h"

namespace {

struct DpiReport {
    DWORD Declared = 0, Before = 0, After = 0;
    bool Returned = false;
};

DpiReport RunProbe(const std::string& arguments)
{
    std::string commandLine = "\"" + BuildDir() + "\\ruxa_dpi_probe.exe\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ModuleRun run;
    run.Started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 BuildDir().c_str(), &startup, &run.Process) != FALSE;
    // The preview's parent is this process's window: keep it answering.
    const DWORD code = WaitPumping(run, 20000);
    DpiReport report;
    report.Returned = code >= 1000 && code < 1500;
    report.Declared = (code / 100) % 10;
    report.Before = (code / 10) % 10;
    report.After = code % 10;
    EXPECT_TRUE(report.Returned) << arguments << " ended with " << code;
    return report;
}

const DWORD Unaware = 0;

// The full-screen saver takes the newest form the platform has.  The
// configure dialog takes per-monitor awareness version 2, and where that is
// missing system awareness, never the first per-monitor form, which would
// leave its controls at the old scale on another monitor.  The preview's
// thread takes the awareness of its parent, a window of the display
// settings, as the platform gives the preview's window anyway; where a
// thread cannot have one of its own, it declares as the full-screen saver.
TEST(DpiAwareness, EachModeDeclaresTheFormThatFitsIt)
{
    WNDCLASSA pageClass = {};
    pageClass.lpfnWndProc = DefWindowProcA;
    pageClass.hInstance = GetModuleHandleA(nullptr);
    pageClass.lpszClassName = "RuxaDpiTestPage";
    RegisterClassA(&pageClass);
    // A page of a program that declares no awareness.
    DPI_AWARENESS_CONTEXT tests = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    HWND page = CreateWindowExA(0, pageClass.lpszClassName, "page", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150, nullptr,
                                nullptr, pageClass.hInstance, nullptr);
    SetThreadDpiAwarenessContext(tests);
    ASSERT_NE(nullptr, page);
    const std::string inPage = "/p " + std::to_string(reinterpret_cast<UINT_PTR>(page));

    DpiReport fullScreen = RunProbe("/s");
    EXPECT_GE(fullScreen.Declared, DWORD(DpiDeclaredSystem));
    EXPECT_NE(Unaware, fullScreen.After);

    DpiReport configure = RunProbe("/c");
    EXPECT_EQ(DWORD(fullScreen.Declared == DpiDeclaredPerMonitorV2 ? DpiDeclaredPerMonitorV2 : DpiDeclaredSystem),
              configure.Declared);
    EXPECT_NE(Unaware, configure.After);

    DpiReport preview = RunProbe(inPage);
    EXPECT_EQ(DWORD(DpiAdoptedFromParent), preview.Declared);
    EXPECT_EQ(DWORD(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(page))), preview.After);

    // Windows 8.1 to 10 1511: the first per-monitor form, and no awareness
    // per thread.
    EXPECT_EQ(DWORD(DpiDeclaredPerMonitor), RunProbe("8.1 /s").Declared);
    EXPECT_EQ(DWORD(DpiDeclaredSystem), RunProbe("8.1 /c").Declared);
    EXPECT_EQ(DWORD(DpiDeclaredPerMonitor), RunProbe("8.1 " + inPage).Declared);
    DestroyWindow(page);
}

}  // namespace
