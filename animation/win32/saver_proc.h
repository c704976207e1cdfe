// The saver window's own procedure and the animation's process-wide record.
#ifndef RUXA_ANIMATION_WIN32_SAVER_PROC_H
#define RUXA_ANIMATION_WIN32_SAVER_PROC_H

#include <windows.h>

#include <cstdint>

#include "animation/drive.h"
#include "host/win32/saver_hooks.h"

// Made at the first window creation and kept until the process ends: a later
// window (a second WM_CREATE) resumes the same animation.
struct SaverRecord {
    // Surfaces: memory contexts compatible with the screen, each with its
    // bitmap selected for good.
    HDC BackgroundBuffer = nullptr;  // the frozen screen, collecting the tracks
    HDC VehicleImage = nullptr;      // the painted 50 x 26 vehicle
    HDC TrackImage = nullptr;        // the 6 x 34 tyre-track stamp
    HDC ComposeBuffer = nullptr;     // one 64 x 64 frame box
    std::int32_t Width = 0, Height = 0;  // the window's client size at set-up
    UINT_PTR DriveTimer = 0;             // what SetTimer returned; 0 before
    DriveState Drive;
    DriveRandom Random;
};

extern SaverRecord Saver;

constexpr UINT_PTR DriveTimerId = 1;

#endif
