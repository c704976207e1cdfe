// Monitors as drive areas: the mapping from the platform's monitor
// rectangles to areas of the saver window, the box clip, and drawing through
// one area's view of the shared picture.
#include <gtest/gtest.h>

#include <vector>

#include "animation/area_pixels.h"
#include "animation/drive.h"
#include "animation/monitor_areas.h"
#include "tools/surface/surface.h"

namespace {

std::vector<DriveArea> Map(std::vector<PixelRect> monitors, int left, int top, int width, int height,
                           int capacity = MaxDriveAreas)
{
    std::vector<DriveArea> areas(std::size_t(capacity) + 1, DriveArea{-9, -9, -9, -9});
    const int count = MapDriveAreas(monitors.data(), int(monitors.size()), left, top, width, height,
                                    areas.data(), capacity);
    EXPECT_EQ(areas[std::size_t(capacity)].Width, -9) << "wrote past the capacity";
    areas.resize(std::size_t(count));
    return areas;
}

::testing::AssertionResult AreasAre(const std::vector<DriveArea>& got, std::vector<DriveArea> expected)
{
    bool same = got.size() == expected.size();
    for (std::size_t i = 0; same && i < got.size(); ++i)
        same = got[i].Left == expected[i].Left && got[i].Top == expected[i].Top &&
               got[i].Width == expected[i].Width && got[i].Height == expected[i].Height;
    if (same)
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure() << "got";
    for (const DriveArea& a : got)
        failure << " (" << a.Left << "," << a.Top << " " << a.Width << "x" << a.Height << ")";
    return failure;
}

TEST(MapDriveAreas, MonitorsBecomeAreasOfTheWindowThatSpansThem)
{
    // One monitor under a window of its size: the whole window, as always.
    EXPECT_TRUE(AreasAre(Map({{0, 0, 1024, 768}}, 0, 0, 1024, 768), {{0, 0, 1024, 768}}));

    // A second, smaller monitor right of the primary.
    EXPECT_TRUE(AreasAre(Map({{0, 0, 1024, 768}, {1024, 0, 1824, 600}}, 0, 0, 1824, 768),
                         {{0, 0, 1024, 768}, {1024, 0, 800, 600}}));
    // Left of it: the virtual screen, and the window, start at -800.
    EXPECT_TRUE(AreasAre(Map({{0, 0, 1024, 768}, {-800, 0, 0, 600}}, -800, 0, 1824, 768),
                         {{800, 0, 1024, 768}, {0, 0, 800, 600}}));
    // Above it, offset sideways.
    EXPECT_TRUE(AreasAre(Map({{0, 0, 1024, 768}, {100, -600, 900, 0}}, 0, -600, 1024, 1368),
                         {{0, 600, 1024, 768}, {100, 0, 800, 600}}));
}

TEST(MapDriveAreas, WhatTheWindowDoesNotCoverAndWhatRepeats)
{
    // A monitor beyond the window gives no area; one partly beyond is cut
    // to the window; a mirrored monitor (the same rectangle) adds nothing.
    EXPECT_TRUE(AreasAre(Map({{0, 0, 1024, 768}, {2000, 0, 2800, 600}, {900, 700, 1700, 1300}, {0, 0, 1024, 768}},
                             0, 0, 1024, 768),
                         {{0, 0, 1024, 768}, {900, 700, 124, 68}}));
    // No monitor known (the platform cannot enumerate), or none under the
    // window: the whole window is the one area.
    EXPECT_TRUE(AreasAre(Map({}, 0, 0, 640, 480), {{0, 0, 640, 480}}));
    EXPECT_TRUE(AreasAre(Map({{5000, 0, 6000, 100}}, 0, 0, 640, 480), {{0, 0, 640, 480}}));
    // No more areas than there is room for.
    EXPECT_TRUE(AreasAre(Map({{0, 0, 10, 10}, {10, 0, 20, 10}, {20, 0, 30, 10}}, 0, 0, 30, 10, 2),
                         {{0, 0, 10, 10}, {10, 0, 10, 10}}));
}

TEST(ClipBoxToArea, TheBoxIsShownOnlyInsideItsArea)
{
    const DriveArea area = {1024, 0, 800, 600};
    PixelRect inside = ClipBoxToArea(area, 1100, 100, 64);
    EXPECT_EQ(1100, inside.Left);
    EXPECT_EQ(100, inside.Top);
    EXPECT_EQ(1164, inside.Right);
    EXPECT_EQ(164, inside.Bottom);
    // Over the left and bottom edges: only the part on this monitor.
    PixelRect corner = ClipBoxToArea(area, 1000, 570, 64);
    EXPECT_EQ(1024, corner.Left);
    EXPECT_EQ(570, corner.Top);
    EXPECT_EQ(1064, corner.Right);
    EXPECT_EQ(600, corner.Bottom);
    PixelRect gone = ClipBoxToArea(area, 1024 + 800, 10, 64);
    EXPECT_LE(gone.Right, gone.Left);
}

TEST(AreaPixels, PositionsAreTheAreasOwnAndItsEdgesClip)
{
    Surface picture = MakeSurface(10, 8, 1);
    auto view = ViewOfArea(picture, DriveArea{3, 2, 4, 3});
    view.Write(0, 0, 7);
    view.Write(3, 2, 8);
    view.Write(4, 0, 9);   // just right of the area
    view.Write(-1, 1, 9);  // just left
    view.Write(0, 3, 9);   // just below
    view.Write(2, -1, 9);  // just above
    EXPECT_EQ(7u, picture.Read(3, 2));
    EXPECT_EQ(8u, picture.Read(6, 4));
    int changed = 0;
    for (Colour pixel : picture.Pixels)
        changed += pixel != 1;
    EXPECT_EQ(2, changed);
    EXPECT_EQ(8u, view.Read(3, 2));
    EXPECT_EQ(OutsideColour, view.Read(4, 0));   // inside the picture, outside the area
    EXPECT_EQ(OutsideColour, view.Read(-4, -3));
}

// A vehicle driving in an area of a shared picture leaves exactly the tracks
// it would leave on a picture of the area's own size, and nothing outside.
TEST(AreaPixels, DrivingInAnAreaEqualsDrivingOnAPictureOfItsSize)
{
    const Colour ground = 0x00808080, key = 0x00FFFFFF;
    Surface tracks = MakeSurface(TrackPictureWidth, TrackPictureHeight, 0x00202020);
    tracks.Write(0, 0, key);
    Surface vehicle = MakeSurface(VehiclePictureWidth, VehiclePictureHeight, 0x000000FF);
    vehicle.Write(0, 0, key);

    const DriveArea area = {120, 90, 200, 150};
    Surface shared = MakeSurface(500, 400, ground), own = MakeSurface(area.Width, area.Height, ground);
    Surface sharedCompose = MakeSurface(VehicleBoxSize, VehicleBoxSize, 0);
    Surface ownCompose = MakeSurface(VehicleBoxSize, VehicleBoxSize, 0);
    auto view = ViewOfArea(shared, area);

    DriveState state;
    DriveRandom random;
    SeedDriveRandom(random, 7);
    StartDrive(state, random, area.Width, area.Height);
    int outsideTicks = 0;
    for (int tick = 0; tick < 2000; ++tick) {
        const DriveFrame frame = StepDrive(state, random, area.Width, area.Height);
        outsideTicks += frame.BoxLeft < 0 || frame.BoxTop < 0 || frame.BoxLeft + VehicleBoxSize > area.Width ||
                        frame.BoxTop + VehicleBoxSize > area.Height;
        DrawDriveFrame(frame, view, sharedCompose, vehicle, tracks, [&](std::int32_t left, std::int32_t top) {
            CopyRect(sharedCompose, 0, 0, VehicleBoxSize, VehicleBoxSize, shared, area.Left + left, area.Top + top);
        });
        DrawDriveFrameOnSurfaces(frame, own, ownCompose, vehicle, tracks);
    }
    ASSERT_GT(outsideTicks, 100) << "the run should reach over the area's edges often";

    int differences = 0, outside = 0, marked = 0;
    for (int y = 0; y < shared.Height; ++y)
        for (int x = 0; x < shared.Width; ++x) {
            const int ax = x - area.Left, ay = y - area.Top;
            if (own.Contains(ax, ay)) {
                differences += shared.Read(x, y) != own.Read(ax, ay);
                marked += own.Read(ax, ay) != ground;
            } else {
                outside += shared.Read(x, y) != ground;
            }
        }
    EXPECT_GT(marked, 1000);
    EXPECT_EQ(0, differences);
    EXPECT_EQ(0, outside);
}

}  // namespace
