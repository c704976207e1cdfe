// Helpers shared by the tests that run under Wine.
#include "wine/support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

// The tests measure in true pixels, as the screenshots show them.  Where the
// platform scales the windows of a program that declares no DPI awareness
// (Windows 10, Wine 10), the test programs declare per-monitor awareness
// before anything else, as the configure dialog does; Wine 8 treats every
// program so anyway.
[[maybe_unused]] static const bool TestsSeeTruePixels =
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) != FALSE;

std::string BuildDir()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, length);
    return text.substr(0, text.find_last_of("\\/"));
}

std::string ModulePath()
{
    return BuildDir() + "\\RUXA.SCR";
}

// The current environment block with extra "NAME=value" lines put first,
// so that they win over the inherited ones.
static std::vector<char> EnvironmentWith(const std::string& extra)
{
    std::vector<char> block;
    std::istringstream lines(extra);
    std::string line;
    std::vector<std::string> names;
    while (std::getline(lines, line)) {
        if (line.empty()) {
            continue;
        }
        names.push_back(line.substr(0, line.find('=') + 1));
        block.insert(block.end(), line.begin(), line.end());
        block.push_back('\0');
    }
    char* inherited = GetEnvironmentStringsA();
    for (const char* entry = inherited; *entry; entry += std::strlen(entry) + 1) {
        bool replaced = false;
        for (const std::string& name : names) {
            replaced = replaced || _strnicmp(entry, name.c_str(), name.size()) == 0;
        }
        if (!replaced) {
            block.insert(block.end(), entry, entry + std::strlen(entry) + 1);
        }
    }
    FreeEnvironmentStringsA(inherited);
    block.push_back('\0');
    return block;
}

ModuleRun StartModule(const std::string& arguments, const std::string& extraEnvironment, const std::string& module,
                      const char* desktop)
{
    ModuleRun run;
    std::string commandLine = "\"" + module + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    std::vector<char> environment;
    if (!extraEnvironment.empty()) {
        environment = EnvironmentWith(extraEnvironment);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = const_cast<char*>(desktop);
    run.Started = CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0,
                                 environment.empty() ? nullptr : environment.data(),
                                 module.substr(0, module.rfind('\\')).c_str(), &startup, &run.Process) != FALSE;
    return run;
}

DWORD WaitModule(ModuleRun& run, DWORD timeoutMs)
{
    if (!run.Started) {
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(run.Process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(run.Process.hProcess, &code);
    }
    StopModule(run);
    return code;
}

DWORD RunModule(const std::string& arguments, DWORD timeoutMs, const std::string& extraEnvironment)
{
    ModuleRun run = StartModule(arguments, extraEnvironment);
    return WaitModule(run, timeoutMs);
}

void StopModule(ModuleRun& run)
{
    if (!run.Started) {
        return;
    }
    if (WaitForSingleObject(run.Process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(run.Process.hProcess, STILL_ACTIVE);
        WaitForSingleObject(run.Process.hProcess, 5000);
    }
    CloseHandle(run.Process.hThread);
    CloseHandle(run.Process.hProcess);
    run.Started = false;
}

struct WindowSearch {
    const char* ClassName;
    const char* WindowName;
    DWORD ProcessId;
    HWND Found;
};

static BOOL CALLBACK MatchTopWindow(HWND window, LPARAM parameter)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    char text[256];
    if (search->ClassName) {
        GetClassNameA(window, text, sizeof text);
        if (std::strcmp(text, search->ClassName) != 0) {
            return TRUE;
        }
    }
    if (search->WindowName) {
        GetWindowTextA(window, text, sizeof text);
        if (std::strcmp(text, search->WindowName) != 0) {
            return TRUE;
        }
    }
    if (search->ProcessId) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->ProcessId) {
            return TRUE;
        }
    }
    search->Found = window;
    return FALSE;
}

HWND WaitForTopWindow(const char* className, const char* windowName, DWORD processId, DWORD timeoutMs,
                      HDESK desktop)
{
    DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search = {className, windowName, processId, nullptr};
        EnumDesktopWindows(desktop, MatchTopWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found || GetTickCount() - start >= timeoutMs) {
            return search.Found;
        }
        PumpMessages(20);
    }
}

