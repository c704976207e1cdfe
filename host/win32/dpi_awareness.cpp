// True pixels on scaled displays.  A program that does not say it handles
// scaling gets a shrunken copy of the screen on a monitor set above 100%,
// stretched back up: the frozen desktop would turn blurry the moment the
// saver starts, and monitors with different scales would not line up; the
// configure dialog would be stretched as a bitmap, and blurred.  Each mode
// therefore declares the awareness that fits it, and scales its pictures
// itself; every form is looked up at run time, so the module still loads on
// systems that have none of them.
#include "host/win32/host.h"

typedef BOOL(WINAPI* SetProcessDpiAwarenessContextEntry)(DPI_AWARENESS_CONTEXT context);
typedef HRESULT(WINAPI* SetProcessDpiAwarenessEntry)(int awareness);
typedef BOOL(WINAPI* SetProcessDPIAwareEntry)();
typedef DPI_AWARENESS_CONTEXT(WINAPI* GetWindowDpiAwarenessContextEntry)(HWND window);
typedef DPI_AWARENESS_CONTEXT(WINAPI* SetThreadDpiAwarenessContextEntry)(DPI_AWARENESS_CONTEXT context);

// The shell's value for per-monitor awareness (PROCESS_PER_MONITOR_DPI_AWARE).
static const int ProcessPerMonitorDpiAware = 2;

static FARPROC LookUp(HMODULE library, const char* name)
{
    return HostState.DpiEntryLookup ? HostState.DpiEntryLookup(library, name) : GetProcAddress(library, name);
}

// The newest form the platform takes: per monitor version 2, then (where
// `perMonitorV1` allows it) per monitor, then system-aware.
static void DeclareProcessAwareness(bool perMonitorV1)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    if (!user) {
        return;
    }
    // Per monitor, version 2 (Windows 10 1703 and later): also scales the
    // non-client parts, and lays a dialog out anew at a monitor's new DPI.
    SetProcessDpiAwarenessContextEntry setContext =
        EntryCast<SetProcessDpiAwarenessContextEntry>(LookUp(user, "SetProcessDpiAwarenessContext"));
    if (setContext && setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
        HostState.DpiAwarenessDeclared = DpiDeclaredPerMonitorV2;
        return;
    }
    // Per monitor (Windows 8.1 and later), from the shell's scaling library.
    HMODULE shellScaling = perMonitorV1 ? ScreenSaverLoadSystemLibrary("SHCORE.DLL") : nullptr;
    if (shellScaling) {
        SetProcessDpiAwarenessEntry setAwareness =
            EntryCast<SetProcessDpiAwarenessEntry>(LookUp(shellScaling, "SetProcessDpiAwareness"));
        const bool declared = setAwareness && SUCCEEDED(setAwareness(ProcessPerMonitorDpiAware));
        FreeLibrary(shellScaling);
        if (declared) {
            HostState.DpiAwarenessDeclared = DpiDeclaredPerMonitor;
            return;
        }
    }
    // System-aware (Windows Vista and later).
    SetProcessDPIAwareEntry setAware = EntryCast<SetProcessDPIAwareEntry>(LookUp(user, "SetProcessDPIAware"));
    if (setAware && setAware()) {
        HostState.DpiAwarenessDeclared = DpiDeclaredSystem;
    }
}

void ScreenSaverDeclareDpiAwareness()
{
    DeclareProcessAwareness(true);
}

// The first form of per-monitor awareness leaves a dialog's controls and
// font at the scale it opened with when it moves to a monitor of another,
// while its pictures follow the new one: system awareness keeps the whole
// dialog at one scale (the platform stretches it there).
void ScreenSaverDeclareDialogDpiAwareness()
{
    DeclareProcessAwareness(false);
}

// The preview's window is a child of a window of another process (the
// display settings), and since Windows 10 1607 a child window takes its
// parent's awareness, whatever its process declared.  Measured and made in
// any other, the preview would cover a part of the page, or spill over it.
void ScreenSaverAdoptParentDpiAwareness(HWND parent)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    GetWindowDpiAwarenessContextEntry windowContext =
        user ? EntryCast<GetWindowDpiAwarenessContextEntry>(LookUp(user, "GetWindowDpiAwarenessContext")) : nullptr;
    SetThreadDpiAwarenessContextEntry setThreadContext =
        user ? EntryCast<SetThreadDpiAwarenessContextEntry>(LookUp(user, "SetThreadDpiAwarenessContext")) : nullptr;
    DPI_AWARENESS_CONTEXT parentContext = windowContext && setThreadContext ? windowContext(parent) : nullptr;
    if (parentContext && setThreadContext(parentContext)) {
        HostState.DpiAwarenessDeclared = DpiAdoptedFromParent;
        return;
    }
    DeclareProcessAwareness(true);
}
