// Scaled displays: the factor a DPI gives, design pixels as blocks of true
// pixels, and a drive on a scaled monitor against the model on a picture of
// its design grid.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "animation/scaled_drive.h"
#include "tools/image/image_files.h"
#include "tools/surface/surface.h"

namespace {

TEST(ScaledPixels, TheWholeFactorIsTheNearestToDpiOver96WithHalvesRoundingUp)
{
    const std::pair<std::int32_t, std::int32_t> factors[] = {
        {0, 1},   {72, 1},  {96, 1},  {120, 1}, {143, 1}, {144, 2}, {168, 2},
        {192, 2}, {239, 2}, {240, 3}, {288, 3}, {335, 3}, {336, 4}, {100000, 16}};
    for (const auto& f : factors)
        EXPECT_EQ(WholeScaleForDpi(f.first), f.second) << f.first << " DPI";
}

// A picture that counts the writes that land on each of its pixels.
struct CountingPicture {
    Surface Picture;
    std::vector<int> Writes;

    Colour Read(std::int32_t x, std::int32_t y) const { return Picture.Read(x, y); }
    void Write(std::int32_t x, std::int32_t y, Colour colour)
    {
        if (Picture.Contains(x, y))
            ++Writes[std::size_t(y) * std::size_t(Picture.Width) + std::size_t(x)];
        Picture.Write(x, y, colour);
    }
};

TEST(ScaledPixels, DesignPixelsTileTheTruePictureWithoutGapOrOverlapAtAnyScale)
{
    const std::int32_t width = 37, height = 21;
    const std::pair<std::int32_t, std::int32_t> scales[] = {{1, 1},    {2, 1},    {3, 1},    {96, 96}, {120, 96},
                                                            {144, 96}, {168, 96}, {192, 96}, {72, 96}};
    for (const auto& scale : scales) {
        const std::int32_t num = scale.first, den = scale.second;
        SCOPED_TRACE(testing::Message() << num << "/" << den);
        const std::int32_t trueWidth = ScaledEdge(width, num, den), trueHeight = ScaledEdge(height, num, den);
        CountingPicture picture{MakeSurface(trueWidth, trueHeight, 0), std::vector<int>(trueWidth * trueHeight)};
        const auto view = ScaledView(picture, num, den);
        for (std::int32_t y = -1; y <= height; ++y)
            for (std::int32_t x = -1; x <= width; ++x)
                view.Write(x, y, Colour(1 + y * width + x));
        for (std::int32_t y = 0; y < trueHeight; ++y)
            for (std::int32_t x = 0; x < trueWidth; ++x) {
                const std::int32_t u = DesignPosition(x, num, den), v = DesignPosition(y, num, den);
                ASSERT_EQ(picture.Writes[std::size_t(y * trueWidth + x)], 1) << x << "," << y;
                ASSERT_EQ(picture.Picture.Read(x, y), Colour(1 + v * width + u)) << x << "," << y;
                // The block starts at the design pixel's edge and ends before the next one's.
                ASSERT_TRUE(ScaledEdge(u, num, den) <= x && x < ScaledEdge(u + 1, num, den));
                ASSERT_EQ(view.Read(u, v), Colour(1 + v * width + u));
            }
    }
}

// A vehicle on a monitor scaled by k draws in true pixels exactly what the
// model draws on a picture of the design grid's size, each pixel a k x k
// block, tick by tick; true pixels off the grid keep the frozen picture.
TEST(ScaledDrive, EveryTickIsTheModelsTickWithEachDesignPixelAWholeBlock)
{
    Surface vehicle, tracks;
    ASSERT_TRUE(LoadImageFile(RUXA_ART_DIR "/vehicle.bmp", vehicle));
    ASSERT_TRUE(LoadImageFile(RUXA_ART_DIR "/tracks.bmp", tracks));
    auto pattern = [](std::int32_t x, std::int32_t y, std::uint32_t salt) {
        return Colour((std::uint32_t(x) * 2654435761u + std::uint32_t(y) * 40503u + salt) & 0x00FFFFFF);
    };
    for (std::int32_t k : {1, 2, 3}) {
        SCOPED_TRACE(testing::Message() << "k = " << k);
        // An area of odd size in a larger picture: at k > 1 a strip of it
        // lies off the design grid.
        DriveArea area = {37, 23, 301, 215};
        area.Scale = k;
        const std::int32_t designWidth = DesignWidth(area), designHeight = DesignHeight(area);
        const DriveArea covered = CoveredArea(area);
        Surface model = MakeSurface(designWidth, designHeight, 0);
        for (std::int32_t v = 0; v < designHeight; ++v)
            for (std::int32_t u = 0; u < designWidth; ++u)
                model.Write(u, v, pattern(u, v, 1));
        Surface shared = MakeSurface(400, 300, 0);
        for (std::int32_t y = 0; y < shared.Height; ++y)
            for (std::int32_t x = 0; x < shared.Width; ++x) {
                const std::int32_t u = x - covered.Left, v = y - covered.Top;
                const bool onGrid = u >= 0 && v >= 0 && u < covered.Width && v < covered.Height;
                shared.Write(x, y, onGrid ? model.Read(u / k, v / k) : pattern(x, y, 2));
            }
        const Surface frozen = shared;
        Surface modelBox = MakeSurface(VehicleBoxSize, VehicleBoxSize, 0);
        Surface box = MakeSurface(ScaledBoxSize(area), ScaledBoxSize(area), 0);

        DriveState state;
        DriveRandom random;
        SeedDriveRandom(random, 7);
        StartDrive(state, random, designWidth, designHeight);
        int boxDifferences = 0, overEdges = 0;
        for (int tick = 1; tick <= 1500; ++tick) {
            const DriveFrame frame = StepDrive(state, random, designWidth, designHeight);
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
                const std::int32_t u = x - covered.Left, v = y - covered.Top;
                if (u >= 0 && v >= 0 && u < covered.Width && v < covered.Height) {
                    differences += shared.Read(x, y) != model.Read(u / k, v / k);
                    marked += shared.Read(x, y) != frozen.Read(x, y);
                } else {
                    differences += shared.Read(x, y) != frozen.Read(x, y);
                }
            }
        EXPECT_GT(marked, 1000 * k * k) << "tracks should have been stamped";
        EXPECT_EQ(differences, 0);
    }
}

}  // namespace
