// Double of the platform's screen-saver password verifier.  Each call of
// VerifyScreenSavePwd appends a line
//   VerifyScreenSavePwd call=<n> class=<window class> running=<0|1>
// (running: SPI_GETSCREENSAVERRUNNING at the time of the call) and answers as
// RUXA_DOUBLE_ANSWER says:
//   grant (default)    1
//   refuse             0
//   refuse-first       0 on the first call, 1 on later ones
//   nested-close       posts WM_CLOSE to the window and pumps the thread's
//                      messages for 300 ms as a dialog's loop would, logs
//                      "nested window=<0|1>" (whether the window survived),
//                      then answers 1
//   fault              writes through a null pointer (a fault inside the
//                      saver's message loop)
//   <number>           that number
#include "double_log.h"

#include <cstdlib>
#include <cstring>

#if RUXA_DOUBLE_ENTRY
static LONG CallCount;
// Volatile so the compiler cannot see the null and replace the store by a trap.
static int* volatile NullTarget = nullptr;

static BOOL Answer(HWND window, LONG call)
{
    char answer[64] = "grant";
    GetEnvironmentVariableA("RUXA_DOUBLE_ANSWER", answer, sizeof answer);
    if (std::strcmp(answer, "refuse") == 0) {
        return 0;
    }
    if (std::strcmp(answer, "refuse-first") == 0) {
        return call == 1 ? 0 : 1;
    }
    if (std::strcmp(answer, "nested-close") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 300) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            Sleep(10);
        }
        char line[64];
        std::snprintf(line, sizeof line, "nested window=%d", IsWindow(window) ? 1 : 0);
        AppendDoubleLog(line);
        return 1;
    }
    if (std::strcmp(answer, "fault") == 0) {
        *NullTarget = 1;
    }
    if (answer[0] >= '0' && answer[0] <= '9') {
        return static_cast<BOOL>(std::strtol(answer, nullptr, 10));
    }
    return 1;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window)
{
    LONG call = ++CallCount;
    char className[128] = "";
    GetClassNameA(window, className, sizeof className);
    BOOL running = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    char line[256];
    std::snprintf(line, sizeof line, "VerifyScreenSavePwd call=%ld class=%s running=%d", call, className,
                  running ? 1 : 0);
    AppendDoubleLog(line);
    return Answer(window, call);
}
#endif

// For rundll32 in a fresh process: appends "notice running=<0|1>" with the
// system's saver-running state as a newly started program reads it.
extern "C" __declspec(dllexport) void CALLBACK ReportRunning(HWND, HINSTANCE, LPSTR, int)
{
    BOOL running = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    AppendDoubleLog(running ? "notice running=1" : "notice running=0");
}

// Keeps an export table in the variant without the entry point.
extern "C" __declspec(dllexport) int WINAPI PasswordDoubleVariant()
{
    return RUXA_DOUBLE_ENTRY;
}
