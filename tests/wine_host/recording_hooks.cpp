// Doubles of the saver's hooks: ScreenSaverProc writes down every message it
// gets and hands it on to the host exactly as the real one does; the dialog
// hooks do nothing unless asked to fault.
#include "wine_host/recording_hooks.h"

#include "host/win32/saver_hooks.h"

RecordingRecord Recording;

extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Recording.Messages.push_back({message, wParam, lParam});
    if (message == WM_CREATE && Recording.StartsTimer) {
        SetTimer(window, ScreenSaverTimerId, ScreenSaverTimerPeriod, nullptr);
    }
    return ScreenSaverDefaultProc(window, message, wParam, lParam);
}

extern "C" BOOL WINAPI ScreenSaverConfigureDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Volatile so the compiler cannot see the null and replace the store by a trap.
static int* volatile NullTarget = nullptr;

extern "C" BOOL WINAPI ScreenSaverRegisterDialogClasses(HANDLE)
{
    ++Recording.RegisterCalls;
    if (Recording.RegisterFaults) {
        *NullTarget = 1;
    }
    return FALSE;
}
