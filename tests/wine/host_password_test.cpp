// The password family: Wine reports VER_PLATFORM_WIN32_WINDOWS to RUXA.SCR
// alone while its AppDefaults say win98.  The platform's verifier and
// change-password request are the doubles under doubles\<variant>, put where
// the platform keeps its own: in the system folder.
#include "wine/support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const char AppDefaultsKey[] = "Software\\Wine\\AppDefaults\\RUXA.SCR";
const char DesktopKey[] = "Control Panel\\Desktop";
const char SaverClass[] = "WindowsScreenSaverClass";

std::string LogPath()
{
    return BuildDir() + "\\host_double.log";
}

std::vector<std::string> LogLines()
{
    std::vector<std::string> lines;
    std::ifstream file(LogPath());
    std::string line;
    while (std::getline(file, line)) {
        lines.push_back(line);
    }
    return lines;
}

std::string SystemFile(const char* name)
{
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

// Puts the variant's double of the library into the system folder, or
// takes it away (null); Wine has no PASSWORD.CPL of its own, and its own
// MPR.DLL is kept aside meanwhile.
void UseDouble(const char* file, const char* variant)
{
    const std::string installed = SystemFile(file), kept = installed + ".wine";
    if (GetFileAttributesA(installed.c_str()) != INVALID_FILE_ATTRIBUTES &&
        GetFileAttributesA(kept.c_str()) == INVALID_FILE_ATTRIBUTES && std::string(file) == "MPR.DLL") {
        ASSERT_TRUE(CopyFileA(installed.c_str(), kept.c_str(), TRUE));
    }
    DeleteFileA(installed.c_str());
    if (variant) {
        ASSERT_TRUE(CopyFileA((BuildDir() + "\\doubles\\" + variant + "\\" + file).c_str(), installed.c_str(), FALSE));
    } else if (GetFileAttributesA(kept.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ASSERT_TRUE(MoveFileA(kept.c_str(), installed.c_str()));
    }
}

// The environment of a run: what the doubles log and answer, and Wine told
// to take a library file of the system folder over its own MPR.DLL.
std::string Environment(const char* answer = "grant")
{
    char overrides[1024] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    return "RUXA_DOUBLE_LOG=" + LogPath() + "\nRUXA_DOUBLE_ANSWER=" + answer + "\nWINEDLLOVERRIDES=" + overrides +
           (overrides[0] ? ";" : "") + "mpr=n,b\n";
}

void SetUsePassword(DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, DesktopKey, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "ScreenSaveUsePassword", 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void SetUsePassword(DWORD value)
{
    SetUsePassword(REG_DWORD, &value, sizeof value);
}

// The saver-running state as a fresh process reads it (this process would
// keep the value it read first): rundll32 runs the double's ReportRunning,
// which logs it.
BOOL SaverRunningNotice()
{
    size_t before = LogLines().size();
    SetEnvironmentVariableA("RUXA_DOUBLE_LOG", LogPath().c_str());
    std::string command = "rundll32.exe \"" + BuildDir() + "\\doubles\\password\\PASSWORD.CPL\",ReportRunning";
    std::vector<char> writable(command.begin(), command.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "rundll32 did not start";
        return FALSE;
    }
    WaitForSingleObject(process.hProcess, 20000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::vector<std::string> lines = LogLines();
    BOOL running = lines.size() > before && lines.back() == "notice running=1";
    // Keep the log to what the module's run wrote.
    std::ofstream rewrite(LogPath(), std::ios::trunc);
    for (size_t i = 0; i < before; ++i) {
        rewrite << lines[i] << "\n";
    }
    return running;
}

class HostPassword : public ::testing::Test {
protected:
    void SetUp() override
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, AppDefaultsKey, &key), ERROR_SUCCESS);
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
        RegCloseKey(key);
        DeleteFileA(LogPath().c_str());
        UseDouble("PASSWORD.CPL", "password");
    }
    void TearDown() override
    {
        UseDouble("PASSWORD.CPL", nullptr);
        UseDouble("MPR.DLL", nullptr);
        DeleteUserKey(AppDefaultsKey);
        HKEY key;
        if (RegOpenKeyA(HKEY_CURRENT_USER, DesktopKey, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "ScreenSaveUsePassword");
            RegCloseKey(key);
        }
        DeleteFileA(LogPath().c_str());
    }
};

} // namespace

