// HostState: the host's process-wide record.  Every field starts at its
// initial value and is never reset: the process ends with its one mode.
#ifndef RUXA_HOST_HOST_STATE_H
#define RUXA_HOST_HOST_STATE_H

#include <windows.h>
#include <imm.h>

#include "host/close_gate.h"

typedef BOOL (WINAPI *VerifyScreenSavePwdEntry)(HWND window);
typedef HIMC (WINAPI *ImmAssociateContextEntry)(HWND window, HIMC context);

// The form of DPI awareness that the platform accepted from the saver modes,
// newest last; none in the configure mode, or where the platform took none.
enum DpiDeclaration : LONG {
    DpiDeclaredNone,
    DpiDeclaredSystem,
    DpiDeclaredPerMonitor,
    DpiDeclaredPerMonitorV2,
};

struct HostRecord {
    HINSTANCE Instance = nullptr;
    LONG PasswordPlatform = 0;
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
};

extern HostRecord HostState;

#endif
