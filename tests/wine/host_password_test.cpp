// The password family: Wine reports VER_PLATFORM_WIN32_WINDOWS to RUXA.SCR
// alone while its AppDefaults say win98.  The platform's verifier and
// change-password request are the doubles under doubles\<variant>.
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

// The environment of a run: the variant's folder first on the PATH.
std::string Environment(const char* variant, const char* answer = "grant")
{
    char path[8192] = "";
    GetEnvironmentVariableA("PATH", path, sizeof path);
    std::string folder = variant ? BuildDir() + "\\doubles\\" + variant + ";" : std::string();
    return "PATH=" + folder + path + "\nRUXA_DOUBLE_LOG=" + LogPath() + "\nRUXA_DOUBLE_ANSWER=" + answer + "\n";
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
    }
    void TearDown() override
    {
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

// Disabled: under this Wine the module still reaches Wine's own MPR.DLL even
// with the double beside a copy of it and mpr=n,b; the double is never called.
TEST_F(HostPassword, DISABLED_ChangePasswordModeHandsTheRequestOn)
{
    // The platform's own MPR.DLL sits in the system folder, which comes
    // before the PATH; a copy of the module beside the double finds the
    // double first.
    for (const char* variant : {"mpr", "mpr-noentry"}) {
        std::string folder = BuildDir() + "\\host_" + variant;
        CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(ModulePath().c_str(), (folder + "\\RUXA.SCR").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((BuildDir() + "\\doubles\\" + variant + "\\MPR.DLL").c_str(),
                              (folder + "\\MPR.DLL").c_str(), FALSE));
    }
    SetEnvironmentVariableA("RUXA_DOUBLE_LOG", LogPath().c_str());
    // Wine prefers its own MPR.DLL unless told otherwise.
    char overrides[1024] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    std::string savedOverrides = overrides;
    SetEnvironmentVariableA("WINEDLLOVERRIDES", (savedOverrides + (savedOverrides.empty() ? "" : ";") + "mpr=n,b").c_str());
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                 nullptr);
    ASSERT_NE(owner, nullptr);
    std::string number = std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)));
    auto run = [](const char* variant, const std::string& arguments) {
        std::string module = BuildDir() + "\\host_" + variant + "\\RUXA.SCR";
        std::string commandLine = "\"" + module + "\" " + arguments;
        std::vector<char> writable(commandLine.begin(), commandLine.end());
        writable.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        ModuleRun started;
        started.Started = CreateProcessA(module.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                         BuildDir().c_str(), &startup, &started.Process) != FALSE;
        return WaitModule(started, 20000);
    };
    EXPECT_EQ(run("mpr", "/a " + number), 0u);
    EXPECT_EQ(run("mpr", "-A"), 0u);
    EXPECT_EQ(run("mpr", "/a 0"), 0u);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "PwdChangePasswordA name=SCRSAVE owner=" + number + " reserved=0,0");
    EXPECT_EQ(lines[1].rfind("PwdChangePasswordA name=SCRSAVE owner=", 0), 0u);
    EXPECT_EQ(lines[1], lines[2]);  // both owned by the foreground window
    // Without the entry point nothing is shown and the mode still ends with 0;
    // so too with the platform's own library, which has no such entry.
    EXPECT_EQ(run("mpr-noentry", "/a"), 0u);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", savedOverrides.c_str());
    EXPECT_EQ(RunModule("/a"), 0u);
    EXPECT_EQ(LogLines().size(), 3u);
    DestroyWindow(owner);
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
        ModuleRun run = StartModule("/s", Environment("password"));
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
    ModuleRun run = StartModule("/s", Environment("password", "refuse-first"));
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
    ModuleRun run = StartModule("/s", Environment("password", "fault"));
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
    ModuleRun run = StartModule("/s", Environment("password", "nested-close"));
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
        ModuleRun run = StartModule("/s", Environment(c.Variant));
        HWND saver = WaitForTopWindow(SaverClass, "Screen Saver", run.Process.dwProcessId, 10000);
        ASSERT_NE(saver, nullptr);
        EXPECT_FALSE(SaverRunningNotice());
        PostMessageA(saver, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitPumping(run, 10000), 0u) << (c.Variant ? c.Variant : "none");
    }
    EXPECT_TRUE(LogLines().empty());
}
