#include "wine/gdi_count.h"

#include <windows.h>

int CountGdiObjects()
{
    // The handle table is indexed by the low 16 bits of a handle.
    int live = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0)
            ++live;
    return live;
}
