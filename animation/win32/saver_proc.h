// The saver window's own procedure and the animation's process-wide record.
#ifndef RUXA_ANIMATION_WIN32_SAVER_PROC_H
#define RUXA_ANIMATION_WIN32_SAVER_PROC_H

#include <windows.h>

#include <cstdint>

#include "animation/scaled_drive.h"
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
    DibSurface ComposeBuffer;        // one frame box, 64 design pixels square
    std::int32_t Width = 0, Height = 0;  // the window's client size at set-up
    UINT_PTR DriveTimer = 0;             // what SetTimer returned; 0 before
    // One vehicle per monitor that shows the window (in the preview, one
    // over the whole window), each driving in its own area of the window
    // and drawing from the one generator in turn.
    int VehicleCount = 0;
    DriveArea Areas[MaxDriveAreas];
    DriveState Drives[MaxDriveAreas];
    DriveRandom Random;
    // Nonzero: the generator's seed, so that tests know the path; 0 (as the
    // program leaves it): the time at set-up.
    std::uint32_t Seed = 0;
    // Nonzero: the DPI of every monitor, so that tests choose the factor;
    // 0 (as the program leaves it): each monitor's own.
    std::int32_t Dpi = 0;
};

extern SaverRecord Saver;

// The window's one timer, which the host holds while nobody can see the saver.
constexpr UINT_PTR DriveTimerId = ScreenSaverTimerId;

// One vehicle's tick of drawing over the frozen screen, inside its area:
// GDI copies the box out of the background context, and `Pixels` (an
// accessor over each surface) does the per-pixel work, which the area's
// view keeps off the other monitors and its monitor's factor scales.  The
// frame is in the design grid of the area.  The saver runs it on its
// surfaces' memory, or through GdiPixels over their contexts where they
// have none.
template <class Pixels>
void DrawSaverFrame(const DriveFrame& frame, const DriveArea& area, HDC backgroundContext,
                    const Pixels& background, HDC composeContext, const Pixels& compose, const Pixels& vehicle,
                    const Pixels& tracks)
{
    const std::int32_t box = ScaledBoxSize(area);
    DrawScaledDriveFrame(frame, area, background, compose, vehicle, tracks, [&](std::int32_t left, std::int32_t top) {
        BitBlt(composeContext, 0, 0, box, box, backgroundContext, left, top, SRCCOPY);
        // The vehicle is drawn over the box next, perhaps straight into memory.
        GdiFlush();
    });
}

// Shows the composed box on the window, only the part that the area's
// design grid covers: a box that reaches over its monitor's edge is cut
// there, as the screen's own edge cuts it.
inline void ShowSaverBox(HDC windowContext, const DriveFrame& frame, const DriveArea& area, HDC composeContext)
{
    const std::int32_t left = area.Left + frame.BoxLeft * area.Scale, top = area.Top + frame.BoxTop * area.Scale;
    const PixelRect shown = ClipBoxToArea(CoveredArea(area), left, top, ScaledBoxSize(area));
    if (shown.Right > shown.Left && shown.Bottom > shown.Top)
        BitBlt(windowContext, shown.Left, shown.Top, shown.Right - shown.Left, shown.Bottom - shown.Top,
               composeContext, shown.Left - left, shown.Top - top, SRCCOPY);
}

#endif
