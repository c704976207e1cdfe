#include "bench/cpu_share.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/win32/host.h"

namespace {

long Ticks;  // timer ticks that reached the measured window

// The process's own processor time, user and kernel, in seconds.
double ProcessSeconds()
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::string ReadHostFile(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// The wineserver of this program's prefix, found in the host's /proc (Wine
// shows the host's root as Z:): a process named wineserver whose
// environment names the same WINEPREFIX.  Empty when there is none.
std::string FindWineServer()
{
    char prefix[MAX_PATH];
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix))
        return "";
    const std::string wanted = std::string("WINEPREFIX=") + prefix + '\0';
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    std::string found;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && found.empty(); more = FindNextFileA(search, &entry)) {
        if (entry.cFileName[0] < '1' || entry.cFileName[0] > '9')
            continue;
        const std::string folder = std::string("Z:\\proc\\") + entry.cFileName + "\\";
        if (ReadHostFile(folder + "comm").compare(0, 10, "wineserver") == 0 &&
            ReadHostFile(folder + "environ").find(wanted) != std::string::npos)
            found = folder;
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return found;
}

// A process's user and system time from /proc/N/stat (fields 14 and 15, in
// the kernel's clock ticks, 100 a second), in seconds; -1 when unreadable.
double HostProcessSeconds(const std::string& folder)
{
    const std::string stat = ReadHostFile(folder + "stat");
    const size_t end = stat.rfind(')');
    if (folder.empty() || end == std::string::npos)
        return -1;
    const char* field = stat.c_str() + end + 2;  // field 3, the state
    for (int i = 3; i < 14 && field; ++i) {
        field = std::strchr(field, ' ');
        field = field ? field + 1 : nullptr;
    }
    if (!field)
        return -1;
    char* rest;
    const double user = std::strtod(field, &rest);
    return (user + std::strtod(rest, nullptr)) / 100.0;
}

// Dispatches this thread's messages for the given time, sleeping between
// them as a message loop does.
void RunFor(int seconds)
{
    const DWORD start = GetTickCount(), length = DWORD(seconds) * 1000;
    for (DWORD now = start; now - start < length; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, length - (now - start), QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void Measure(const char* what, int seconds, const std::string& server)
{
    const double process = ProcessSeconds(), serverBefore = HostProcessSeconds(server);
    Ticks = 0;
    RunFor(seconds);
    const double share = (ProcessSeconds() - process) * 100.0 / seconds;
    const double serverAfter = HostProcessSeconds(server);
    std::printf("wine    CPU over %d s, %-34s process %5.2f %%", seconds, what, share);
    if (serverBefore >= 0 && serverAfter >= 0)
        std::printf("   wineserver %5.2f %%", (serverAfter - serverBefore) * 100.0 / seconds);
    std::printf("   (%ld ticks)\n", Ticks);
    std::fflush(stdout);
}

LRESULT CALLBACK CountingSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER)
        ++Ticks;
    return ScreenSaverWindowProc(window, message, wParam, lParam);
}

// The minimal program: a 64 x 64 box out of a memory bitmap, copied to a
// moving place in its window on every tick of a 1 ms timer.
HDC BoxContext;
LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_TIMER)
        return DefWindowProcA(window, message, wParam, lParam);
    ++Ticks;
    HDC context = GetDC(window);
    BitBlt(context, (Ticks * 5) % 960, 100, 64, 64, BoxContext, 0, 0, SRCCOPY);
    ReleaseDC(window, context);
    return 0;
}

HWND MakeWindow(const char* name, WNDPROC procedure)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOPMOST, name, name, WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                           GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, windowClass.hInstance, nullptr);
}

}  // namespace

int MeasureCpuShares(int seconds)
{
    const std::string server = FindWineServer();
    std::printf("wine    wineserver of this prefix: %s\n", server.empty() ? "not found" : server.c_str());

    // The saver as the host runs it full screen, with the platform's
    // notices; a display-off notice holds it.
    HostState.Instance = GetModuleHandleA(nullptr);
    HostState.PreviewMode = 0;
    HostState.SystemVersion = 0x0602;  // watches its session's displays, as on Windows 8 and later
    HWND saver = MakeWindow("RuxaBenchSaver", CountingSaverProc);
    SetForegroundWindow(saver);
    RunFor(1);
    Measure("saver running", seconds, server);
    union {
        POWERBROADCAST_SETTING Setting;
        BYTE Room[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)];
    } notice = {};
    // GUID_SESSION_DISPLAY_STATUS
    notice.Setting.PowerSetting = {0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
    notice.Setting.DataLength = sizeof(DWORD);  // Data 0: every display off
    SendMessageA(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&notice));
    const bool held = ScreenSaverDriveHeld();
    if (!held)
        std::printf("wine    the saver did not hold: the platform took no display notices\n");
    Measure("saver held (every display off)", seconds, server);
    DestroyWindow(saver);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }

    HDC screen = GetDC(nullptr);
    BoxContext = CreateCompatibleDC(screen);
    HBITMAP box = CreateCompatibleBitmap(screen, 64, 64);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(BoxContext, box);
    PatBlt(BoxContext, 0, 0, 64, 64, WHITENESS);
    HWND minimal = MakeWindow("RuxaBenchBox", BoxProc);
    SetTimer(minimal, 1, 1, nullptr);
    RunFor(1);
    Measure("one 64 x 64 box per tick", seconds, server);
    DestroyWindow(minimal);
    SelectObject(BoxContext, previous);
    DeleteObject(box);
    DeleteDC(BoxContext);
    return held ? 0 : 1;
}
