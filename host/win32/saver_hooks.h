// The three entry points that the saver supplies and the host calls by name,
// and the host's default handling that the saver hands messages on to.
#ifndef RUXA_HOST_SAVER_HOOKS_H
#define RUXA_HOST_SAVER_HOOKS_H

#include <windows.h>

// The saver window's own procedure (animation).  Every message it does not
// handle goes on to ScreenSaverDefaultProc with the same four arguments.
extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The saver window's one timer, which ScreenSaverProc starts at creation and
// kills at destruction; the host holds it while nobody can see the saver.
const UINT_PTR ScreenSaverTimerId = 1;
const UINT ScreenSaverTimerPeriod = 1;

// The configure dialog's procedure (settings).
extern "C" BOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Called before the configure dialog; a zero result skips the dialog.
extern "C" BOOL WINAPI ScreenSaverRegisterDialogClasses(HANDLE instance);

// The host's handling of what ScreenSaverProc passes on: input watch,
// password gate, then the platform's default window procedure.
LRESULT WINAPI ScreenSaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
