// Runs a built RUXA.SCR for the tests of the ARM64 module, which run it under
// an emulated arm64 Wine.  One source for every processor, with no C
// runtime (the ARM64 build has none), so that the frames of the ARM64 module
// and of the i386 one come from the same driver.
//
//   module_driver frames MODULE FOLDER TICKS /s|/p
//       Runs MODULE's full-screen saver (/s), or its preview (/p) inside a
//       320 x 240 settings page of the driver's, in this process, from the
//       module's own entry, over the desktop as it is, with a known seed and
//       colour, and writes what its window shows after each tick to FOLDER:
//       frames.txt, one line per frame with a checksum of all its pixels,
//       and the first and the last frame whole (frame-first.bgra,
//       frame-last.bgra).  Only the platform's seams are replaced, in the
//       module's imports: the clock it seeds from, its command line and
//       instance, its timer (the driver sends the ticks) and its exit.  The
//       saver is closed as input would close it; the page, the preview's
//       parent, is closed.
//   module_driver dialog MODULE
//       Starts MODULE /c, picks the teal swatch and OK with the pointer.
//
// Prints what it saw, and "FAIL ..." lines for what went wrong; exits 1
// then.
#include <windows.h>

#include "resources/resource_ids.h"

namespace {

HANDLE Output;
bool Failed = false;

void Print(const char* text)
{
    DWORD written;
    WriteFile(Output, text, lstrlenA(text), &written, nullptr);
}

// wsprintfA's arguments are the C varargs kind: pass int, unsigned and
// char* only.
template <typename... Arguments>
void Report(const char* format, Arguments... arguments)
{
    char line[512];
    wsprintfA(line, format, arguments...);
    Print(line);
    Print("\n");
}

template <typename... Arguments>
void Fail(const char* format, Arguments... arguments)
{
    Failed = true;
    Print("FAIL ");
    Report(format, arguments...);
}

void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// ---- frames ----------------------------------------------------------------

// The time the module's generator is seeded with, in seconds since 1970.
const DWORD Seed = 1110033;
// The vehicle colour in the registry: not the default, so that a module that
// ignored it would differ.
const DWORD StoredColour = 0x00C08000;

struct {
    HMODULE Module;
    char CommandLine[MAX_PATH + 8];
    HWND Window;            // the saver window, once it set its timer
    UINT_PTR TimerId;
    int Ticks, TotalTicks;
    const char* Folder;
    HANDLE Sums;
    HWND Page;              // the preview's parent
    HDC Memory;
    DWORD* Pixels;          // a copy of the window, made at the first frame
    int Width, Height;
} Run;

void WriteFileWhole(const char* name, const void* data, DWORD size)
{
    char path[MAX_PATH];
    wsprintfA(path, "%s\\%s", Run.Folder, name);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE || !WriteFile(file, data, size, &written, nullptr) || written != size)
        Fail("could not write %s", path);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

// What the saver window shows now: its checksum (64-bit FNV-1a over the
// pixels' colours) as one line of frames.txt; the first and the last frame
// whole.
void RecordFrame()
{
    if (!Run.Pixels) {
        RECT client;
        GetClientRect(Run.Window, &client);
        Run.Width = client.right;
        Run.Height = client.bottom;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = Run.Width;
        info.bmiHeader.biHeight = -Run.Height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        Run.Memory = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        SelectObject(Run.Memory, CreateDIBSection(Run.Memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        Run.Pixels = static_cast<DWORD*>(bits);
    }
    HDC window = GetDC(Run.Window);
    BitBlt(Run.Memory, 0, 0, Run.Width, Run.Height, window, 0, 0, SRCCOPY);
    ReleaseDC(Run.Window, window);
    GdiFlush();
    const int count = Run.Width * Run.Height;
    unsigned long long sum = 14695981039346656037ull;
    for (int i = 0; i < count; ++i) {
        Run.Pixels[i] &= 0x00FFFFFF;
        sum = (sum ^ Run.Pixels[i]) * 1099511628211ull;
    }
    char line[64];
    const int length = wsprintfA(line, "%d %08x%08x\r\n", Run.Ticks, int(DWORD(sum >> 32)), int(DWORD(sum)));
    DWORD written;
    WriteFile(Run.Sums, line, length, &written, nullptr);
    if (Run.Ticks == 0)
        WriteFileWhole("frame-first.bgra", Run.Pixels, DWORD(count) * 4);
    if (Run.Ticks == Run.TotalTicks)
        WriteFileWhole("frame-last.bgra", Run.Pixels, DWORD(count) * 4);
}

// The seams, put into the module's import table.
void WINAPI FixedClock(FILETIME* now)
{
    const unsigned long long since1601 = (Seed + 11644473600ull) * 10000000ull;
    now->dwLowDateTime = DWORD(since1601);
    now->dwHighDateTime = DWORD(since1601 >> 32);
}

LPSTR WINAPI SaverCommandLine()
{
    return Run.CommandLine;
}

HMODULE WINAPI ModuleHandle(LPCSTR name)
{
    return name ? GetModuleHandleA(name) : Run.Module;
}

UINT_PTR WINAPI DriverTimer(HWND window, UINT_PTR id, UINT, TIMERPROC)
{
    Run.Window = window;
    Run.TimerId = id;
    return id;
}

// The module's message loop: every message the platform has for it first;
// then, with the queue empty, the frame is complete, and the next tick is
// the driver's.  After the last tick the window is closed.
BOOL WINAPI TickingGetMessage(MSG* message, HWND window, UINT first, UINT last)
{
    for (;;) {
        if (PeekMessageA(message, window, first, last, PM_REMOVE))
            return message->message != WM_QUIT;
        if (!Run.Window || Run.Ticks > Run.TotalTicks) {
            WaitMessage();
            continue;
        }
        RecordFrame();
        if (Run.Ticks++ == Run.TotalTicks) {
            if (Run.Page)
                DestroyWindow(Run.Page);
            else
                PostMessageA(Run.Window, WM_CLOSE, 0, 0);
            continue;
        }
        MSG tick = {};
        tick.hwnd = Run.Window;
        tick.message = WM_TIMER;
        tick.wParam = Run.TimerId;
        tick.time = GetTickCount();
        *message = tick;
        return TRUE;
    }
}

void WINAPI SaverExit(UINT code)
{
    CloseHandle(Run.Sums);
    Report("frames: %d ticks of %dx%d, %d frames recorded; the module ended with %d", Run.TotalTicks, Run.Width,
           Run.Height, Run.Ticks, int(code));
    if (code != 0 || Run.Ticks != Run.TotalTicks + 1)
        Fail("the module did not run its ticks to the end and exit with 0");
    ExitProcess(Failed ? 1 : 0);
}

// The seams, by the import they take the place of.
const struct Seam {
    const char* Function;
    void* Replacement;
} Seams[] = {
    {"GetModuleHandleA", reinterpret_cast<void*>(ModuleHandle)},
    {"GetSystemTimeAsFileTime", reinterpret_cast<void*>(FixedClock)},
    {"GetCommandLineA", reinterpret_cast<void*>(SaverCommandLine)},
    {"ExitProcess", reinterpret_cast<void*>(SaverExit)},
    {"SetTimer", reinterpret_cast<void*>(DriverTimer)},
    {"GetMessageA", reinterpret_cast<void*>(TickingGetMessage)},
};
const int SeamCount = sizeof Seams / sizeof Seams[0];

const IMAGE_NT_HEADERS* Headers(HMODULE module)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
}

void Write(void* place, const void* value, DWORD size)
{
    DWORD protection;
    VirtualProtect(place, size, PAGE_EXECUTE_READWRITE, &protection);
    for (DWORD i = 0; i < size; ++i)
        static_cast<BYTE*>(place)[i] = static_cast<const BYTE*>(value)[i];
    VirtualProtect(place, size, protection, &protection);
}

// The platform's loader maps a program that it loads as a library, but
// neither relocates it nor fills its import slots: the driver does both, as
// the loader does for a library, and puts the seams in place.  Returns how
// many seams were placed.
int Bind(HMODULE module)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_NT_HEADERS* headers = Headers(module);
    const ULONG_PTR shift = ULONG_PTR(base) - ULONG_PTR(headers->OptionalHeader.ImageBase);
    const IMAGE_DATA_DIRECTORY& relocations = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
    for (DWORD done = 0; done < relocations.Size;) {
        auto* block = reinterpret_cast<IMAGE_BASE_RELOCATION*>(base + relocations.VirtualAddress + done);
        const WORD* entry = reinterpret_cast<const WORD*>(block + 1);
        for (DWORD i = 0; i < (block->SizeOfBlock - sizeof *block) / 2; ++i) {
            // A pointer (HIGHLOW in a 32-bit module, DIR64 in a 64-bit one),
            // or padding.
            const int type = entry[i] >> 12;
            if (type == IMAGE_REL_BASED_DIR64 || type == IMAGE_REL_BASED_HIGHLOW) {
                ULONG_PTR* place = reinterpret_cast<ULONG_PTR*>(base + block->VirtualAddress + (entry[i] & 0xFFF));
                const ULONG_PTR moved = *place + shift;
                Write(place, &moved, sizeof moved);
            } else if (type != IMAGE_REL_BASED_ABSOLUTE) {
                Fail("a relocation of type %d", type);
            }
        }
        done += block->SizeOfBlock;
    }

    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int placed = 0;
    auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; entry->Name; ++entry) {
        HMODULE library = LoadLibraryExA(reinterpret_cast<char*>(base + entry->Name), nullptr, 0);
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            const char* function = IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)
                                       ? MAKEINTRESOURCEA(IMAGE_ORDINAL(name->u1.Ordinal))
                                       : reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name;
            void* target = reinterpret_cast<void*>(GetProcAddress(library, function));
            if (!target)
                Fail("the module imports what this Windows lacks: %s", IS_INTRESOURCE(function) ? "#" : function);
            for (const Seam& seam : Seams) {
                if (!IS_INTRESOURCE(function) && lstrcmpA(function, seam.Function) == 0) {
                    target = seam.Replacement;
                    ++placed;
                }
            }
            Write(&slot->u1.Function, &target, sizeof target);
        }
    }
    return placed;
}

