// The host's functions: start-up and mode dispatch, the saver window and
// its message loop, the input watch and the password services.
#ifndef RUXA_HOST_HOST_H
#define RUXA_HOST_HOST_H

#include "host/win32/host_state.h"

// The host's private message that runs the password check on the saver window.
const UINT ScreenSaverVerifyMessage = WM_APP;

// Exit code of a command line that names no runnable mode.
const int ExitNoMode = -1;
// Exit code of a saver or preview whose window could not be made, or whose
// message loop failed (GetMessageA reported an error).
const int ExitWindowFailed = -1;

// The process entry: reads the command line, runs ScreenSaverMain and ends
// the process with its result.  Never returns.
void ScreenSaverEntry();
// Runs the mode named by `arguments` (the text behind the program name)
// inside the fault guard.  Returns the exit code; after a fault that the
// guard handled, the fault's exception code (e.g. 0xC0000005).
int ScreenSaverMain(HINSTANCE instance, const char* arguments);
int ScreenSaverShowConfigure(HWND owner);

// Null parent: full screen; otherwise the preview inside `parent`.
int ScreenSaverRunWindow(HWND parent);
// Tell the platform that the program draws in true pixels, so that a scaled
// display does not stretch it; before any window or metric of the mode.
// The full-screen saver takes the newest form the platform has; the
// configure dialog per-monitor awareness version 2 or else system
// awareness; the preview's thread takes its parent's awareness, and where
// the platform cannot give a thread one, declares as the full-screen saver.
void ScreenSaverDeclareDpiAwareness();
void ScreenSaverDeclareDialogDpiAwareness();
void ScreenSaverAdoptParentDpiAwareness(HWND parent);
LRESULT WINAPI ScreenSaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The full-screen saver holds its drive while nobody can see it: every
// display off, or the session disconnected.  Watching starts after the
// window's creation and ends at its destruction; a platform without the
// notifications leaves the saver as it always ran.
void ScreenSaverWatchDisplay(HWND window);
void ScreenSaverUnwatchDisplay(HWND window);
// WM_POWERBROADCAST and WM_WTSSESSION_CHANGE: holds or restarts the drive.
void ScreenSaverDisplayNotice(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
inline bool ScreenSaverDriveHeld()
{
    return HostState.DisplaysOff || HostState.SessionAway;
}

BOOL ScreenSaverVerifyPassword(HWND window);
void ScreenSaverLoadPasswordVerifier();
void ScreenSaverUnloadPasswordVerifier();
void SetSaverRunning(BOOL running);
void ScreenSaverChangePassword(HWND owner);

// Loads a library of the platform from the system folder, by its full path:
// a bare name would let a planted copy beside the module, or in the current
// folder, be loaded first.  Null when it is not there (the caller's feature
// then quietly stays off).
HMODULE ScreenSaverLoadSystemLibrary(const char* name);

// Converts a looked-up entry point to its real type.
template <typename Entry>
Entry EntryCast(FARPROC entry)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(entry));
}

#endif
