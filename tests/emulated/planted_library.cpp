// A library that does nothing, planted beside the module under the names of
// the system libraries that it loads: the module must never load it.
#include <windows.h>

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, void*)
{
    return TRUE;
}
