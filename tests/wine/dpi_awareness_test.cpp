// True pixels: the saver modes declare DPI awareness before they make their
// window, and the configure mode before its dialog.  Each mode runs in
// a process of its own (awareness is per process, and set once) inside a
// stand-in that reports what the mode did.
//
// Wine 8 starts every process per-monitor aware already and refuses any
// later declaration but the oldest, which it takes without effect; there
// the host's own record of the accepted form is what tells the modes apart.
#include <gtest/gtest.h>

#include <string>

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
    report.Returned = code >= 1000 && code < 1400;
    report.Declared = (code / 100) % 10;
    report.Before = (code / 10) % 10;
    report.After = code % 10;
    return report;
}

const DWORD Unaware = 0;

TEST(DpiAwareness, SaverModesAndTheConfigureModeDeclareIt)
{
    DpiReport fullScreen = RunProbe("/s");
    ASSERT_TRUE(fullScreen.Returned);
    EXPECT_GE(fullScreen.Declared, 1u);
    EXPECT_NE(Unaware, fullScreen.After);

    WNDCLASSA pageClass = {};
    pageClass.lpfnWndProc = DefWindowProcA;
    pageClass.hInstance = GetModuleHandleA(nullptr);
    pageClass.lpszClassName = "RuxaDpiTestPage";
    RegisterClassA(&pageClass);
    HWND page = CreateWindowExA(0, pageClass.lpszClassName, "page", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150, nullptr,
                                nullptr, pageClass.hInstance, nullptr);
    ASSERT_NE(nullptr, page);
    DpiReport preview = RunProbe("/p " + std::to_string(reinterpret_cast<UINT_PTR>(page)));
    DestroyWindow(page);
    ASSERT_TRUE(preview.Returned);
    EXPECT_EQ(fullScreen.Declared, preview.Declared);
    EXPECT_NE(Unaware, preview.After);

    // The configure dialog is laid out by the platform at the display's
    // DPI, not stretched after the fact.
    DpiReport configure = RunProbe("/c");
    ASSERT_TRUE(configure.Returned);
    EXPECT_EQ(fullScreen.Declared, configure.Declared);
    EXPECT_NE(Unaware, configure.After);
}

}  // namespace
