// Nobody watches a saver whose displays are off or whose session has left
// its screen, often for a whole night: the full-screen saver then holds its
// drive timer, so the process sleeps instead of drawing to dark screens.
// The frozen picture, the tracks and the vehicle stay as they were, and the
// drive goes on from there when someone can see it again.  Input still ends
// the saver at any time: the input watch does not look at the hold.
//
// Both notifications are newer than the oldest systems the module runs on
// (power settings from Vista, session changes from XP), so their entries
// are looked up at run time; where one is missing its reason never holds.
#include "host/win32/host.h"
#include "host/win32/saver_hooks.h"

#include <wtsapi32.h>

namespace {

// The entries' own declarations give their types; naming them in decltype
// imports nothing.
typedef decltype(&RegisterPowerSettingNotification) RegisterPowerSettingNotificationEntry;
typedef decltype(&WTSRegisterSessionNotification) WTSRegisterSessionNotificationEntry;
typedef decltype(&WTSQuerySessionInformationA) WTSQuerySessionInformationAEntry;
typedef decltype(&WTSFreeMemory) WTSFreeMemoryEntry;

// The power settings that report the displays (their header declarations
// need a library to define them).  Windows 8 and later report the display
// state of each session: a remote session has displays of its own, and
// the console's would hold a saver that its remote user is watching.
// Vista and 7 report only the monitors' power.  Both send 0 when every
// display is off, 1 when one is on, and (from Windows 8) 2 when dimmed.
const GUID SessionDisplayStatus = {0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
const GUID MonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
const DWORD DisplaysOffState = 0;

// The setting to watch on the platform's version (major in the high byte);
// null before Vista, which has no power settings.
const GUID* DisplaySettingFor(WORD version)
{
    if (version >= 0x0602)
        return &SessionDisplayStatus;
    if (version >= 0x0600)
        return &MonitorPowerOn;
    return nullptr;
}

FARPROC LookUp(HMODULE library, const char* name)
{
    return HostState.WatchEntryLookup ? HostState.WatchEntryLookup(library, name) : GetProcAddress(library, name);
}

// Sets one reason; the timer stops when the first reason starts to hold and
// starts again when the last one ends.  A closing saver is not restarted.
void SetHoldReason(HWND window, LONG& reason, LONG holds)
{
    const bool wasHeld = ScreenSaverDriveHeld();
    reason = holds;
    const bool held = ScreenSaverDriveHeld();
    if (held && !wasHeld) {
        KillTimer(window, ScreenSaverTimerId);
    } else if (!held && wasHeld && !HostState.Closing) {
        SetTimer(window, ScreenSaverTimerId, ScreenSaverTimerPeriod, nullptr);
    }
}

void WatchDisplays(HWND window)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    if (!user) {
        return;
    }
    RegisterPowerSettingNotificationEntry registerEntry =
        EntryCast<RegisterPowerSettingNotificationEntry>(LookUp(user, "RegisterPowerSettingNotification"));
    UnregisterPowerSettingNotificationEntry unregisterEntry =
        EntryCast<UnregisterPowerSettingNotificationEntry>(LookUp(user, "UnregisterPowerSettingNotification"));
    const GUID* setting = DisplaySettingFor(HostState.SystemVersion);
    if (!registerEntry || !unregisterEntry || !setting) {
        return;
    }
    // The platform answers a registration with the current state at once,
    // perhaps before the call returns: the watch counts from here on.
    HostState.DisplayUnregisterEntry = unregisterEntry;
    HostState.DisplayRegistration = registerEntry(window, setting, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!HostState.DisplayRegistration) {
        HostState.DisplayUnregisterEntry = nullptr;
        SetHoldReason(window, HostState.DisplaysOff, 0);
    }
}

void WatchSession(HWND window)
{
    HostState.SessionLibrary = ScreenSaverLoadSystemLibrary("WTSAPI32.DLL");
    if (!HostState.SessionLibrary) {
        return;
    }
    WTSRegisterSessionNotificationEntry registerEntry =
        EntryCast<WTSRegisterSessionNotificationEntry>(LookUp(HostState.SessionLibrary, "WTSRegisterSessionNotification"));
    WTSUnRegisterSessionNotificationEntry unregisterEntry = EntryCast<WTSUnRegisterSessionNotificationEntry>(
        LookUp(HostState.SessionLibrary, "WTSUnRegisterSessionNotification"));
    HostState.SessionUnregisterEntry = unregisterEntry;
    if (!registerEntry || !unregisterEntry || !registerEntry(window, NOTIFY_FOR_THIS_SESSION)) {
        HostState.SessionUnregisterEntry = nullptr;
        FreeLibrary(HostState.SessionLibrary);
        HostState.SessionLibrary = nullptr;
        return;
    }
    // A saver that starts in a session already disconnected hears of it
    // only when it connects again.
    WTSQuerySessionInformationAEntry queryEntry =
        EntryCast<WTSQuerySessionInformationAEntry>(LookUp(HostState.SessionLibrary, "WTSQuerySessionInformationA"));
    WTSFreeMemoryEntry freeEntry = EntryCast<WTSFreeMemoryEntry>(LookUp(HostState.SessionLibrary, "WTSFreeMemory"));
    LPSTR state = nullptr;
    DWORD bytes = 0;
    if (queryEntry && freeEntry && queryEntry(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState, &state, &bytes)) {
        if (state && bytes >= sizeof(int) && *reinterpret_cast<const int*>(state) == WTSDisconnected) {
            SetHoldReason(window, HostState.SessionAway, 1);
        }
        freeEntry(state);
    }
}

}  // namespace

