// The module's process entry.  The C runtime has started; the host reads the
// command line itself and never returns.
#include <windows.h>

void ScreenSaverEntry();

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ScreenSaverEntry();
    return 0;
}
