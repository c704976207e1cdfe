// Stands in for the display settings page: a window with a known picture,
// and the module's preview mode running inside it in this same process (a
// child window drawn by one process inside another's never shows under
// Wine).  Exits with the preview mode's exit code once the page is closed.
//
// Its command line: an optional seed for the vehicles' generator, so that
// a test knows the path they drive, then optionally /s, which runs the
// full-screen saver instead of a page with its preview.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    HWND page = CreateWindowExA(0, pageClass.lpszClassName, "Settings page", WS_POPUP | WS_VISIBLE,
                                100, 100, 320, 240, nullptr, nullptr, instance, nullptr);
    UpdateWindow(page);
    char arguments[64];
    std::snprintf(arguments, sizeof arguments, "/p %lu", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(page)));
    return ScreenSaverMain(instance, arguments);
}