void ScreenSaverWatchDisplay(HWND window)
{
    WatchDisplays(window);
    WatchSession(window);
}

void ScreenSaverUnwatchDisplay(HWND window)
{
    if (HostState.DisplayUnregisterEntry) {
        HostState.DisplayUnregisterEntry(HostState.DisplayRegistration);
        HostState.DisplayUnregisterEntry = nullptr;
        HostState.DisplayRegistration = nullptr;
    }
    if (HostState.SessionUnregisterEntry) {
        HostState.SessionUnregisterEntry(window);
        HostState.SessionUnregisterEntry = nullptr;
    }
    if (HostState.SessionLibrary) {
        FreeLibrary(HostState.SessionLibrary);
        HostState.SessionLibrary = nullptr;
    }
    HostState.DisplaysOff = 0;
    HostState.SessionAway = 0;
}

void ScreenSaverDisplayNotice(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_POWERBROADCAST && wParam == PBT_POWERSETTINGCHANGE && HostState.DisplayUnregisterEntry && lParam) {
        const POWERBROADCAST_SETTING* notice = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        const GUID* watched = DisplaySettingFor(HostState.SystemVersion);
        if (watched && InlineIsEqualGUID(notice->PowerSetting, *watched) && notice->DataLength >= sizeof(DWORD)) {
            DWORD state;
            CopyMemory(&state, notice->Data, sizeof state);
            // Dimmed is still seen.
            SetHoldReason(window, HostState.DisplaysOff, state == DisplaysOffState);
        }
    } else if (message == WM_WTSSESSION_CHANGE && HostState.SessionUnregisterEntry) {
        // Only leaving the screen holds: the session's console taken by
        // another session (a user switch, or the session moved to a remote
        // client), or its remote client gone.  Connecting to either ends
        // the hold; a move between them disconnects one and connects the
        // other.  A lock does not hold: the platform locks the session a
        // few seconds into a password-protected saver while the saver
        // still shows, and the locked screen only ends by input, which
        // ends the saver too.
        if (wParam == WTS_CONSOLE_DISCONNECT || wParam == WTS_REMOTE_DISCONNECT) {
            SetHoldReason(window, HostState.SessionAway, 1);
        } else if (wParam == WTS_CONSOLE_CONNECT || wParam == WTS_REMOTE_CONNECT) {
            SetHoldReason(window, HostState.SessionAway, 0);
        }
    }
}
