// Process entry, platform detection, mode dispatch and the fault guard.
#include "host/win32/host.h"
#include "host/win32/saver_hooks.h"
#include "host/command_line.h"
#include "resources/resource_ids.h"

HostRecord HostState;

static const char* NextAnsiChar(const char* text)
{
    return CharNextA(text);
}

// A per-user install may keep the blanks of a long folder name, and a
// command line that names the module by its path unquoted must not lose
// the mode to them: the argument text starts behind the module's own path,
// in the long or the short form, wherever the line starts with it.
void ScreenSaverEntry()
{
    char longPath[MAX_PATH], shortPath[MAX_PATH];
    // A name that fills the buffer may have been cut short (and is not
    // terminated on XP); no path is better than part of one.
    const DWORD longLength = GetModuleFileNameA(nullptr, longPath, MAX_PATH);
    if (longLength == 0 || longLength >= MAX_PATH)
        longPath[0] = '\0';
    const DWORD shortLength = longPath[0] ? GetShortPathNameA(longPath, shortPath, MAX_PATH) : 0;
    if (shortLength == 0 || shortLength >= MAX_PATH)
        shortPath[0] = '\0';
    const char* arguments = FindArgumentText(GetCommandLineA(), NextAnsiChar, ModulePaths{longPath, shortPath});
    ExitProcess(static_cast<UINT>(ScreenSaverMain(GetModuleHandleA(nullptr), arguments)));
}

// The dialog manager takes a pointer-sized answer, while the exported
// procedure answers BOOL as the saver conventions have it: a cast of the one
// to the other would leave the upper half of the answer undefined on x86-64.
static INT_PTR CALLBACK ConfigureDialogAdapter(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
}

int ScreenSaverShowConfigure(HWND owner)
{
    // Laid out by the platform at the display's own DPI, not stretched.
    ScreenSaverDeclareDialogDpiAwareness();
    if (!ScreenSaverRegisterDialogClasses(HostState.Instance)) {
        return 0;
    }
    return static_cast<int>(
        DialogBoxParamA(HostState.Instance, MAKEINTRESOURCEA(IDD_CONFIGURE), owner, ConfigureDialogAdapter, 0));
}

static HWND WindowFromNumber(uint32_t number)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
}

static int RunMode(const char* arguments)
{
    ModeChoice choice = ScanModeLetter(arguments);
    switch (choice.Mode) {
    case ModeConfigure:
        return ScreenSaverShowConfigure(nullptr);
    case ModeConfigureForeground:
        return ScreenSaverShowConfigure(GetForegroundWindow());
    case ModeFullScreen:
        return ScreenSaverRunWindow(nullptr);
    case ModePreview: {
        HWND parent = WindowFromNumber(choice.Handle);
        if (choice.Handle == 0 || !IsWindow(parent)) {
            return ExitNoMode;
        }
        return ScreenSaverRunWindow(parent);
    }
    case ModeChangePassword: {
        if (!HostState.PasswordPlatform) {
            return ExitNoMode;
        }
        HWND owner = WindowFromNumber(choice.Handle);
        if (choice.Handle == 0 || !IsWindow(owner)) {
            owner = GetForegroundWindow();
        }
        ScreenSaverChangePassword(owner);
        return 0;
    }
    case ModeNone:
        break;
    }
    return ExitNoMode;
}

// The fault guard.  g++ has no __try, so the guard is built from the
// platform's own frame-based exception handling: on i386 a registration
// record pushed on FS:[0], on x86_64 a language handler attached to the
// guarding function's unwind data.  Both ask UnhandledExceptionFilter for the
// verdict; on "execute handler" the frames above the guard are unwound, the
// saver-running notice is cleared and control jumps back into the guard,
// which returns the fault's exception code as the mode's result.
#if defined(__i386__) || defined(__x86_64__)

static void* GuardJump[5];
static DWORD GuardFaultCode;

extern "C" __attribute__((noreturn, used)) void RuxaGuardLeave()
{
    SetSaverRunning(FALSE);
    __builtin_longjmp(GuardJump, 1);
}