// On the password family the change-password letter always ends with 0,
// whatever the owner number and whether or not the request can be made.
TEST_F(HostPassword, ChangePasswordModeEndsWithZero)
{
    for (const char* arguments : {"/a", "-A", "/a 0", "/a 4000000", "a:12"}) {
        EXPECT_EQ(RunModule(arguments), 0u) << arguments;
    }
}

// Disabled: this Wine loads its own MPR.DLL for the system folder's file
// name even with the double in its place and mpr=n,b (WINEDEBUG=+loaddll
// shows "builtin"), so the double is never called.
TEST_F(HostPassword, DISABLED_ChangePasswordModeHandsTheRequestOn)
{
    UseDouble("MPR.DLL", "mpr");
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                 nullptr);
    ASSERT_NE(owner, nullptr);
    std::string number = std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)));
    for (const char* arguments : {"/a ", "-A", "/a 0"}) {
        ModuleRun run = StartModule(arguments == std::string("/a ") ? arguments + number : arguments, Environment());
        EXPECT_EQ(WaitPumping(run, 20000), 0u) << arguments;
    }
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "PwdChangePasswordA name=SCRSAVE owner=" + number + " reserved=0,0");
    EXPECT_EQ(lines[1].rfind("PwdChangePasswordA name=SCRSAVE owner=", 0), 0u);
    EXPECT_EQ(lines[1], lines[2]);  // both owned by the foreground window
    // Without the entry point nothing is shown and the mode still ends with 0;
    // so too with the platform's own library, which has no such entry.
    UseDouble("MPR.DLL", "mpr-noentry");
    EXPECT_EQ(RunModule("/a", 20000, Environment()), 0u);
    UseDouble("MPR.DLL", nullptr);
    EXPECT_EQ(RunModule("/a", 20000, Environment()), 0u);
    EXPECT_EQ(LogLines().size(), 3u);
    DestroyWindow(owner);
}

// Libraries planted beside the module, in its current folder and first on
// the PATH (a saver started from a downloads folder) are never loaded: the
// password check and the change-password request only use the system
// folder's, and here it has neither.
TEST_F(HostPassword, LibrariesBesideTheModuleAreNotLoaded)
{
    UseDouble("PASSWORD.CPL", nullptr);
    const std::string folder = BuildDir() + "\\host_planted";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(ModulePath().c_str(), (folder + "\\RUXA.SCR").c_str(), FALSE));
    for (const char* planted : {"password\\PASSWORD.CPL", "mpr\\MPR.DLL"}) {
        const std::string name = std::string(planted).substr(std::string(planted).find('\\'));
        ASSERT_TRUE(CopyFileA((BuildDir() + "\\doubles\\" + planted).c_str(), (folder + name).c_str(), FALSE));
    }
    char path[8192] = "";
    GetEnvironmentVariableA("PATH", path, sizeof path);
    const std::string environment = Environment() + "PATH=" + folder + ";" + path + "\n";
    SetUsePassword(1);
    ModuleRun run = StartModule("/s", environment, folder + "\\RUXA.SCR");
    HWND saver = WaitForTopWindow(SaverClass, "Screen Saver", run.Process.dwProcessId, 10000);
    ASSERT_NE(saver, nullptr);
    PostMessageA(saver, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitPumping(run, 10000), 0u);
    ModuleRun change = StartModule("/a", environment, folder + "\\RUXA.SCR");
    EXPECT_EQ(WaitPumping(change, 20000), 0u);
    EXPECT_TRUE(LogLines().empty()) << LogLines().front();
}

