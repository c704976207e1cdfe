// The module's process entry, where the system starts it.
//
// The module carries no C runtime start-up code.  The host needs none of
// it: it reads its own command line, runs no static constructors (every
// process-wide record is constant-initialised), keeps no thread-local data
// and ends the process itself.  And the start-up code that the cross
// compilers ship is built for the Pentium Pro and later, whose conditional
// moves stop a 486 or a Pentium with an illegal-instruction fault before
// the first window; the Windows 9x family runs on exactly such machines.
#include "host/win32/host.h"

extern "C" __attribute__((noreturn, used)) void RuxaModuleEntry()
{
    ScreenSaverEntry();
    // ScreenSaverEntry ends the process.
    __builtin_unreachable();
}
