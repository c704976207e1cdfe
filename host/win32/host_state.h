// HostState: the host's process-wide record.  Every field starts at its
// initial value and is never reset: the process ends with its one mode.
#ifndef RUXA_HOST_HOST_STATE_H
#define RUXA_HOST_HOST_STATE_H

#include <windows.h>
#include <imm.h>

#include "host/close_gate.h"

typedef BOOL (WINAPI *VerifyScreenSavePwdEntry)(HWND window);
typedef HIMC (WINAPI *ImmAssociateContextEntry)(HWND window, HIMC context);
typedef FARPROC (WINAPI *EntryLookup)(HMODULE library, LPCSTR name);
typedef BOOL (WINAPI *UnregisterPowerSettingNotificationEntry)(HANDLE registration);
typedef BOOL (WINAPI *WTSUnRegisterSessionNotificationEntry)(HWND window);

// The form of DPI awareness that the platform accepted from the mode, the
// process-wide ones newest last; none where the platform took none.  The
// preview's thread may instead have taken its parent window's awareness.
enum DpiDeclaration : LONG {
    DpiDeclaredNone,
    DpiDeclaredSystem,
    DpiDeclaredPerMonitor,
    DpiDeclaredPerMonitorV2,
    DpiAdoptedFromParent,
};

struct HostRecord {
    HINSTANCE Instance = nullptr;
    LONG PasswordPlatform = 0;
    // The platform's version, major in the high byte (0x0601: Windows 7).
    WORD SystemVersion = 0;
    HWND SaverWindow = nullptr;
    LONG PreviewMode = 0;
    LONG Verifying = 0;
    LONG Closing = 0;
    HMODULE VerifierLibrary = nullptr;
    VerifyScreenSavePwdEntry VerifierEntry = nullptr;
    DWORD LastVerifyTick = NoVerifyYet;
    POINT SavedCursorPos = {0, 0};
    HMODULE ImeLibrary = nullptr;
    ImmAssociateContextEntry ImeAssociateEntry = nullptr;
    HIMC SavedImeContext = nullptr;
    LONG DpiAwarenessDeclared = DpiDeclaredNone;
    // The full-screen saver's watch on the displays and the session: the
    // entries that end each registration (null: not registered), the
    // session library, and the two reasons to hold the drive.
    HANDLE DisplayRegistration = nullptr;
    UnregisterPowerSettingNotificationEntry DisplayUnregisterEntry = nullptr;
    HMODULE SessionLibrary = nullptr;
    WTSUnRegisterSessionNotificationEntry SessionUnregisterEntry = nullptr;
    LONG DisplaysOff = 0;
    LONG SessionAway = 0;
    // How the watch finds the platform's newer entries; null means
    // GetProcAddress.  Tests put stand-ins here.
    EntryLookup WatchEntryLookup = nullptr;
    // The same for the entries that declare DPI awareness.
    EntryLookup DpiEntryLookup = nullptr;
};

extern HostRecord HostState;

#endif