// The host system's name for a file of ours, from Wine's own converter;
// empty when there is none (not under Wine).
static std::string UnixPath(const char* path)
{
    typedef char*(CDECL * ToUnixName)(const WCHAR*);
    FARPROC entry = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!entry) {
        return std::string();
    }
    ToUnixName toUnix = reinterpret_cast<ToUnixName>(reinterpret_cast<void*>(entry));
    WCHAR widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH);
    char* unixPath = toUnix(widePath);
    if (!unixPath) {
        return std::string();
    }
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Wine starts a program of the host system when given its path, but hands
// back no process handle; the command therefore leaves its exit status in a
// marker file that this side waits for.
int RunHostCommand(const std::string& commandLine)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    char marker[MAX_PATH];
    GetTempFileNameA(folder, "hc", 0, marker);
    DeleteFileA(marker);
    const std::string unixMarker = UnixPath(marker);
    if (unixMarker.empty()) {
        return -1;
    }
    std::string script = commandLine + "; echo $? > '" + unixMarker + ".tmp'; mv '" + unixMarker + ".tmp' '" +
                         unixMarker + "'";
    std::string quoted;
    for (char c : script) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    std::string shell = "/bin/sh -c \"" + quoted + "\"";
    std::vector<char> writable(shell.begin(), shell.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return -1;
    }
    if (process.hProcess) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (DWORD waited = 0; waited < 20000; waited += 10) {
        std::ifstream status(marker);
        int code = 0;
        if (status >> code) {
            status.close();
            DeleteFileA(marker);
            return code;
        }
        PumpMessages(10);
    }
    return -1;
}

void HostMouseMove(int x, int y)
{
    RunHostCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
}

void HostClick(int button)
{
    RunHostCommand("xdotool click " + std::to_string(button));
}

void HostKey(const char* keyName)
{
    RunHostCommand(std::string("xdotool key ") + keyName);
}

bool HostScreenshot(Screenshot& shot)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    char file[MAX_PATH];
    GetTempFileNameA(folder, "ss", 0, file);
    const std::string unixFile = UnixPath(file);
    if (unixFile.empty()) {
        return false;
    }
    std::string command = "import -window root -depth 8 ppm:'" + unixFile + "'";
    bool taken = RunHostCommand(command) == 0;
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int maximum = 0;
    if (taken && in >> magic >> shot.Width >> shot.Height >> maximum && magic == "P6" && maximum == 255) {
        in.get();
        std::vector<unsigned char> rgb(size_t(shot.Width) * shot.Height * 3);
        in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
        shot.Pixels.resize(size_t(shot.Width) * shot.Height);
        for (size_t i = 0; i < shot.Pixels.size(); ++i) {
            shot.Pixels[i] = RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
        }
        taken = bool(in);
    } else {
        taken = false;
    }
    in.close();
    DeleteFileA(file);
    return taken;
}

void DeleteUserKey(const char* subKey)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, subKey);
}

const char ColourStoreKey[] = "Software\\Ruxa";

ColourStoreReading ReadColourStore()
{
    ColourStoreReading reading;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ColourStoreKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return reading;
    }
    reading.KeyExists = true;
    BYTE data[64];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, "Color", nullptr, &reading.Type, data, &size) == ERROR_SUCCESS) {
        reading.ValueExists = true;
        reading.Bytes.assign(data, data + size);
    }
    RegCloseKey(key);
    return reading;
}

static HKEY CreateColourStoreKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, ColourStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

bool MakeColourStoreKey()
{
    HKEY key = CreateColourStoreKey();
    if (!key) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool WriteColourStore(DWORD type, const std::vector<BYTE>& bytes)
{
    HKEY key = CreateColourStoreKey();
    if (!key) {
        return false;
    }
    const LONG written = RegSetValueExA(key, "Color", 0, type, bytes.data(), DWORD(bytes.size()));
    RegCloseKey(key);
    return written == ERROR_SUCCESS;
}

std::vector<BYTE> ColourStoreBytes(DWORD colour)
{
    return {BYTE(colour), BYTE(colour >> 8), BYTE(colour >> 16), BYTE(colour >> 24)};
}

bool StoreColour(DWORD colour)
{
    return WriteColourStore(REG_BINARY, ColourStoreBytes(colour));
}

void PumpMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

DWORD WaitPumping(ModuleRun& run, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        if (WaitForSingleObject(run.Process.hProcess, 0) == WAIT_OBJECT_0) {
            break;
        }
        PumpMessages(20);
    }
    return WaitModule(run, 0);
}

bool StillRunning(ModuleRun& run, DWORD forMs)
{
    PumpMessages(forMs);
    return WaitForSingleObject(run.Process.hProcess, 0) == WAIT_TIMEOUT;
}

void SendDisplayState(HWND window, DWORD state, const GUID& setting)
{
    union {
        POWERBROADCAST_SETTING Setting;
        BYTE Room[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)];
    } notice = {};
    notice.Setting.PowerSetting = setting;
    notice.Setting.DataLength = sizeof state;
    CopyMemory(notice.Setting.Data, &state, sizeof state);
    SendMessageA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&notice));
}

int WineMajorVersion()
{
    typedef const char*(CDECL * WineGetVersionEntry)();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    FARPROC entry = ntdll ? GetProcAddress(ntdll, "wine_get_version") : nullptr;
    return entry ? std::atoi(reinterpret_cast<WineGetVersionEntry>(reinterpret_cast<void*>(entry))()) : 0;
}

int DisplayDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const char* expected = std::getenv("RUXA_EXPECTED_DPI");
    EXPECT_TRUE(expected == nullptr || std::atoi(expected) == dpi)
        << "the display runs at " << dpi << " DPI, not at " << expected;
    return dpi;
}