TEST_F(HostPassword, GrantedCheckClosesAndTheRunningNoticeFollowsTheVerifier)
{
    const DWORD one = 1;
    const char text[] = "1";
    const BYTE byte = 7;
    struct Kind { DWORD Type; const void* Data; DWORD Size; } kinds[] = {
        {REG_DWORD, &one, 4}, {REG_SZ, text, 2}, {REG_BINARY, &byte, 1}};
    int expectedCalls = 0;
    for (const Kind& kind : kinds) {
        SetUsePassword(kind.Type, kind.Data, kind.Size);
        ModuleRun run = StartModule("/s", Environment());
        HWND saver = WaitForTopWindow(SaverClass, "Screen Saver", run.Process.dwProcessId, 10000);
        ASSERT_NE(saver, nullptr);
        EXPECT_TRUE(SaverRunningNotice()) << kind.Type;
        PostMessageA(saver, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitPumping(run, 10000), 0u) << kind.Type;
        ++expectedCalls;
        EXPECT_FALSE(SaverRunningNotice()) << kind.Type;
    }
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(expectedCalls));
    EXPECT_EQ(lines[0], "VerifyScreenSavePwd call=1 class=WindowsScreenSaverClass running=1");
}

TEST_F(HostPassword, RefusalKeepsTheSaverAndSpacesTheNextCheck)
{
    SetUsePassword(1);
    ModuleRun run = StartModule("/s", Environment("refuse-first"));
    HWND saver = WaitForTopWindow(SaverClass, "Screen Saver", run.Process.dwProcessId, 10000);
    ASSERT_NE(saver, nullptr);
    // Two queued close requests: the first is refused by the verifier, the
    // second arrives right after and is refused without asking.
    PostMessageA(saver, WM_CLOSE, 0, 0);
    PostMessageA(saver, WM_CLOSE, 0, 0);
    EXPECT_TRUE(StillRunning(run, 600));
    EXPECT_EQ(LogLines().size(), 1u);
    EXPECT_TRUE(SaverRunningNotice());
    // Later the verifier is asked again, and grants.
    PostMessageA(saver, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitPumping(run, 10000), 0u);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "VerifyScreenSavePwd call=2 class=WindowsScreenSaverClass running=1");
    EXPECT_FALSE(SaverRunningNotice());
}

// A fault inside the message loop (here in the verifier, which runs while
// the loop handles a close request) ends the mode with the fault's code and
// still clears the saver-running notice.
TEST_F(HostPassword, FaultInTheLoopEndsWithItsCodeAndClearsTheRunningNotice)
{
    SetUsePassword(1);
    ModuleRun run = StartModule("/s", Environment("fault"));
    HWND saver = WaitForTopWindow(SaverClass, "Screen Saver", run.Process.dwProcessId, 10000);
    ASSERT_NE(saver, nullptr);
    EXPECT_TRUE(SaverRunningNotice());
    PostMessageA(saver, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitPumping(run, 10000), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(LogLines().size(), 1u) << "the verifier was asked once";
    EXPECT_FALSE(SaverRunningNotice());
}

TEST_F(HostPassword, CloseRequestDuringTheCheckIsRefused)
{
    SetUsePassword(1);
    ModuleRun run = StartModule("/s", Environment("nested-close"));
    HWND saver = WaitForTopWindow(SaverClass, "Screen Saver", run.Process.dwProcessId, 10000);
    ASSERT_NE(saver, nullptr);
    PostMessageA(saver, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(WaitPumping(run, 10000), 0u);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "VerifyScreenSavePwd call=1 class=WindowsScreenSaverClass running=1");
    EXPECT_EQ(lines[1], "nested window=1");
}

TEST_F(HostPassword, NoUsableVerifierMeansNoPassword)
{
    const BYTE eight[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    struct Case { const char* Variant; DWORD Value; bool LongValue; } cases[] = {
        {"password-noentry", 1, false}, {nullptr, 1, false}, {"password", 0, false}, {"password", 1, true}};
    for (const Case& c : cases) {
        if (c.LongValue) {
            SetUsePassword(REG_BINARY, eight, sizeof eight);
        } else {
            SetUsePassword(c.Value);
        }
        UseDouble("PASSWORD.CPL", c.Variant);
        ModuleRun run = StartModule("/s", Environment());
        HWND saver = WaitForTopWindow(SaverClass, "Screen Saver", run.Process.dwProcessId, 10000);
        ASSERT_NE(saver, nullptr);
        EXPECT_FALSE(SaverRunningNotice());
        PostMessageA(saver, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitPumping(run, 10000), 0u) << (c.Variant ? c.Variant : "none");
    }
    EXPECT_TRUE(LogLines().empty());
}