// What the guard's frame does with an exception passing it: unwinding passes
// through, and otherwise UnhandledExceptionFilter decides.  True when the
// guard takes the fault (its code is kept); else `disposition` is the answer.
static bool GuardTakesFault(EXCEPTION_RECORD* record, CONTEXT* context, EXCEPTION_DISPOSITION* disposition)
{
    *disposition = ExceptionContinueSearch;
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
        return false;
    }
    EXCEPTION_POINTERS pointers = {record, context};
    LONG verdict = UnhandledExceptionFilter(&pointers);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION) {
        *disposition = ExceptionContinueExecution;
        return false;
    }
    if (verdict != EXCEPTION_EXECUTE_HANDLER) {
        return false;
    }
    GuardFaultCode = record->ExceptionCode;
    return true;
}

#if defined(__i386__)

struct GuardFrame {
    GuardFrame* Next;
    void* Handler;
};

extern "C" EXCEPTION_DISPOSITION __cdecl RuxaGuardHandler(EXCEPTION_RECORD* record, void* frame,
                                                          CONTEXT* context, void*)
{
    EXCEPTION_DISPOSITION disposition;
    if (!GuardTakesFault(record, context, &disposition)) {
        return disposition;
    }
    // Runs the unwind handlers of every frame above ours and leaves FS:[0]
    // pointing at our record; the guard pops it after the jump.
    RtlUnwind(frame, nullptr, record, nullptr);
    RuxaGuardLeave();
}

static __attribute__((noinline)) int RunGuarded(const char* arguments)
{
    GuardFrame frame;
    frame.Handler = reinterpret_cast<void*>(RuxaGuardHandler);
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(frame.Next));
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(&frame) : "memory");
    int result;
    if (__builtin_setjmp(GuardJump) == 0) {
        result = RunMode(arguments);
    } else {
        result = static_cast<int>(GuardFaultCode);
    }
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(frame.Next) : "memory");
    return result;
}

#elif defined(__x86_64__)

// Where RtlUnwindEx resumes once the frames above the guard are unwound: the
// stack pointer is the guard function's own, so make room for a call.
extern "C" void RuxaGuardResume();
__asm__(".text\n"
        ".globl RuxaGuardResume\n"
        "RuxaGuardResume:\n"
        "    andq $-16, %rsp\n"
        "    subq $32, %rsp\n"
        "    call RuxaGuardLeave\n"
        "    ud2\n");

extern "C" EXCEPTION_DISPOSITION RuxaGuardHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                  CONTEXT* context, void*)
{
    EXCEPTION_DISPOSITION disposition;
    if (!GuardTakesFault(record, context, &disposition)) {
        return disposition;
    }
    RtlUnwindEx(establisherFrame, reinterpret_cast<void*>(RuxaGuardResume), record, nullptr, context, nullptr);
    RuxaGuardLeave();
}

static __attribute__((noinline)) int RunGuarded(const char* arguments)
{
    // Attaches RuxaGuardHandler to this function's unwind data, so the
    // dispatcher consults it for every fault raised below this frame.
    __asm__ __volatile__(".seh_handler RuxaGuardHandler, @except");
    int result;
    if (__builtin_setjmp(GuardJump) == 0) {
        result = RunMode(arguments);
    } else {
        result = static_cast<int>(GuardFaultCode);
    }
    return result;
}

#endif

#elif defined(__aarch64__)

// Windows on ARM64 is of the NT family alone, where the guard has nothing of
// its own to do: the saver-running notice that its handler clears is the 9x
// family's, and the platform's handling of an unhandled fault (the same
// UnhandledExceptionFilter, then the process ends with the fault's code) is
// what the guard would do.  (Nor has clang a __builtin_longjmp for ARM64.)
static int RunGuarded(const char* arguments)
{
    return RunMode(arguments);
}

#else
#error "the fault guard is written for i386 and x86_64, and ARM64 needs none"
#endif

int ScreenSaverMain(HINSTANCE instance, const char* arguments)
{
    HostState.Instance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version)) {
        HostState.PasswordPlatform = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
        HostState.SystemVersion = WORD(MAKEWORD(version.dwMinorVersion, version.dwMajorVersion));
    }
    return RunGuarded(arguments);
}