void RunFrames(const char* module, const char* folder, int ticks, bool preview)
{
    Run.Folder = folder;
    Run.TotalTicks = ticks;
    if (preview) {
        WNDCLASSA pageClass = {};
        pageClass.lpfnWndProc = DefWindowProcA;
        pageClass.hInstance = GetModuleHandleA(nullptr);
        pageClass.lpszClassName = "RuxaSettingsPage";
        RegisterClassA(&pageClass);
        Run.Page = CreateWindowExA(0, pageClass.lpszClassName, "Settings page", WS_POPUP | WS_VISIBLE, 100, 100,
                                   320, 240, nullptr, nullptr, pageClass.hInstance, nullptr);
        wsprintfA(Run.CommandLine, "\"%s\" /p %u", module, unsigned(reinterpret_cast<UINT_PTR>(Run.Page)));
    } else {
        wsprintfA(Run.CommandLine, "\"%s\" /s", module);
    }
    char path[MAX_PATH];
    wsprintfA(path, "%s\\frames.txt", folder);
    Run.Sums = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HKEY key;
    if (Run.Sums == INVALID_HANDLE_VALUE ||
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Ruxa", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
        return Fail("could not set up %s and the stored colour", path);
    RegSetValueExA(key, "Color", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&StoredColour), sizeof StoredColour);
    RegCloseKey(key);

    Run.Module = LoadLibraryExA(module, nullptr, 0);
    if (!Run.Module)
        return Fail("could not load %s", module);
    if (Bind(Run.Module) != SeamCount)
        return Fail("the module does not import every function that the driver replaces");
    // The module's own entry, as the platform would start it; it ends in
    // SaverExit.
    BYTE* base = reinterpret_cast<BYTE*>(Run.Module);
    reinterpret_cast<void (*)()>(base + Headers(Run.Module)->OptionalHeader.AddressOfEntryPoint)();
    Fail("the module's entry returned");
}

