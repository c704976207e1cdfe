// Recording doubles of the saver's three hooks, for the host's own tests.
#ifndef RUXA_TESTS_WINE_HOST_RECORDING_HOOKS_H
#define RUXA_TESTS_WINE_HOST_RECORDING_HOOKS_H

#include <windows.h>

#include <vector>

struct RecordedMessage {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
};

struct RecordingRecord {
    std::vector<RecordedMessage> Messages;   // what reached ScreenSaverProc
    int RegisterCalls = 0;                    // ScreenSaverRegisterDialogClasses calls
    bool RegisterFaults = false;              // make it write through a null pointer
    bool StartsTimer = false;                 // start the saver's timer on WM_CREATE, as the saver does
};

extern RecordingRecord Recording;

#endif
