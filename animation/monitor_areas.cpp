#include "animation/monitor_areas.h"

namespace {

std::int32_t Larger(std::int32_t a, std::int32_t b) { return a > b ? a : b; }
std::int32_t Smaller(std::int32_t a, std::int32_t b) { return a < b ? a : b; }

PixelRect Intersect(const PixelRect& a, const PixelRect& b)
{
    PixelRect both;
    both.Left = Larger(a.Left, b.Left);
    both.Top = Larger(a.Top, b.Top);
    both.Right = Smaller(a.Right, b.Right);
    both.Bottom = Smaller(a.Bottom, b.Bottom);
    return both;
}

bool IsEmpty(const PixelRect& rect)
{
    return rect.Right <= rect.Left || rect.Bottom <= rect.Top;
}

bool SameArea(const DriveArea& a, const DriveArea& b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height;
}

}  // namespace

int MapDriveAreas(const PixelRect* monitors, int count, std::int32_t windowLeft, std::int32_t windowTop,
                  std::int32_t width, std::int32_t height, DriveArea* areas, int capacity)
{
    const PixelRect window = {0, 0, width, height};
    int found = 0;
    for (int i = 0; i < count && found < capacity; ++i) {
        PixelRect monitor = monitors[i];
        monitor.Left -= windowLeft;
        monitor.Right -= windowLeft;
        monitor.Top -= windowTop;
        monitor.Bottom -= windowTop;
        const PixelRect shown = Intersect(monitor, window);
        if (IsEmpty(shown))
            continue;
        const DriveArea area = {shown.Left, shown.Top, shown.Right - shown.Left, shown.Bottom - shown.Top};
        bool repeated = false;
        for (int j = 0; j < found && !repeated; ++j)
            repeated = SameArea(areas[j], area);
        if (!repeated)
            areas[found++] = area;
    }
    if (found == 0 && capacity > 0) {
        areas[0] = DriveArea{0, 0, width, height};
        found = 1;
    }
    return found;
}

PixelRect ClipBoxToArea(const DriveArea& area, std::int32_t left, std::int32_t top, std::int32_t size)
{
    const PixelRect box = {left, top, left + size, top + size};
    const PixelRect bounds = {area.Left, area.Top, area.Left + area.Width, area.Top + area.Height};
    return Intersect(box, bounds);
}
