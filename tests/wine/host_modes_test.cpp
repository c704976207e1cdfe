// The module started as the platform starts it: mode letters, exit codes,
// the windows that appear and what ends the full-screen saver.
#include "wine/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const DWORD NoMode = 0xFFFFFFFFu;  // exit code -1
const char SaverClass[] = "WindowsScreenSaverClass";

std::string Number(HWND window)
{
    return std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
}

// A plain top-level window of the test process to host a preview.
HWND MakeParent(int width, int height)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "RuxaHostTestParent";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExA(0, "RuxaHostTestParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

HWND WaitForChild(HWND parent, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        HWND child = FindWindowExA(parent, nullptr, SaverClass, "Preview");
        if (child) {
            return child;
        }
        PumpMessages(20);
    }
    return nullptr;
}

HWND WaitForSaver(ModuleRun& run)
{
    return WaitForTopWindow(SaverClass, "Screen Saver", run.Process.dwProcessId, 10000);
}

// Starts the module with a command line written out in full.
ModuleRun StartRaw(const std::string& commandLine)
{
    ModuleRun run;
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    run.Started = CreateProcessA(ModulePath().c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 BuildDir().c_str(), &startup, &run.Process) != FALSE;
    return run;
}

} // namespace

TEST(HostModes, CommandLinesNamingNoModeEndAtOnceWithMinusOne)
{
    HWND parent = MakeParent(200, 150);
    ASSERT_NE(parent, nullptr);
    for (const char* arguments : {"/x", "x", "/\ts", "/1", "/p", "/p 0", "/l", "/p 4000000", "/\xe9", "/d"}) {
        EXPECT_EQ(RunModule(arguments), NoMode) << arguments;
    }
    // The colon stops the number at 0.
    EXPECT_EQ(RunModule("/p:" + Number(parent)), NoMode);
    // Outside the password family the change-password letter runs nothing.
    EXPECT_EQ(RunModule("/a"), NoMode);
    EXPECT_EQ(RunModule("/A " + Number(parent)), NoMode);
    EXPECT_EQ(FindWindowA(SaverClass, nullptr), nullptr);
    DestroyWindow(parent);
}

TEST(HostModes, PreviewFillsTheParentsClientAreaAndEndsWithIt)
{
    for (int variant = 0; variant < 5; ++variant) {
        HWND parent = MakeParent(152, 112);
        ASSERT_NE(parent, nullptr);
        unsigned long long wrapped =
            static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent)) + (1ull << 32);
        const std::string arguments[] = {"/p " + Number(parent), "/p" + Number(parent), "/P    " + Number(parent),
                                         "/l " + Number(parent), "-p " + std::to_string(wrapped)};
        ModuleRun run = StartModule(arguments[variant]);
        ASSERT_TRUE(run.Started);
        HWND child = WaitForChild(parent, 10000);
        ASSERT_NE(child, nullptr) << arguments[variant];
        PumpMessages(300);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE)), 0x52000000u) << arguments[variant];
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(child, GWL_EXSTYLE)), 0u);
        EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 0);
        RECT client, box;
        GetClientRect(parent, &client);
        GetClientRect(child, &box);
        EXPECT_EQ(box.right, client.right);
        EXPECT_EQ(box.bottom, client.bottom);
        // A preview never counts as a running full-screen saver.
        EXPECT_EQ(FindWindowA(SaverClass, "Screen Saver"), nullptr);
        // Input does not close the preview.
        PostMessageA(child, WM_KEYDOWN, 'A', 0);
        PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        PostMessageA(child, WM_ACTIVATEAPP, FALSE, 0);
        EXPECT_TRUE(StillRunning(run, 300)) << arguments[variant];
        // Later size changes of the parent are not followed.
        SetWindowPos(parent, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages(100);
        GetClientRect(child, &box);
        EXPECT_EQ(box.right, client.right);
        // The platform ends the preview by destroying the settings window.
        DestroyWindow(parent);
        EXPECT_EQ(WaitPumping(run, 10000), 0u) << arguments[variant];
    }
}

