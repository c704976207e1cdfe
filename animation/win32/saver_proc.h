// The saver window's own procedure and the animation's process-wide record.
#ifndef RUXA_ANIMATION_WIN32_SAVER_PROC_H
#define RUXA_ANIMATION_WIN32_SAVER_PROC_H

#include <windows.h>

#include <cstdint>

#include "animation/drive.h"
#include "animation/win32/dib_surface.h"
#include "host/win32/saver_hooks.h"

// Made at the first window creation and kept until the process ends: a later
// window (a second WM_CREATE) resumes the same animation.  A surface that
// could not be made stays missing, and the ticks draw nothing from it.
struct SaverRecord {
    bool Made = false;               // set-up has run
    DibSurface BackgroundBuffer;     // the frozen screen, collecting the tracks
    DibSurface VehicleImage;         // the painted 50 x 26 vehicle
    DibSurface TrackImage;           // the 6 x 34 tyre-track stamp
    DibSurface ComposeBuffer;        // one 64 x 64 frame box
    std::int32_t Width = 0, Height = 0;  // the window's client size at set-up
    UINT_PTR DriveTimer = 0;             // what SetTimer returned; 0 before
    DriveState Drive;
    DriveRandom Random;
};

extern SaverRecord Saver;

constexpr UINT_PTR DriveTimerId = 1;

// One tick's drawing over the frozen screen: GDI copies the box out of the
// background context, and `Pixels` (an accessor over each surface) does the
// per-pixel work.  The saver runs it on its surfaces' memory; GdiPixels over
// the same kind of contexts gives the reference that tests compare it with.
template <class Pixels>
void DrawSaverFrame(const DriveFrame& frame, HDC backgroundContext, const Pixels& background, HDC composeContext,
                    const Pixels& compose, const Pixels& vehicle, const Pixels& tracks)
{
    DrawDriveFrame(frame, background, compose, vehicle, tracks, [&](std::int32_t left, std::int32_t top) {
        BitBlt(composeContext, 0, 0, VehicleBoxSize, VehicleBoxSize, backgroundContext, left, top, SRCCOPY);
        // The vehicle is drawn over the box next, perhaps straight into memory.
        GdiFlush();
    });
}

#endif
