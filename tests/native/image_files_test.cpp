// Image files as the tests and tools use them.  The drawn art read back with
// its exact colours is pinned by the art's own tests; here a picture painted
// by the animation's code goes out as a PNG and decodes to the same pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/surface/flood_fill.h"
#include "tools/image/image_files.h"

namespace {

TEST(ImageFiles, APaintedVehicleGoesOutAsAPngThatDecodesBack)
{
    Surface vehicle;
    ASSERT_TRUE(LoadImageFile(RUXA_ART_DIR "/vehicle.bmp", vehicle));
    PaintVehiclePicture(vehicle, 0x0000007F);
    const std::string path = testing::TempDir() + "ruxa_image_test.png";
    ASSERT_TRUE(SavePngFile(path, vehicle));
    Surface back;
    const bool loaded = LoadImageFile(path, back);
    std::remove(path.c_str());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(50, back.Width);
    EXPECT_EQ(26, back.Height);
    EXPECT_EQ(vehicle.Pixels, back.Pixels);
    EXPECT_EQ(0x0000007Fu, back.Read(40, 13)) << "red stays red";
}

TEST(ImageFiles, FailuresLeaveThePictureAlone)
{
    const std::string missing = testing::TempDir() + "ruxa_no_such_file.bmp";
    Surface out = MakeSurface(1, 1, 0x00030201);
    EXPECT_FALSE(LoadImageFile(missing, out));
    EXPECT_EQ(1, out.Width);
    EXPECT_EQ(0x00030201u, out.Read(0, 0));
    EXPECT_FALSE(SavePngFile(testing::TempDir() + "ruxa_empty.png", Surface()));
}

}  // namespace
