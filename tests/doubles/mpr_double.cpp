// Double of the platform's change-password request.  Each call of
// PwdChangePasswordA appends a line
//   PwdChangePasswordA name=<name> owner=<decimal handle> reserved=<r1>,<r2>
#include "double_log.h"

#if RUXA_DOUBLE_ENTRY
extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR name, HWND owner, DWORD reserved1,
                                                                 DWORD reserved2)
{
    char line[256];
    std::snprintf(line, sizeof line, "PwdChangePasswordA name=%s owner=%lu reserved=%lu,%lu", name ? name : "(null)",
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)), static_cast<unsigned long>(reserved1),
                  static_cast<unsigned long>(reserved2));
    AppendDoubleLog(line);
    return 0;
}
#endif

extern "C" __declspec(dllexport) int WINAPI MprDoubleVariant()
{
    return RUXA_DOUBLE_ENTRY;
}
