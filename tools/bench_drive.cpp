// Native benchmark of the drive animation's pure code: the steering tick
// alone, and a whole tick and a preview frame's turned drawing, each over the
// tools' in-memory pictures and over 32-bit bitmap memory through the
// module's accessor; and the whole tick in bitmap memory on a monitor
// scaled by 2 beside it.  Reports medians in nanoseconds over thousands of
// ticks.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "animation/drive.h"
#include "animation/fixed_trig.h"
#include "animation/pixel_memory.h"
#include "animation/scaled_drive.h"
#include "tools/image/image_files.h"

namespace {

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

template <class Run>
double Nanoseconds(Run run)
{
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::nano>(t1 - t0).count();
}

std::vector<std::uint32_t> BitmapBits(const Surface& picture)
{
    std::vector<std::uint32_t> bits;
    for (Colour c : picture.Pixels)
        bits.push_back(PixelFromColour(c));
    return bits;
}

// The box copy that the platform's bit-block transfer does on the module's
// memory path, clipped to the background.
void CopyBox(const PixelMemory& background, const PixelMemory& box, std::int32_t left, std::int32_t top)
{
    for (std::int32_t v = 0; v < box.Height; ++v)
        for (std::int32_t u = 0; u < box.Width; ++u)
            if (background.Contains(left + u, top + v))
                box.Write(u, v, background.Read(left + u, top + v));
}

// The in-memory pictures (one call per pixel, as the platform's per-pixel
// calls) against the module's bitmap-memory accessor.
void Report(const char* what, const std::vector<double>& surface, const std::vector<double>& memory)
{
    const double s = Median(surface), m = Median(memory);
    std::printf("native  %-32s in-memory pictures %8.0f ns   bitmap memory %8.0f ns   ratio %4.2f\n", what, s, m,
                s / m);
}

}  // namespace

int main(int argc, char** argv)
{
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 20000;
    const std::int32_t width = 1024, height = 768;
    Surface vehicle, tracks;
    if (!LoadImageFile(RUXA_ART_DIR "/vehicle.bmp", vehicle) || !LoadImageFile(RUXA_ART_DIR "/tracks.bmp", tracks)) {
        std::fprintf(stderr, "bench_drive: cannot read the bitmaps in %s\n", RUXA_ART_DIR);
        return 1;
    }
    Surface background = MakeSurface(width, height, 0x00808000);
    Surface compose = MakeSurface(VehicleBoxSize, VehicleBoxSize, 0);

    DriveState state;
    DriveRandom random;
    SeedDriveRandom(random, 1);
    StartDrive(state, random, width, height);

    // The memory path's surfaces: the same pictures as 32-bit bitmap memory.
    std::vector<std::uint32_t> backgroundBits = BitmapBits(background), composeBits = BitmapBits(compose);
    std::vector<std::uint32_t> vehicleBits = BitmapBits(vehicle), trackBits = BitmapBits(tracks);
    const PixelMemory backgroundMemory{backgroundBits.data(), width, height};
    const PixelMemory composeMemory{composeBits.data(), VehicleBoxSize, VehicleBoxSize};
    const PixelMemory vehicleMemory{vehicleBits.data(), vehicle.Width, vehicle.Height};
    const PixelMemory trackMemory{trackBits.data(), tracks.Width, tracks.Height};
    DriveState memoryState = state;
    DriveRandom memoryRandom = random;

    // The same screen scaled by 2: the drive on its 512 x 384 design grid,
    // drawn into the true pixels with the module's scaled view.
    DriveArea scaledArea = {0, 0, width, height};
    scaledArea.Scale = 2;
    const std::int32_t scaledBox = ScaledBoxSize(scaledArea);
    std::vector<std::uint32_t> scaledBackgroundBits = backgroundBits, scaledComposeBits(scaledBox * scaledBox);
    const PixelMemory scaledBackground{scaledBackgroundBits.data(), width, height};
    const PixelMemory scaledCompose{scaledComposeBits.data(), scaledBox, scaledBox};
    DriveState scaledState;
    DriveRandom scaledRandom;
    SeedDriveRandom(scaledRandom, 1);
    StartDrive(scaledState, scaledRandom, DesignWidth(scaledArea), DesignHeight(scaledArea));

    std::vector<double> stepOnly, surfaceTick, memoryTick, scaledTick, surfacePreview, memoryPreview;
    Surface square = MakeSurface(64, 64, 0);
    std::vector<std::uint32_t> squareBits(64 * 64);
    const PixelMemory squareMemory{squareBits.data(), 64, 64};
    volatile std::int32_t sink = 0;
    for (int i = 0; i < ticks; ++i) {
        DriveState copy = state;
        DriveRandom copyRandom = random;
        stepOnly.push_back(Nanoseconds([&] { sink = sink + StepDrive(copy, copyRandom, width, height).BoxLeft; }));

        surfaceTick.push_back(Nanoseconds([&] {
            DriveFrame frame = StepDrive(state, random, width, height);
            DrawDriveFrameOnSurfaces(frame, background, compose, vehicle, tracks);
        }));
        memoryTick.push_back(Nanoseconds([&] {
            DriveFrame frame = StepDrive(memoryState, memoryRandom, width, height);
            DrawDriveFrame(frame, backgroundMemory, composeMemory, vehicleMemory, trackMemory,
                           [&](std::int32_t left, std::int32_t top) { CopyBox(backgroundMemory, composeMemory, left, top); });
        }));

        scaledTick.push_back(Nanoseconds([&] {
            DriveFrame frame = StepDrive(scaledState, scaledRandom, DesignWidth(scaledArea), DesignHeight(scaledArea));
            DrawScaledDriveFrame(frame, scaledArea, scaledBackground, scaledCompose, vehicleMemory, trackMemory,
                                 [&](std::int32_t left, std::int32_t top) {
                                     CopyBox(scaledBackground, scaledCompose, left, top);
                                 });
        }));

        // The turned vehicle of a configure preview frame, at every heading in turn.
        const std::int32_t angle = i % 360;
        surfacePreview.push_back(Nanoseconds([&] {
            DrawRotatedSprite(square, 64, vehicle, VehiclePictureHeight, VehiclePictureWidth, FixedSin(angle),
                              FixedCos(angle));
        }));
        memoryPreview.push_back(Nanoseconds([&] {
            DrawRotatedSprite(squareMemory, 64, vehicleMemory, VehiclePictureHeight, VehiclePictureWidth,
                              FixedSin(angle), FixedCos(angle));
        }));
    }
    std::printf("native  steering tick alone (StepDrive)              median %10.0f ns over %d ticks\n",
                Median(stepOnly), ticks);
    Report("whole tick", surfaceTick, memoryTick);
    std::printf("native  whole tick at k = 2, bitmap memory     median %10.0f ns, %4.2f times the tick at k = 1\n",
                Median(scaledTick), Median(scaledTick) / Median(memoryTick));
    Report("preview frame's turned vehicle", surfacePreview, memoryPreview);
    return 0;
}
