// What Windows reports about the scale of its displays, as DPI (96 at
// 100 %).  Every function that tells it came with a later Windows than the
// module serves, so each is looked up at run time; without them the
// system's one DPI answers, and where not even that is known, 0.
#ifndef RUXA_ANIMATION_WIN32_DISPLAY_DPI_H
#define RUXA_ANIMATION_WIN32_DISPLAY_DPI_H

#include <windows.h>

#include <cstdint>

// The DPI of the monitor that shows this screen point (or the nearest one):
// the monitor's own on Windows 8.1 and later, else the system's.
std::int32_t MonitorDpiAt(POINT point);

// The DPI that a window is drawn for: its own on Windows 10 (1607) and
// later, else the system's.
std::int32_t WindowDpi(HWND window);

#endif
