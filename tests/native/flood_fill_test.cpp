// Surface flood fill and the vehicle's body painting over in-memory pictures.
#include <gtest/gtest.h>

#include <string>

#include "tools/surface/flood_fill.h"
#include "tools/image/image_files.h"

namespace {

const Colour Blue = PictureBodyColour, White = PictureBackgroundColour, Black = 0, Red = 0x0000007F;

// Rows of characters: '.' white, 'B' blue, '#' black.
Surface Picture(const std::vector<std::string>& rows)
{
    Surface s = MakeSurface(int(rows[0].size()), int(rows.size()), White);
    for (int y = 0; y < s.Height; ++y)
        for (int x = 0; x < s.Width; ++x)
            s.Write(x, y, rows[y][x] == 'B' ? Blue : rows[y][x] == '#' ? Black : White);
    return s;
}

TEST(FloodFillSurface, FillsTheFourConnectedRegionOnly)
{
    Surface s = Picture({"BB#B.",
                         "#B#.B",
                         "BBB#B",
                         "...#B"});
    EXPECT_EQ(6, FloodFillSurface(s, 0, 0, Blue, Red));
    const Surface expected = [] {
        Surface e = Picture({"BB#B.", "#B#.B", "BBB#B", "...#B"});
        for (auto p : {std::make_pair(0, 0), {1, 0}, {1, 1}, {0, 2}, {1, 2}, {2, 2}})
            e.Write(p.first, p.second, Red);
        return e;
    }();
    EXPECT_EQ(expected.Pixels, s.Pixels);  // (3, 0) and (4, 1) touch only diagonally

    // Seed of another colour, seed outside, fill over its own colour: nothing.
    const Surface before = s;
    EXPECT_EQ(0, FloodFillSurface(s, 2, 0, Blue, Red));
    EXPECT_EQ(0, FloodFillSurface(s, -1, 0, Blue, Red));
    EXPECT_EQ(0, FloodFillSurface(s, 5, 0, Blue, Red));
    EXPECT_EQ(0, FloodFillSurface(s, 4, 1, Blue, Blue));
    EXPECT_EQ(before.Pixels, s.Pixels);

    // A large open picture fills completely (no recursion to run out of).
    Surface big = MakeSurface(1500, 1000, White);
    EXPECT_EQ(1500 * 1000, FloodFillSurface(big, 700, 300, White, Blue));
}

class VehiclePicture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LoadImageFile(std::string(RUXA_ART_DIR) + "/vehicle.bmp", Loaded))
            << "the build draws vehicle.bmp before the tests";
    }
    int Count(const Surface& s, Colour c) const
    {
        int n = 0;
        for (Colour p : s.Pixels)
            n += p == c;
        return n;
    }
    Surface Loaded;
};

TEST_F(VehiclePicture, EachSeedFillsOneBodyRegion)
{
    ASSERT_EQ(50, Loaded.Width);
    ASSERT_EQ(26, Loaded.Height);
    Surface s = Loaded;
    const int sizes[7] = {258, 226, 7, 14, 14, 14, 7};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(sizes[i], FloodFillSurface(s, VehicleBodySeeds[i].X, VehicleBodySeeds[i].Y, Blue, Red)) << i;
    EXPECT_EQ(0, Count(s, Blue));
    EXPECT_EQ(540, Count(s, Red));
}

TEST_F(VehiclePicture, PaintingByColour)
{
    const int background = Count(Loaded, White);
    EXPECT_EQ(212, background);
    EXPECT_EQ(540, Count(Loaded, Blue));

    for (Colour paint : {Red, Black, Blue, Colour(0x00123456)}) {
        Surface s = Loaded;
        PaintVehiclePicture(s, paint);
        EXPECT_EQ(White, s.Read(0, 0));
        for (std::size_t i = 0; i < s.Pixels.size(); ++i) {
            const Colour was = Loaded.Pixels[i];
            EXPECT_EQ(was == Blue ? paint : was, s.Pixels[i]) << paint << " at " << i;
        }
    }
    // White body: the background turns blue and becomes the key.
    Surface s = Loaded;
    PaintVehiclePicture(s, White);
    EXPECT_EQ(Blue, s.Read(0, 0));
    for (std::size_t i = 0; i < s.Pixels.size(); ++i) {
        const Colour was = Loaded.Pixels[i];
        EXPECT_EQ(was == Blue ? White : was == White ? Blue : was, s.Pixels[i]) << i;
    }
}

}  // namespace
