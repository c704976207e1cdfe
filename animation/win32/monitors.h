// The saver window's drive areas: one per monitor that shows the window.
#ifndef RUXA_ANIMATION_WIN32_MONITORS_H
#define RUXA_ANIMATION_WIN32_MONITORS_H

#include <windows.h>

#include "animation/monitor_areas.h"

// The drive areas of `window`, whose client area is width x height: in the
// preview, the whole window; full screen, one area per monitor that shows
// part of it.  Returns how many (at least 1).
int FindDriveAreas(HWND window, std::int32_t width, std::int32_t height, DriveArea* areas, int capacity);

// The DPI of the monitor that shows the middle of a drive area of `window`
// (animation/win32/display_dpi.h): the preview's is the settings page's.
std::int32_t AreaDpi(HWND window, const DriveArea& area);

#endif
