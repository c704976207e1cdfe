// Platform libraries that the saver loads on demand come from the system
// folder only.  GetSystemDirectoryA serves every Windows from 95 on; under
// WOW64 it names the folder that the 32-bit loader redirects to the 32-bit
// libraries, as a bare name would have found them.
#include "host/win32/host.h"

HMODULE ScreenSaverLoadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    const UINT folderLength = GetSystemDirectoryA(path, MAX_PATH);
    const int nameLength = lstrlenA(name);
    // 0 is a failure, and a length of MAX_PATH or more the size the folder
    // name would need: neither leaves a path to load.
    if (folderLength == 0 || folderLength + 1 + nameLength >= MAX_PATH) {
        return nullptr;
    }
    UINT length = folderLength;
    if (path[length - 1] != '\\') {
        path[length++] = '\\';
    }
    lstrcpyA(path + length, name);
    // The library's own imports are then looked for beside it first, not
    // beside the module.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
