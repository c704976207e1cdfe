// Input watch, the password gate, the verifier library, the saver-running
// notice and the change-password request.
#include "host/win32/host.h"
#include "host/win32/saver_hooks.h"
#include "host/close_gate.h"

typedef DWORD (WINAPI *PwdChangePasswordEntry)(LPCSTR name, HWND owner, DWORD reserved1, DWORD reserved2);

static void PostCloseRequest(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

LRESULT WINAPI ScreenSaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HostState.PreviewMode || HostState.Closing) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_CLOSE) {
        if (HostState.PasswordPlatform && !ScreenSaverVerifyPassword(window)) {
            GetCursorPos(&HostState.SavedCursorPos);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == ScreenSaverVerifyMessage) {
        if (HostState.PasswordPlatform) {
            return HostState.VerifierEntry ? HostState.VerifierEntry(window) : 1;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (HostState.Verifying) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam) {
            SetCursor(nullptr);
        }
        break;
    case WM_ACTIVATEAPP:
        if (!wParam) {
            PostCloseRequest(window);
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        PostCloseRequest(window);
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return 1;
    case WM_MOUSEMOVE: {
        POINT now;
        if (GetCursorPos(&now) && CursorMovedFar(HostState.SavedCursorPos.x, HostState.SavedCursorPos.y, now.x, now.y)) {
            PostCloseRequest(window);
            HostState.SavedCursorPos = now;
        }
        break;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL ScreenSaverVerifyPassword(HWND window)
{
    if (HostState.Verifying) {
        return FALSE;
    }
    if (!HostState.VerifierEntry) {
        HostState.Closing = 1;
        return TRUE;
    }
    if (VerifyTooSoon(HostState.LastVerifyTick, GetTickCount())) {
        return FALSE;
    }
    HostState.Verifying = 1;
    MSG pending;
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    HostState.Closing = SendMessageA(window, ScreenSaverVerifyMessage, 0, 0) != 0;
    HostState.Verifying = 0;
    if (!HostState.Closing) {
        SetCursor(nullptr);
    }
    HostState.LastVerifyTick = GetTickCount();
    return HostState.Closing;
}

void SetSaverRunning(BOOL running)
{
    if (HostState.PasswordPlatform) {
        UINT previous = 0;
        SystemParametersInfoA(SPI_SCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
    }
}

void ScreenSaverLoadPasswordVerifier()
{
    if (!HostState.PasswordPlatform) {
        return;
    }
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS) {
        return;
    }
    // A shorter value fills the low bytes of the zeroed number.
    DWORD usePassword = 0;
    DWORD size = sizeof usePassword;
    if (RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE*>(&usePassword),
                         &size) == ERROR_SUCCESS && usePassword != 0) {
        HostState.VerifierLibrary = ScreenSaverLoadSystemLibrary("PASSWORD.CPL");
        if (HostState.VerifierLibrary) {
            HostState.VerifierEntry = EntryCast<VerifyScreenSavePwdEntry>(
                GetProcAddress(HostState.VerifierLibrary, "VerifyScreenSavePwd"));
            if (HostState.VerifierEntry) {
                SetSaverRunning(TRUE);
            } else {
                ScreenSaverUnloadPasswordVerifier();
            }
        }
    }
    RegCloseKey(key);
}

void ScreenSaverUnloadPasswordVerifier()
{
    if (!HostState.PasswordPlatform || !HostState.VerifierLibrary) {
        return;
    }
    FreeLibrary(HostState.VerifierLibrary);
    HostState.VerifierLibrary = nullptr;
    if (HostState.VerifierEntry) {
        HostState.VerifierEntry = nullptr;
        SetSaverRunning(FALSE);
    }
}

void ScreenSaverChangePassword(HWND owner)
{
    HMODULE library = ScreenSaverLoadSystemLibrary("MPR.DLL");
    if (!library) {
        return;
    }
    PwdChangePasswordEntry change =
        EntryCast<PwdChangePasswordEntry>(GetProcAddress(library, "PwdChangePasswordA"));
    if (change) {
        change("SCRSAVE", owner, 0, 0);
    }
    FreeLibrary(library);
}