// ---- the module in a process of its own ------------------------------------

bool Start(const char* module, const char* arguments, PROCESS_INFORMATION& process)
{
    char commandLine[2 * MAX_PATH];
    wsprintfA(commandLine, "\"%s\" %s", module, arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return true;
    Fail("could not start %s", commandLine);
    return false;
}

// The process's exit code once it ended, pumping meanwhile; STILL_ACTIVE
// (after ending it) when it did not end in time.
DWORD Finish(PROCESS_INFORMATION& process, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT && GetTickCount() - start < timeoutMs)
        Pump(50);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    if (code == STILL_ACTIVE)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

bool OfProcess(HWND window, const PROCESS_INFORMATION& process)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return window && owner == process.dwProcessId;
}

// A click with the pointer at (x, y) of `window`, once its top-level window
// shows there (a static control lets clicks through to its parent).
void ClickAt(HWND window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
    const HWND shown = GetAncestor(window, GA_ROOT);
    for (int waited = 0; waited < 200 && GetAncestor(WindowFromPoint(point), GA_ROOT) != shown; ++waited)
        Pump(50);
    if (GetAncestor(WindowFromPoint(point), GA_ROOT) != shown)
        return Fail("the window to click does not show at %d,%d", int(point.x), int(point.y));
    Pump(200);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof clicks[0]);
    Pump(300);
}

