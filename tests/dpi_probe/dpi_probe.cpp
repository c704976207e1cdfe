// Runs the mode named on its command line in this very process, as the
// module would, ends it after a moment, and reports what the mode did about
// DPI awareness.  The platform tells a process's awareness only to the
// process itself, hence this stand-in for the module.
//
// A command line that starts with "8.1 " runs the mode as on Windows 8.1 to
// 10 1511: without per-monitor awareness version 2 and without awareness per
// thread, while the first per-monitor form is taken (a stand-in that only
// says so).
//
// Exit code: 1000 + 100 * the form the host declared (HostState, 0 none to
// 3 per monitor version 2, 4 the parent window's) + 10 * the awareness the
// platform reported before the mode + the awareness it reports after (0
// unaware, 1 system, 2 per monitor).  Anything below 1000 means the mode did
// not come back.
#include <windows.h>

#include "host/win32/host.h"

static BOOL CALLBACK EndDialogOfThread(HWND window, LPARAM)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0) {
        EndDialog(window, IDCANCEL);
    }
    return TRUE;
}

static VOID CALLBACK EndMode(HWND, UINT, UINT_PTR, DWORD)
{
    if (HostState.SaverWindow) {
        PostMessageA(HostState.SaverWindow, WM_CLOSE, 0, 0);
    } else {
        EnumThreadWindows(GetCurrentThreadId(), EndDialogOfThread, 0);
    }
}

static int ReportedAwareness()
{
    return GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext());
}

static HRESULT WINAPI TakePerMonitorAwareness(int)
{
    return S_OK;
}

static FARPROC WINAPI LookUpAsWindows81(HMODULE library, LPCSTR name)
{
    if (lstrcmpA(name, "SetProcessDpiAwarenessContext") == 0 || lstrcmpA(name, "SetThreadDpiAwarenessContext") == 0 ||
        lstrcmpA(name, "GetWindowDpiAwarenessContext") == 0) {
        return nullptr;
    }
    if (lstrcmpA(name, "SetProcessDpiAwareness") == 0) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(TakePerMonitorAwareness));
    }
    return GetProcAddress(library, name);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int)
{
    if (arguments[0] == '8' && arguments[1] == '.' && arguments[2] == '1' && arguments[3] == ' ') {
        HostState.DpiEntryLookup = LookUpAsWindows81;
        arguments += 4;
    }
    const int before = ReportedAwareness();
    SetTimer(nullptr, 0, 500, EndMode);
    ScreenSaverMain(instance, arguments);
    return 1000 + 100 * HostState.DpiAwarenessDeclared + 10 * before + ReportedAwareness();
}
