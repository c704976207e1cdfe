// A witness for the installer tests, run in the same Wine prefix and display
// as the module they started: waits for a visible top-level window of a
// class and a title, and says whose it is.
//
//   ruxa_window_probe CLASS TITLE [close]
//
// Exit code 0 when the window appeared within 15 s (after posting WM_CLOSE to
// it with "close"), 1 when it did not, 2 on a wrong command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 3 || (argc == 4 && std::strcmp(argv[3], "close") != 0) || argc > 4) {
        std::fprintf(stderr, "usage: ruxa_window_probe CLASS TITLE [close]\n");
        return 2;
    }
    for (int waited = 0; waited < 15000; waited += 50) {
        HWND window = FindWindowA(argv[1], argv[2]);
        if (window && IsWindowVisible(window)) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            std::printf("found \"%s\" of class %s in process %lu\n", argv[2], argv[1], static_cast<unsigned long>(process));
            if (argc == 4)
                PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        Sleep(50);
    }
    std::printf("no visible \"%s\" of class %s\n", argv[2], argv[1]);
    return 1;
}
