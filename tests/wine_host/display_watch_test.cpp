// The full-screen saver's watch on the displays and the session, with the
// platform's entries replaced by stand-ins that record what they are given.
#include <initguid.h>  // the power settings' values, from the platform's header
#include <windows.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <cstring>

#include "host/win32/host.h"
#include "host/win32/saver_hooks.h"
#include "wine/support.h"
#include "wine_host/recording_hooks.h"

namespace {

struct {
    bool Missing;
    int ConnectState, PowerCalls, SessionCalls;
    HANDLE PowerRecipient, Unregistered;
    GUID Setting;
    HWND SessionWindow;
} Fake;
HANDLE const FakeRegistration = reinterpret_cast<HANDLE>(0x1234);

HANDLE WINAPI FakeRegisterPower(HANDLE recipient, const GUID* setting, DWORD flags)
{
    Fake.PowerCalls += flags == DEVICE_NOTIFY_WINDOW_HANDLE ? 1 : 100;
    Fake.PowerRecipient = recipient;
    Fake.Setting = *setting;
    return FakeRegistration;
}
BOOL WINAPI FakeUnregisterPower(HANDLE registration) { return Fake.Unregistered = registration, ++Fake.PowerCalls; }
BOOL WINAPI FakeRegisterSession(HWND window, DWORD flags)
{
    Fake.SessionCalls += flags == NOTIFY_FOR_THIS_SESSION ? 1 : 100;
    return Fake.SessionWindow = window, TRUE;
}
BOOL WINAPI FakeUnregisterSession(HWND window) { return Fake.SessionWindow == window && ++Fake.SessionCalls; }
BOOL WINAPI FakeQuery(HANDLE, DWORD session, WTS_INFO_CLASS what, LPSTR* buffer, DWORD* bytes)
{
    *buffer = reinterpret_cast<LPSTR>(&Fake.ConnectState);
    *bytes = sizeof Fake.ConnectState;
    return session == WTS_CURRENT_SESSION && what == WTSConnectState;
}
void WINAPI FakeFree(void*) {}

FARPROC WINAPI FakeLookUp(HMODULE, LPCSTR name)
{
    const struct { const char* Name; void* Entry; } entries[] = {
        {"RegisterPowerSettingNotification", (void*)FakeRegisterPower},
        {"UnregisterPowerSettingNotification", (void*)FakeUnregisterPower},
        {"WTSRegisterSessionNotification", (void*)FakeRegisterSession},
        {"WTSUnRegisterSessionNotification", (void*)FakeUnregisterSession},
        {"WTSQuerySessionInformationA", (void*)FakeQuery}, {"WTSFreeMemory", (void*)FakeFree}};
    for (const auto& entry : entries)
        if (!Fake.Missing && std::strcmp(name, entry.Name) == 0)
            return reinterpret_cast<FARPROC>(entry.Entry);
    return nullptr;
}

// A saver window on the stand-ins, with the timer that the saver starts.
HWND MakeSaver(bool missing, int connectState, LONG preview = 0)
{
    Fake = {missing, connectState, 0, 0, nullptr, nullptr, {}, nullptr};
    HostState.WatchEntryLookup = FakeLookUp;
    HostState.PreviewMode = preview;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ScreenSaverWindowProc;
    windowClass.lpszClassName = "RuxaWatchTest";
    RegisterClassA(&windowClass);
    Recording.StartsTimer = true;
    HWND window = CreateWindowExA(0, "RuxaWatchTest", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    Recording.StartsTimer = false;
    return window;
}

// Whether the saver's timer runs; a tick sent meanwhile reaches the saver
// exactly when it does.
bool Ticks(HWND window)
{
    Recording.Messages.clear();
    SendMessageA(window, WM_TIMER, ScreenSaverTimerId, 0);
    const bool reached = !Recording.Messages.empty();
    MSG tick;
    bool timer = false;
    for (int i = 0; i < 30 && !timer; ++i, Sleep(10))
        timer = PeekMessageA(&tick, window, WM_TIMER, WM_TIMER, PM_REMOVE);
    EXPECT_EQ(reached, timer);
    return timer;
}

// Drains the quit messages that the saver windows' ends posted.
void DropQuitMessages()
{
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

TEST(HostDisplayWatch, NoticesHoldTheTimerWhileNobodyCanSeeTheSaver)
{
    const HostRecord saved = HostState;
    HostState.SystemVersion = 0x0602;
    // Started in a disconnected session: held from the start.
    HWND window = MakeSaver(false, WTSDisconnected);
    EXPECT_EQ(2, Fake.PowerCalls + Fake.SessionCalls);
    EXPECT_EQ(window, Fake.PowerRecipient);
    EXPECT_EQ(window, Fake.SessionWindow);
    EXPECT_FALSE(Ticks(window));
    const struct { UINT Message; WPARAM Code; bool Ticks; } steps[] = {
        {WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, true}, {WM_POWERBROADCAST, 0, false},
        {WM_POWERBROADCAST, 2, true}, {WM_POWERBROADCAST, 1, true},  // dimmed and on are seen
        {WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT, false}, {WM_POWERBROADCAST, 0, false},
        {WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT, false},  // both held: the display is still off
        {WM_POWERBROADCAST, 1, true}, {WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, true},
        {WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, false}, {WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << std::hex << step.Message << " " << step.Code);
        if (step.Message == WM_POWERBROADCAST)
            SendDisplayState(window, DWORD(step.Code), GUID_SESSION_DISPLAY_STATUS);
        else
            SendMessageA(window, WM_WTSSESSION_CHANGE, step.Code, 1);
        EXPECT_EQ(step.Ticks, Ticks(window));
    }
    // Input still closes the held saver, and its end gives everything back.
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    MSG close;
    EXPECT_TRUE(PeekMessageA(&close, window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    DestroyWindow(window);
    EXPECT_EQ(4, Fake.PowerCalls + Fake.SessionCalls);
    EXPECT_EQ(FakeRegistration, Fake.Unregistered);
    EXPECT_TRUE(!HostState.SessionLibrary && !ScreenSaverDriveHeld());

    // Without the entries, or in the preview, notices change nothing.
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant ? "preview" : "entries missing");
        window = MakeSaver(variant == 0, WTSDisconnected, variant);
        EXPECT_EQ(0, Fake.PowerCalls + Fake.SessionCalls);
        EXPECT_TRUE(!HostState.SessionLibrary && !HostState.DisplayUnregisterEntry);
        SendDisplayState(window, 0, GUID_SESSION_DISPLAY_STATUS);
        SendMessageA(window, WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, 1);
        EXPECT_TRUE(Ticks(window));
        DestroyWindow(window);
    }
    DropQuitMessages();
    HostState = saved;
}

// Windows 8 and later report each session's own displays, Vista and 7 only
// the monitors' power, and earlier systems neither: the watch registers the
// setting that the platform's version has, and only its notices hold.
TEST(HostDisplayWatch, WatchesTheDisplaySettingOfThePlatformsVersion)
{
    const HostRecord saved = HostState;
    const GUID* settings[] = {&GUID_SESSION_DISPLAY_STATUS, &GUID_MONITOR_POWER_ON, &GUID_CONSOLE_DISPLAY_STATE};
    const struct { WORD Version; const GUID* Setting; } versions[] = {
        {0x0A00, settings[0]}, {0x0602, settings[0]}, {0x0601, settings[1]}, {0x0600, settings[1]}, {0x0502, nullptr}};
    for (const auto& version : versions) {
        SCOPED_TRACE(testing::Message() << "version " << std::hex << version.Version);
        HostState.SystemVersion = version.Version;
        HWND window = MakeSaver(false, WTSActive);
        EXPECT_EQ(version.Setting ? 1 : 0, Fake.PowerCalls);
        EXPECT_TRUE(!version.Setting || IsEqualGUID(*version.Setting, Fake.Setting));
        EXPECT_TRUE(Ticks(window));
        for (const GUID* setting : settings) {
            SendDisplayState(window, 0, *setting);
            EXPECT_EQ(setting != version.Setting, Ticks(window));
            SendDisplayState(window, 1, *setting);
            EXPECT_TRUE(Ticks(window));
        }
        DestroyWindow(window);
    }
    DropQuitMessages();
    HostState = saved;
}

}  // namespace
