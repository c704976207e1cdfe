// A witness for the installer tests, run in the same Wine prefix and display
// as the module they started: waits for a visible top-level window of a
// class and a title, and says whose it is.
//
//   ruxa_window_probe CLASS TITLE [close]
//   ruxa_window_probe CLASS TITLE press ID
//   ruxa_window_probe CLASS TITLE control TEXT
//
// "close" posts WM_CLOSE to the window, "press" the command of its button ID
// (a wizard's Next is 1).  "control" waits for a visible control inside it
// whose text starts with TEXT and prints "enabled" or "disabled", then
// "checked" or "unchecked".
//
// Exit code 0 when the window (and the control) appeared within 15 s, 1 when
// it did not, 2 on a wrong command line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct ControlSearch {
    const char* Text;
    HWND Found;
};

BOOL CALLBACK MatchControl(HWND control, LPARAM lParam)
{
    ControlSearch* search = reinterpret_cast<ControlSearch*>(lParam);
    char text[512];
    GetWindowTextA(control, text, sizeof text);
    if (IsWindowVisible(control) && std::strncmp(text, search->Text, std::strlen(search->Text)) == 0) {
        search->Found = control;
        return FALSE;
    }
    return TRUE;
}

bool ValidCommand(int argc, char** argv)
{
    if (argc == 3)
        return true;
    if (argc == 4)
        return std::strcmp(argv[3], "close") == 0;
    if (argc == 5)
        return std::strcmp(argv[3], "press") == 0 || std::strcmp(argv[3], "control") == 0;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (!ValidCommand(argc, argv)) {
        std::fprintf(stderr, "usage: ruxa_window_probe CLASS TITLE [close | press ID | control TEXT]\n");
        return 2;
    }
    for (int waited = 0; waited < 15000; waited += 50) {
        HWND window = FindWindowA(argv[1], argv[2]);
        if (window && IsWindowVisible(window)) {
            if (argc == 5 && std::strcmp(argv[3], "control") == 0) {
                // Controls sit on pages that are child dialogs of the window.
                ControlSearch search = { argv[4], 0 };
                EnumChildWindows(window, MatchControl, reinterpret_cast<LPARAM>(&search));
                if (!search.Found) {
                    Sleep(50);
                    continue;
                }
                bool checked = SendMessageA(search.Found, BM_GETCHECK, 0, 0) == BST_CHECKED;
                std::printf("%s %s\n", IsWindowEnabled(search.Found) ? "enabled" : "disabled",
                    checked ? "checked" : "unchecked");
                return 0;
            }
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            std::printf("found \"%s\" of class %s in process %lu\n", argv[2], argv[1], static_cast<unsigned long>(process));
            if (argc == 4)
                PostMessageA(window, WM_CLOSE, 0, 0);
            if (argc == 5)
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(std::atoi(argv[4]), BN_CLICKED), 0);
            return 0;
        }
        Sleep(50);
    }
    std::printf("no visible \"%s\" of class %s\n", argv[2], argv[1]);
    return 1;
}
