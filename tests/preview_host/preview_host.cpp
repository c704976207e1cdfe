// Stands in for the display settings page: a window with a known picture,
// and the module's preview mode running inside it in this same process (a
// child window drawn by one process inside another's never shows under
// Wine 8).  Exits with the preview mode's exit code once the page is closed.
//
// Its command line: an optional seed for the vehicles' generator, so that
// a test knows the path they drive, then optionally /s, which runs the
// full-screen saver instead of a page with its preview, or /p, which runs
// the preview in RUXA.SCR, a process of its own, as the display settings
// do (Wine 10 shows it), in a page that declares no DPI awareness, or with
// /p aware in one that declares per-monitor awareness.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "animation/win32/saver_proc.h"
#include "host/win32/host.h"

// Vertical stripes that no colour of the vehicle or its tracks matches.
static const COLORREF PageStripes[2] = {RGB(200, 100, 50), RGB(50, 100, 200)};

static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        for (LONG x = 0; x < client.right; x += 16) {
            RECT stripe = {x, 0, x + 16, client.bottom};
            HBRUSH brush = CreateSolidBrush(PageStripes[(x / 16) % 2]);
            FillRect(reinterpret_cast<HDC>(wParam), &stripe, brush);
            DeleteObject(brush);
        }
        return 1;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    Saver.Seed = std::uint32_t(std::strtoul(commandLine, nullptr, 10));
    if (std::strstr(commandLine, "/s") != nullptr)
        return ScreenSaverMain(instance, "/s");

    WNDCLASSA pageClass = {};
    pageClass.lpfnWndProc = PageProc;
    pageClass.hInstance = instance;
    pageClass.lpszClassName = "RuxaTestSettingsPage";
    RegisterClassA(&pageClass);
    const bool apart = std::strstr(commandLine, "/p") != nullptr;
    int scale = 96;
    if (apart && std::strstr(commandLine, "aware") != nullptr) {
        SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        scale = int(GetDpiForSystem());
    }
    // Apart, the page lies clear of the screen's top-left corner, which the
    // preview copies as its background.
    HWND page = apart ? CreateWindowExA(0, pageClass.lpszClassName, "Settings page", WS_POPUP | WS_VISIBLE,
                                        200 * scale / 96, 200 * scale / 96, 152 * scale / 96, 124 * scale / 96,
                                        nullptr, nullptr, instance, nullptr)
                      : CreateWindowExA(0, pageClass.lpszClassName, "Settings page", WS_POPUP | WS_VISIBLE, 100, 100,
                                        320, 240, nullptr, nullptr, instance, nullptr);
    UpdateWindow(page);
    const unsigned long number = static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(page));
    if (!apart) {
        char arguments[64];
        std::snprintf(arguments, sizeof arguments, "/p %lu", number);
        return ScreenSaverMain(instance, arguments);
    }

    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module, length);
    folder.erase(folder.find_last_of('\\') + 1);
    std::string preview = "\"" + folder + "RUXA.SCR\" /p " + std::to_string(number);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &preview[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process))
        return -2;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(code);
}
