// True pixels on scaled displays.  A program that does not say it handles
// scaling gets a shrunken copy of the screen on a monitor set above 100%,
// stretched back up: the frozen desktop would turn blurry the moment the
// saver starts, and monitors with different scales would not line up; the
// configure dialog would be stretched as a bitmap, and blurred.  The saver
// modes and the dialog therefore declare awareness in the newest form the
// platform offers, and scale their pictures themselves; every form is
// looked up at run time, so the module still loads on systems that have
// none of them.
#include "host/win32/host.h"

typedef BOOL(WINAPI* SetProcessDpiAwarenessContextEntry)(DPI_AWARENESS_CONTEXT context);
typedef HRESULT(WINAPI* SetProcessDpiAwarenessEntry)(int awareness);
typedef BOOL(WINAPI* SetProcessDPIAwareEntry)();

// The shell's value for per-monitor awareness (PROCESS_PER_MONITOR_DPI_AWARE).
static const int ProcessPerMonitorDpiAware = 2;

void ScreenSaverDeclareDpiAwareness()
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    if (!user) {
        return;
    }
    // Per monitor, version 2 (Windows 10 1703 and later): also scales the
    // non-client parts, of which the saver has none.
    SetProcessDpiAwarenessContextEntry setContext = EntryCast<SetProcessDpiAwarenessContextEntry>(
        GetProcAddress(user, "SetProcessDpiAwarenessContext"));
    if (setContext && setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
        HostState.DpiAwarenessDeclared = DpiDeclaredPerMonitorV2;
        return;
    }
    // Per monitor (Windows 8.1 and later), from the shell's scaling library.
    HMODULE shellScaling = ScreenSaverLoadSystemLibrary("SHCORE.DLL");
    if (shellScaling) {
        SetProcessDpiAwarenessEntry setAwareness =
            EntryCast<SetProcessDpiAwarenessEntry>(GetProcAddress(shellScaling, "SetProcessDpiAwareness"));
        const bool declared = setAwareness && SUCCEEDED(setAwareness(ProcessPerMonitorDpiAware));
        FreeLibrary(shellScaling);
        if (declared) {
            HostState.DpiAwarenessDeclared = DpiDeclaredPerMonitor;
            return;
        }
    }
    // System-aware (Windows Vista and later).
    SetProcessDPIAwareEntry setAware = EntryCast<SetProcessDPIAwareEntry>(GetProcAddress(user, "SetProcessDPIAware"));
    if (setAware && setAware()) {
        HostState.DpiAwarenessDeclared = DpiDeclaredSystem;
    }
}