TEST(HostModes, FullScreenWindowIsATopmostPopupOverTheScreen)
{
    ModuleRun run = StartModule("/s");
    ASSERT_TRUE(run.Started);
    HWND saver = WaitForSaver(run);
    ASSERT_NE(saver, nullptr);
    PumpMessages(300);  // until the creation has finished
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(saver, GWL_STYLE)) & 0xFFFF0000u, 0x96000000u);
    EXPECT_NE(static_cast<DWORD>(GetWindowLongPtrA(saver, GWL_EXSTYLE)) & WS_EX_TOPMOST, 0u);
    RECT box;
    GetWindowRect(saver, &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(box.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetClassLongPtrA(saver, GCL_STYLE), 0x2B);
    EXPECT_EQ(GetClassLongPtrA(saver, GCLP_HCURSOR), 0);
    // The title is never changed.
    EXPECT_EQ(SendMessageA(saver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other")), 0);
    char title[64] = "";
    GetWindowTextA(saver, title, sizeof title);
    EXPECT_STREQ(title, "Screen Saver");

    // A second start brings the first to the front and ends with 0.
    EXPECT_EQ(RunModule("/s"), 0u);
    EXPECT_TRUE(StillRunning(run, 100));

    // Releases, characters and wheel turns do not close; a close request does.
    PostMessageA(saver, WM_KEYUP, 'A', 0);
    PostMessageA(saver, WM_CHAR, 'a', 0);
    PostMessageA(saver, WM_LBUTTONUP, 0, 0);
    PostMessageA(saver, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    PostMessageA(saver, WM_ACTIVATEAPP, TRUE, 0);
    PostMessageA(saver, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    EXPECT_TRUE(StillRunning(run, 400));
    PostMessageA(saver, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitPumping(run, 10000), 0u);
}

TEST(HostModes, ProgramNameAndLetterSpellings)
{
    // Letter written right behind the quoted name, a tab behind the name,
    // and separators before the letter.
    for (std::string commandLine : {"\"" + ModulePath() + "\"/s", "\"" + ModulePath() + "\"\t//--s anything",
                                    "\"" + ModulePath() + "\" -S"}) {
        ModuleRun run = StartRaw(commandLine);
        ASSERT_TRUE(run.Started);
        HWND saver = WaitForSaver(run);
        EXPECT_NE(saver, nullptr) << commandLine;
        PostMessageA(saver, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitPumping(run, 10000), 0u) << commandLine;
    }
}

TEST(HostModes, LosingActivationClosesTheSaver)
{
    ModuleRun run = StartModule("/s");
    HWND saver = WaitForSaver(run);
    ASSERT_NE(saver, nullptr);
    PostMessageA(saver, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(WaitPumping(run, 10000), 0u);
}

TEST(HostModes, RealKeyAndClickCloseTheSaver)
{
    for (int which = 0; which < 2; ++which) {
        HostMouseMove(300, 300);
        ModuleRun run = StartModule("/s");
        HWND saver = WaitForSaver(run);
        ASSERT_NE(saver, nullptr);
        EXPECT_TRUE(StillRunning(run, 300));
        if (which == 0) {
            HostKey("a");
        } else {
            HostClick(1);
        }
        EXPECT_EQ(WaitPumping(run, 10000), 0u) << (which == 0 ? "key" : "click");
    }
}

TEST(HostModes, RealMovementOfMoreThanFourPixelsClosesTheSaver)
{
    HostMouseMove(200, 200);
    ModuleRun run = StartModule("/s");
    HWND saver = WaitForSaver(run);
    ASSERT_NE(saver, nullptr);
    PumpMessages(300);
    HostMouseMove(202, 202);  // 4 pixels: still running
    EXPECT_TRUE(StillRunning(run, 500));
    HostMouseMove(203, 202);  // 5 from where the saver started
    EXPECT_EQ(WaitPumping(run, 10000), 0u);
}
