// Placeholder saver procedure until the drive animation lands.
#include "host/win32/saver_hooks.h"

extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ScreenSaverDefaultProc(window, message, wParam, lParam);
}
