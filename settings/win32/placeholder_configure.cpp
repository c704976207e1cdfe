// Placeholder configure dialog until the real one lands.
#include "host/win32/saver_hooks.h"

extern "C" BOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 0);
        }
        return TRUE;
    }
    return FALSE;
}

extern "C" BOOL WINAPI ScreenSaverRegisterDialogClasses(HANDLE)
{
    return TRUE;
}
