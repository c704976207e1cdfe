// Placeholder host until the real one lands: runs nothing.
#include "host/win32/host_state.h"
#include "host/win32/saver_hooks.h"

HostRecord HostState;

void ScreenSaverEntry()
{
    HostState.Instance = GetModuleHandleA(nullptr);
    ExitProcess(0);
}

LRESULT WINAPI ScreenSaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}
