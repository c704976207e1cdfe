// The saver window: class, creation by mode, message loop and the class's
// window procedure in front of ScreenSaverProc.
#include "host/win32/host.h"
#include "host/win32/saver_hooks.h"
#include "resources/resource_ids.h"

static const char SaverClassName[] = "WindowsScreenSaverClass";
static const char FullScreenName[] = "Screen Saver";
static const char PreviewName[] = "Preview";

static void DetachInputMethod(HWND window)
{
    HostState.ImeLibrary = GetModuleHandleA("IMM32.DLL");
    if (!HostState.ImeLibrary) {
        return;
    }
    HostState.ImeAssociateEntry =
        EntryCast<ImmAssociateContextEntry>(GetProcAddress(HostState.ImeLibrary, "ImmAssociateContext"));
    if (HostState.ImeAssociateEntry) {
        HostState.SavedImeContext = HostState.ImeAssociateEntry(window, nullptr);
    }
}

static void RestoreInputMethod(HWND window)
{
    if (HostState.ImeLibrary && HostState.ImeAssociateEntry && HostState.SavedImeContext) {
        HostState.ImeAssociateEntry(window, HostState.SavedImeContext);
    }
}

int ScreenSaverRunWindow(HWND parent)
{
    if (parent) {
        ScreenSaverAdoptParentDpiAwareness(parent);
    } else {
        ScreenSaverDeclareDpiAwareness();
    }

    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = ScreenSaverWindowProc;
    windowClass.hInstance = HostState.Instance;
    windowClass.hIcon = LoadIconA(HostState.Instance, MAKEINTRESOURCEA(IDI_SAVER));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = SaverClassName;

    const char* name;
    DWORD exStyle, style;
    int left = 0, top = 0, width, height;
    if (parent) {
        RECT client = {};
        GetClientRect(parent, &client);
        HostState.PreviewMode = 1;
        name = PreviewName;
        exStyle = 0;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        width = client.right;
        height = client.bottom;
    } else {
        // The virtual screen spans every monitor; its origin lies left of
        // or above the primary monitor's when a monitor sits there.  Where
        // the platform knows no virtual screen its size reads 0: the
        // primary screen then.
        left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        if (width == 0 || height == 0) {
            left = top = 0;
            width = GetSystemMetrics(SM_CXSCREEN);
            height = GetSystemMetrics(SM_CYSCREEN);
        }
        HWND running = FindWindowA(SaverClassName, FullScreenName);
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        ScreenSaverLoadPasswordVerifier();
        name = FullScreenName;
        exStyle = WS_EX_TOPMOST;
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    }

    int result = ExitWindowFailed;
    if (RegisterClassA(&windowClass)) {
        HostState.SaverWindow = CreateWindowExA(exStyle, SaverClassName, name, style, left, top, width, height,
                                                parent, nullptr, HostState.Instance, nullptr);
    }
    if (HostState.SaverWindow) {
        if (!parent) {
            SetForegroundWindow(HostState.SaverWindow);
        }
        MSG message = {};
        BOOL got;
        while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // The quit message carries the exit code; a failed GetMessageA leaves
        // in `message` whatever the last message had, so it ends as a failure.
        result = got == 0 ? static_cast<int>(message.wParam) : ExitWindowFailed;
    }
    ScreenSaverUnloadPasswordVerifier();
    return result;
}

LRESULT WINAPI ScreenSaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DetachInputMethod(window);
        GetCursorPos(&HostState.SavedCursorPos);
        if (!HostState.PreviewMode) {
            SetCursor(nullptr);
            // Only once the saver's timer runs can a notice hold it.
            const LRESULT created = ScreenSaverProc(window, message, wParam, lParam);
            ScreenSaverWatchDisplay(window);
            return created;
        }
        break;
    case WM_DESTROY:
        ScreenSaverUnwatchDisplay(window);
        RestoreInputMethod(window);
        PostQuitMessage(0);
        break;
    case WM_POWERBROADCAST:
    case WM_WTSSESSION_CHANGE:
        ScreenSaverDisplayNotice(window, message, wParam, lParam);
        break;
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (HostState.Closing) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        if (!HostState.PreviewMode) {
            SetCursor(nullptr);
        }
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (HostState.PreviewMode) {
            HWND parent = GetParent(window);
            if (parent && IsWindow(parent)) {
                PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
            }
            return 1;
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (HostState.Closing) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        break;
    case WM_SYSCOMMAND:
        // The whole wParam is compared: the low four bits are not masked.
        if (!HostState.PreviewMode && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE)) {
            return 0;
        }
        break;
    case WM_TIMER:
        // A tick already queued when the timer was held is dropped too.
        if (HostState.Closing || ScreenSaverDriveHeld()) {
            return 0;
        }
        Sleep(0);
        break;
    }
    return ScreenSaverProc(window, message, wParam, lParam);
}
