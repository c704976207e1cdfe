#include "animation/win32/display_dpi.h"

#include "host/win32/host.h"

namespace {

typedef HMONITOR(WINAPI* MonitorFromPointEntry)(POINT point, DWORD flags);
typedef HRESULT(WINAPI* GetDpiForMonitorEntry)(HMONITOR monitor, int kind, UINT* dpiX, UINT* dpiY);
typedef UINT(WINAPI* GetDpiForWindowEntry)(HWND window);

// The shell's kind of DPI that the display settings' scale gives
// (MDT_EFFECTIVE_DPI).
const int EffectiveDpi = 0;

FARPROC UserEntry(const char* name)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    return user ? GetProcAddress(user, name) : nullptr;
}

std::int32_t SystemDpi()
{
    HDC screen = GetDC(nullptr);
    const std::int32_t dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

std::int32_t MonitorDpiAt(POINT point)
{
    UINT dpiX = 0, dpiY = 0;
    MonitorFromPointEntry monitorAt = EntryCast<MonitorFromPointEntry>(UserEntry("MonitorFromPoint"));
    HMODULE shellScaling = monitorAt ? ScreenSaverLoadSystemLibrary("SHCORE.DLL") : nullptr;
    if (shellScaling) {
        GetDpiForMonitorEntry monitorDpi =
            EntryCast<GetDpiForMonitorEntry>(GetProcAddress(shellScaling, "GetDpiForMonitor"));
        HMONITOR monitor = monitorAt(point, MONITOR_DEFAULTTONEAREST);
        if (!monitorDpi || !monitor || FAILED(monitorDpi(monitor, EffectiveDpi, &dpiX, &dpiY)))
            dpiX = 0;
        FreeLibrary(shellScaling);
    }
    return dpiX != 0 ? std::int32_t(dpiX) : SystemDpi();
}

std::int32_t WindowDpi(HWND window)
{
    GetDpiForWindowEntry windowDpi = EntryCast<GetDpiForWindowEntry>(UserEntry("GetDpiForWindow"));
    const UINT dpi = windowDpi ? windowDpi(window) : 0;
    return dpi != 0 ? std::int32_t(dpi) : SystemDpi();
}
