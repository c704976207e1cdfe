#include "bench/call_count.h"

#include <windows.h>

#include <cstring>

namespace {

PlatformCalls* Counts = nullptr;

decltype(&GetPixel) RealGetPixel;
decltype(&SetPixel) RealSetPixel;
decltype(&BitBlt) RealBitBlt;
decltype(&GdiFlush) RealGdiFlush;
decltype(&GetDC) RealGetDC;
decltype(&ReleaseDC) RealReleaseDC;

COLORREF WINAPI CountGetPixel(HDC dc, int x, int y) { ++Counts->GetPixel; return RealGetPixel(dc, x, y); }
COLORREF WINAPI CountSetPixel(HDC dc, int x, int y, COLORREF c) { ++Counts->SetPixel; return RealSetPixel(dc, x, y, c); }
BOOL WINAPI CountBitBlt(HDC d, int x, int y, int w, int h, HDC s, int sx, int sy, DWORD op)
{
    ++Counts->BitBlt;
    return RealBitBlt(d, x, y, w, h, s, sx, sy, op);
}
BOOL WINAPI CountGdiFlush() { ++Counts->GdiFlush; return RealGdiFlush(); }
HDC WINAPI CountGetDC(HWND w) { ++Counts->GetDC; return RealGetDC(w); }
int WINAPI CountReleaseDC(HWND w, HDC dc) { ++Counts->ReleaseDC; return RealReleaseDC(w, dc); }

struct Hook {
    const char* Library;
    const char* Name;
    void** Real;
    void* Counter;
    void** Slot;  // the import-table entry while patched
};

Hook Hooks[] = {
    {"gdi32.dll", "GetPixel", reinterpret_cast<void**>(&RealGetPixel), reinterpret_cast<void*>(CountGetPixel), nullptr},
    {"gdi32.dll", "SetPixel", reinterpret_cast<void**>(&RealSetPixel), reinterpret_cast<void*>(CountSetPixel), nullptr},
    {"gdi32.dll", "BitBlt", reinterpret_cast<void**>(&RealBitBlt), reinterpret_cast<void*>(CountBitBlt), nullptr},
    {"gdi32.dll", "GdiFlush", reinterpret_cast<void**>(&RealGdiFlush), reinterpret_cast<void*>(CountGdiFlush), nullptr},
    {"user32.dll", "GetDC", reinterpret_cast<void**>(&RealGetDC), reinterpret_cast<void*>(CountGetDC), nullptr},
    {"user32.dll", "ReleaseDC", reinterpret_cast<void**>(&RealReleaseDC), reinterpret_cast<void*>(CountReleaseDC),
     nullptr},
};

void SetSlot(void** slot, void* value)
{
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

}  // namespace

bool StartCountingCalls(PlatformCalls& calls)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int found = 0;
    for (Hook& hook : Hooks) {
        *hook.Real = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(hook.Library), hook.Name));
        hook.Slot = nullptr;
        auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
        for (; import->Name != 0 && hook.Slot == nullptr; ++import) {
            for (auto* entry = reinterpret_cast<void**>(base + import->FirstThunk); *entry != nullptr; ++entry)
                if (*entry == *hook.Real) {
                    hook.Slot = entry;
                    break;
                }
        }
        found += hook.Slot != nullptr;
    }
    if (found != int(sizeof Hooks / sizeof Hooks[0]))
        return false;
    Counts = &calls;
    for (Hook& hook : Hooks)
        SetSlot(hook.Slot, hook.Counter);
    return true;
}

void StopCountingCalls()
{
    for (Hook& hook : Hooks)
        if (hook.Slot != nullptr)
            SetSlot(hook.Slot, *hook.Real);
}