void RunDialog(const char* module)
{
    PROCESS_INFORMATION process;
    if (!Start(module, "/c", process))
        return;
    // The dialog of this process (one that another run left may linger),
    // once it shows: its controls are made before.
    HWND dialog = nullptr;
    for (int waited = 0; waited < 600 && !dialog; ++waited) {
        Pump(50);
        while ((dialog = FindWindowExA(nullptr, dialog, "#32770", "Ruxa Screen Saver")) &&
               !(OfProcess(dialog, process) && IsWindowVisible(dialog)))
            ;
    }
    HWND palette = GetDlgItem(dialog, IDC_PALETTE), ok = GetDlgItem(dialog, IDOK);
    if (!dialog || !palette || !ok) {
        Fail("no configure dialog with its palette and OK");
    } else {
        Pump(500);
        // Teal: the sixth of the second row of 16-pixel swatches (96 DPI).
        ClickAt(palette, 5 * 16 + 8, 16 + 8);
        RECT button;
        GetClientRect(ok, &button);
        ClickAt(ok, button.right / 2, button.bottom / 2);
    }
    const DWORD code = Finish(process, 30000);
    if (code == 1)
        Report("dialog: ended with 1 (OK)");
    else
        Fail("the dialog ended with %d, not 1 (OK)", int(code));
}

// The words of the command line after the program's name; quotes group.
int SplitCommandLine(char* text, char** words, int most)
{
    int count = 0;
    while (*text) {
        while (*text == ' ' || *text == '\t')
            ++text;
        if (!*text)
            break;
        const bool quoted = *text == '"';
        text += quoted;
        if (count < most)
            words[count++] = text;
        while (*text && (quoted ? *text != '"' : *text != ' ' && *text != '\t'))
            ++text;
        if (*text)
            *text++ = '\0';
    }
    return count;
}

int Number(const char* text)
{
    int value = 0;
    while (*text >= '0' && *text <= '9')
        value = value * 10 + (*text++ - '0');
    return value;
}

}  // namespace

extern "C" void DriverEntry()
{
    Output = GetStdHandle(STD_OUTPUT_HANDLE);
    char* words[7];
    const int count = SplitCommandLine(GetCommandLineA(), words, 7);
    if (count == 6 && lstrcmpA(words[1], "frames") == 0)
        RunFrames(words[2], words[3], Number(words[4]), lstrcmpA(words[5], "/p") == 0);
    else if (count == 3 && lstrcmpA(words[1], "dialog") == 0)
        RunDialog(words[2]);
    else
        Fail("usage: module_driver frames MODULE FOLDER TICKS /s|/p | dialog MODULE");
    ExitProcess(Failed ? 1 : 0);
}
