// Monitor enumeration.  The functions that do it came with the systems that
// know several monitors, so they are looked up at run time: on older ones
// the module still loads and the saver fills its one screen as it always has.
#include "animation/win32/monitors.h"

#include "animation/win32/display_dpi.h"
#include "host/win32/host.h"

namespace {

typedef BOOL(WINAPI* EnumDisplayMonitorsEntry)(HDC context, LPCRECT clip, MONITORENUMPROC callback, LPARAM data);

struct MonitorList {
    PixelRect* Rects;
    int Capacity;
    int Count;
};

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data)
{
    MonitorList* list = reinterpret_cast<MonitorList*>(data);
    if (list->Count < list->Capacity)
        list->Rects[list->Count++] = PixelRect{rect->left, rect->top, rect->right, rect->bottom};
    return TRUE;
}

// The monitors' rectangles in screen coordinates, as the platform reports
// them, at most `capacity`; 0 where it cannot enumerate monitors.
int ReadMonitorRects(PixelRect* monitors, int capacity)
{
    HMODULE user = GetModuleHandleA("USER32.DLL");
    EnumDisplayMonitorsEntry enumMonitors =
        user ? EntryCast<EnumDisplayMonitorsEntry>(GetProcAddress(user, "EnumDisplayMonitors")) : nullptr;
    MonitorList list = {monitors, capacity, 0};
    // Without a context or clip, each monitor's whole rectangle in screen
    // coordinates.
    if (!enumMonitors || !enumMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list)))
        return 0;
    return list.Count;
}

}  // namespace

int FindDriveAreas(HWND window, std::int32_t width, std::int32_t height, DriveArea* areas, int capacity)
{
    PixelRect monitors[MaxDriveAreas];
    int count = 0;
    if (!HostState.PreviewMode)
        count = ReadMonitorRects(monitors, MaxDriveAreas);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return MapDriveAreas(monitors, count, origin.x, origin.y, width, height, areas, capacity);
}

std::int32_t AreaDpi(HWND window, const DriveArea& area)
{
    POINT middle = {area.Left + area.Width / 2, area.Top + area.Height / 2};
    ClientToScreen(window, &middle);
    return MonitorDpiAt(middle);
}
