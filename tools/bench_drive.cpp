// Native benchmark of the drive animation's pure code: the steering tick
// alone, and a whole tick drawn over in-memory surfaces.  Reports medians in
// nanoseconds over thousands of ticks.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "animation/drive.h"
#include "tools/image/image_files.h"

namespace {

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
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

    typedef std::chrono::steady_clock Clock;
    std::vector<double> stepOnly, wholeTick;
    stepOnly.reserve(ticks);
    wholeTick.reserve(ticks);
    volatile std::int32_t sink = 0;
    for (int i = 0; i < ticks; ++i) {
        DriveState copy = state;
        DriveRandom copyRandom = random;
        Clock::time_point t0 = Clock::now();
        DriveFrame probe = StepDrive(copy, copyRandom, width, height);
        Clock::time_point t1 = Clock::now();
        sink = sink + probe.BoxLeft;
        stepOnly.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());

        Clock::time_point t2 = Clock::now();
        DriveFrame frame = StepDrive(state, random, width, height);
        DrawDriveFrameOnSurfaces(frame, background, compose, vehicle, tracks);
        Clock::time_point t3 = Clock::now();
        wholeTick.push_back(std::chrono::duration<double, std::nano>(t3 - t2).count());
    }
    std::printf("native  steering tick alone (StepDrive)              median %10.0f ns over %d ticks\n",
                Median(stepOnly), ticks);
    std::printf("native  whole tick on in-memory surfaces             median %10.0f ns over %d ticks\n",
                Median(wholeTick), ticks);
    return 0;
}
