// Helpers shared by the tests that run under Wine.
#ifndef RUXA_TESTS_WINE_SUPPORT_H
#define RUXA_TESTS_WINE_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

// Folder of the running test program; RUXA.SCR and doubles\ sit beside it.
std::string BuildDir();
// Full path of the module under test, BuildDir() + "\\RUXA.SCR".
std::string ModulePath();

// A started copy of the module.
struct ModuleRun {
    PROCESS_INFORMATION Process = {};
    bool Started = false;
};

// Starts RUXA.SCR (or a copy of it elsewhere) in its own folder with the
// given argument text behind a quoted program name.  Extra environment
// entries ("NAME=value", separated by '\n') are added to the test's own
// environment.  A desktop, when named, is the one the run starts on.
ModuleRun StartModule(const std::string& arguments, const std::string& extraEnvironment = "",
                      const std::string& module = ModulePath(), const char* desktop = nullptr);
// Waits for the run to end and returns its exit code; returns
// STILL_ACTIVE (after terminating it) when it did not end in time.
DWORD WaitModule(ModuleRun& run, DWORD timeoutMs);
// StartModule + WaitModule.
DWORD RunModule(const std::string& arguments, DWORD timeoutMs = 20000,
                const std::string& extraEnvironment = "");
// WaitModule that keeps pumping this thread's messages while it waits (for
// tests whose own windows must keep answering, e.g. a preview's parent).
DWORD WaitPumping(ModuleRun& run, DWORD timeoutMs);
// Pumps for the given time; true if the run is still going afterwards.
bool StillRunning(ModuleRun& run, DWORD forMs);
// Ends a run that is still going and closes its handles.
void StopModule(ModuleRun& run);

// Polls for a top-level window of this class and name (either may be null)
// that belongs to the given process (0: any process), on the given desktop
// (null: the test's own).
HWND WaitForTopWindow(const char* className, const char* windowName, DWORD processId, DWORD timeoutMs,
                      HDESK desktop = nullptr);

// Runs a command of the host machine (Linux), e.g. xdotool or import, with
// the test's X display, and waits for it.  Returns its exit status, or -1
// when it could not be run.
int RunHostCommand(const std::string& commandLine);

// Real X input into the private display (xdotool).
void HostMouseMove(int x, int y);
void HostClick(int button = 1);
void HostKey(const char* keyName);

// A screenshot of the whole X screen, taken by the host system (so it shows
// what the user would see, every process's windows included), as COLORREF
// values row by row.  Returns false when it could not be taken.
struct Screenshot {
    int Width = 0;
    int Height = 0;
    std::vector<COLORREF> Pixels;
    COLORREF At(int x, int y) const { return Pixels[size_t(y) * Width + x]; }
};
bool HostScreenshot(Screenshot& shot);

// Registry helpers for HKEY_CURRENT_USER.
void DeleteUserKey(const char* subKey);

// The saver's colour store: value "Color" under HKEY_CURRENT_USER\Software\Ruxa.
extern const char ColourStoreKey[];
struct ColourStoreReading {
    bool KeyExists = false;
    bool ValueExists = false;
    DWORD Type = 0;
    std::vector<BYTE> Bytes;
};
ColourStoreReading ReadColourStore();
// Creates the key, without a value, unless it exists; true on success.
bool MakeColourStoreKey();
// Creates the key if needed and sets the value to these bytes of this type.
bool WriteColourStore(DWORD type, const std::vector<BYTE>& bytes);
// The four little-endian bytes the saver keeps for a colour.
std::vector<BYTE> ColourStoreBytes(DWORD colour);
// WriteColourStore(REG_BINARY, ColourStoreBytes(colour)).
bool StoreColour(DWORD colour);

// Sends the platform's notice that the displays are in this state (0 every
// display off, 1 on, 2 dimmed) to a window, as the power setting `setting`
// reports it.
void SendDisplayState(HWND window, DWORD state, const GUID& setting);

// Pumps this thread's messages for the given time.
void PumpMessages(DWORD milliseconds);

// The major version of the Wine that runs the test (8 for Wine 8.0); 0 on
// Windows.
int WineMajorVersion();

// The display's DPI, as the platform tells any program.  A run of the test
// script at another DPI names it in RUXA_EXPECTED_DPI, and a display that
// does not run at it fails the calling test.
int DisplayDpi();

#endif
