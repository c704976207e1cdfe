// Scaled displays: the factor a DPI gives, and a drive on a scaled monitor
// against the model's drive on a picture of its design grid.
#include <gtest/gtest.h>

#include <utility>

#include "animation/scaled_drive.h"
#include "tools/image/image_files.h"
#include "tools/surface/surface.h"

namespace {

TEST(ScaledDrive, TheFactorIsTheWholeNumberNearestDpiOver96WithHalvesRoundingUp)
{
    const std::pair<std::int32_t, std::int32_t> factors[] = {{0, 1},   {96, 1},  {120, 1}, {143, 1}, {144, 2},
                                                             {239, 2}, {240, 3}, {336, 4}, {1 << 30, 16}};
    for (const auto& f : factors)
        EXPECT_EQ(WholeScaleForDpi(f.first), f.second) << f.first << " DPI";
}

// A vehicle on a monitor scaled by k draws in true pixels exactly what the
// model draws on a picture of the design grid's size, each pixel a k x k
// block; true pixels off the grid keep the frozen picture.
TEST(ScaledDrive, EveryTickIsTheModelsTickWithEachDesignPixelAWholeBlock)
{
    Surface vehicle, tracks;
    ASSERT_TRUE(LoadImageFile(RUXA_ART_DIR "/vehicle.bmp", vehicle));
    ASSERT_TRUE(LoadImageFile(RUXA_ART_DIR "/tracks.bmp", tracks));
    for (std::int32_t k : {1, 2, 3}) {
        SCOPED_TRACE(testing::Message() << "k = " << k);
        // An area of odd size in a larger picture: at k > 1 a strip of it
        // lies off the design grid.
        const DriveArea area = {37, 23, 301, 215, k}, grid = CoveredArea(area);
        Surface model = MakeSurface(DesignWidth(area), DesignHeight(area), 0);
        Surface shared = MakeSurface(400, 300, 0), frozen = shared;
        for (std::int32_t y = 0; y < shared.Height; ++y)
            for (std::int32_t x = 0; x < shared.Width; ++x) {
                const std::int32_t u = (x - grid.Left) / k, v = (y - grid.Top) / k;
                const Colour colour = Colour((x * 2654435761u + y * 40503u) & 0x00FFFFFF);
                frozen.Write(x, y, colour);
                model.Write(u, v, colour);  // the grid's blocks take their last pixel's colour
            }
        for (std::int32_t y = 0; y < grid.Height; ++y)
            for (std::int32_t x = 0; x < grid.Width; ++x)
                frozen.Write(grid.Left + x, grid.Top + y, model.Read(x / k, y / k));
        shared = frozen;
        Surface modelBox = MakeSurface(VehicleBoxSize, VehicleBoxSize, 0);
        Surface box = MakeSurface(ScaledBoxSize(area), ScaledBoxSize(area), 0);

        DriveState state;
        DriveRandom random;
        SeedDriveRandom(random, 7);
        StartDrive(state, random, model.Width, model.Height);
        int boxDifferences = 0, overEdges = 0;
        for (int tick = 1; tick <= 1500; ++tick) {
            const DriveFrame frame = StepDrive(state, random, model.Width, model.Height);
            DrawDriveFrameOnSurfaces(frame, model, modelBox, vehicle, tracks);
            DrawScaledDriveFrame(frame, area, shared, box, vehicle, tracks, [&](std::int32_t left, std::int32_t top) {
                CopyRect(box, 0, 0, box.Width, box.Height, shared, left, top);
            });
            overEdges += !model.Contains(frame.BoxLeft, frame.BoxTop) ||
                         !model.Contains(frame.BoxLeft + VehicleBoxSize - 1, frame.BoxTop + VehicleBoxSize - 1);
            // The box where it shows the grid (the rest is never shown).
            for (std::int32_t v = 0; v < box.Height; ++v)
                for (std::int32_t u = 0; u < box.Width; ++u)
                    if (model.Contains(frame.BoxLeft + u / k, frame.BoxTop + v / k))
                        boxDifferences += box.Read(u, v) != modelBox.Read(u / k, v / k);
        }
        EXPECT_GT(overEdges, 100) << "the run should reach over the grid's edges often";
        EXPECT_EQ(boxDifferences, 0);
        int differences = 0, marked = 0;
        for (std::int32_t y = 0; y < shared.Height; ++y)
            for (std::int32_t x = 0; x < shared.Width; ++x) {
                const std::int32_t u = x - grid.Left, v = y - grid.Top;
                const bool onGrid = u >= 0 && v >= 0 && u < grid.Width && v < grid.Height;
                differences += shared.Read(x, y) != (onGrid ? model.Read(u / k, v / k) : frozen.Read(x, y));
                marked += shared.Read(x, y) != frozen.Read(x, y);
            }
        EXPECT_GT(marked, 1000 * k * k) << "tracks should have been stamped";
        EXPECT_EQ(differences, 0);
    }
}

}  // namespace
