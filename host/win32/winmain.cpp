// The module's process entry.  The C runtime has started; the host reads the
// command line itself and never returns.
#include "host/win32/host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ScreenSaverEntry();
    return 0;
}
