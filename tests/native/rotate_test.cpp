// Turned, colour-keyed drawing: exact pixel placement, read counts and the
// order of writes, checked against hand-worked cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <tuple>
#include <vector>

#include "animation/fixed_trig.h"
#include "animation/rotate.h"
#include "tools/surface/surface.h"

namespace {

typedef std::tuple<int, int, Colour> Pixel;  // (x, y, colour)

// A destination that remembers every write in order.
struct RecordingDestination {
    std::vector<Pixel> Writes;
    void Write(std::int32_t x, std::int32_t y, Colour colour) { Writes.emplace_back(x, y, colour); }
};

// A source that counts its reads and remembers where they went.
struct CountingSource {
    Surface Picture;
    int Reads = 0;
    int MinX = 1 << 30, MinY = 1 << 30, MaxX = -1, MaxY = -1;
    Colour Read(std::int32_t x, std::int32_t y)
    {
        ++Reads;
        if (x || y) {  // the key read aside
            MinX = std::min(MinX, int(x));
            MinY = std::min(MinY, int(y));
            MaxX = std::max(MaxX, int(x));
            MaxY = std::max(MaxY, int(y));
        }
        EXPECT_TRUE(Picture.Contains(x, y)) << x << "," << y;
        return Picture.Read(x, y);
    }
};

constexpr Colour K = 0x10, A = 0x11, B = 0x12, C = 0x13, D = 0x14, E = 0x15;

// The 3 x 2 picture: K A B over C D E, K being the key.
CountingSource SmallSource()
{
    CountingSource source;
    source.Picture = MakeSurface(3, 2, K);
    source.Picture.Write(1, 0, A);
    source.Picture.Write(2, 0, B);
    source.Picture.Write(0, 1, C);
    source.Picture.Write(1, 1, D);
    source.Picture.Write(2, 1, E);
    return source;
}

// A picture whose every pixel is distinct and not the key: pixel (x, y) has
// colour 1 + x + 100 * y, so the colour tells where it came from.
CountingSource NumberedSource(int width, int height)
{
    CountingSource source;
    source.Picture = MakeSurface(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            source.Picture.Write(x, y, Colour(1 + x + 100 * y));
    source.Picture.Write(0, 0, 0);  // the key
    return source;
}

struct SmallCase {
    int Sine, Cosine, Reads;
    std::vector<Pixel> Writes;
};

TEST(DrawRotatedSprite, SmallPictureAtTheFourRightAngles)
{
    const SmallCase cases[] = {
        {1000, 0, 7, {{0, 2, C}, {1, 1, A}, {1, 2, D}, {2, 1, B}, {2, 2, E}}},
        {0, 1000, 4, {{2, 0, C}, {2, 1, D}, {2, 2, E}}},
        {0, -1000, 5, {{1, 1, B}, {1, 2, A}, {2, 1, E}, {2, 2, D}}},
        {-1000, 0, 3, {{1, 2, E}, {2, 2, D}}},
    };
    for (const SmallCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << c.Sine << "," << c.Cosine);
        CountingSource source = SmallSource();
        RecordingDestination destination;
        EXPECT_EQ(1, DrawRotatedSprite(destination, 4, source, 2, 3, c.Sine, c.Cosine));
        EXPECT_EQ(c.Reads, source.Reads);
        EXPECT_EQ(c.Writes, destination.Writes);
    }
}

TEST(StampTwinTracks, SmallPictureWritesBothCopiesInOrder)
{
    {
        CountingSource source = SmallSource();
        RecordingDestination destination;
        EXPECT_EQ(1, StampTwinTracks(destination, 4, 100, 200, 15, 0, source, 2, 3, 1000, 0));
        const std::vector<Pixel> expected = {
            {115, 202, C}, {85, 202, C}, {116, 201, A}, {86, 201, A}, {116, 202, D},
            {86, 202, D},  {117, 201, B}, {87, 201, B}, {117, 202, E}, {87, 202, E}};
        EXPECT_EQ(expected, destination.Writes);
        EXPECT_EQ(7, source.Reads);
    }
    {
        CountingSource source = SmallSource();
        RecordingDestination destination;
        StampTwinTracks(destination, 4, 100, 200, 0, 12, source, 2, 3, 0, 1000);
        const std::vector<Pixel> expected = {{102, 212, C}, {102, 188, C}, {102, 213, D},
                                             {102, 189, D}, {102, 214, E}, {102, 190, E}};
        EXPECT_EQ(expected, destination.Writes);
    }
    {
        // No displacement: each drawn pixel twice at the same place.
        CountingSource source = SmallSource();
        RecordingDestination destination;
        StampTwinTracks(destination, 4, 0, 0, 0, 0, source, 2, 3, 0, 1000);
        const std::vector<Pixel> expected = {{2, 0, C}, {2, 0, C}, {2, 1, D},
                                             {2, 1, D}, {2, 2, E}, {2, 2, E}};
        EXPECT_EQ(expected, destination.Writes);
    }
}

struct VehicleCase {
    int Sine, Cosine, Reads;
    // Where source (sx, sy) lands in the box.
    int (*PlaceX)(int sx, int sy);
    int (*PlaceY)(int sx, int sy);
    bool SkipsRow0, SkipsColumn0;
};

TEST(DrawRotatedSprite, VehiclePlacementAtTheFourRightAngles)
{
    const VehicleCase cases[] = {
        {1000, 0, 1301, [](int sx, int) { return sx + 7; }, [](int, int sy) { return sy + 19; }, false, false},
        {0, 1000, 1251, [](int, int sy) { return 45 - sy; }, [](int sx, int) { return sx + 7; }, true, false},
        {0, -1000, 1275, [](int, int sy) { return sy + 19; }, [](int sx, int) { return 57 - sx; }, false, true},
        {-1000, 0, 1226, [](int sx, int) { return 57 - sx; }, [](int, int sy) { return 45 - sy; }, true, true},
    };
    for (const VehicleCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << c.Sine << "," << c.Cosine);
        CountingSource source = NumberedSource(50, 26);
        Surface box = MakeSurface(64, 64, 0);
        DrawRotatedSprite(box, 64, source, 26, 50, c.Sine, c.Cosine);
        EXPECT_EQ(c.Reads, source.Reads);
        int drawn = 0;
        for (int sy = 0; sy < 26; ++sy) {
            for (int sx = 0; sx < 50; ++sx) {
                if (sx == 0 && sy == 0)
                    continue;  // the key
                const bool skipped = (c.SkipsRow0 && sy == 0) || (c.SkipsColumn0 && sx == 0);
                const Colour there = box.Read(c.PlaceX(sx, sy), c.PlaceY(sx, sy));
                if (skipped) {
                    EXPECT_NE(source.Picture.Read(sx, sy), there) << sx << "," << sy;
                } else {
                    EXPECT_EQ(source.Picture.Read(sx, sy), there) << sx << "," << sy;
                    ++drawn;
                }
            }
        }
        // Nothing else was drawn.
        int written = 0;
        for (Colour pixel : box.Pixels)
            written += pixel != 0;
        EXPECT_EQ(drawn, written);
        // The centre pixel lands on the box centre.
        EXPECT_EQ(source.Picture.Read(25, 13), box.Read(32, 32));
    }
}

TEST(DrawRotatedSprite, KeyColourIsNeverDrawnButEveryPixelIsRead)
{
    // An all-key source: every in-source sample is read, nothing is written.
    CountingSource allKey;
    allKey.Picture = MakeSurface(50, 26, 0x00FFFFFF);
    RecordingDestination nothing;
    DrawRotatedSprite(nothing, 64, allKey, 26, 50, 1000, 0);
    EXPECT_TRUE(nothing.Writes.empty());
    EXPECT_EQ(1301, allKey.Reads);

    // A key-coloured pixel in the middle of the picture is skipped as well.
    CountingSource source = NumberedSource(50, 26);
    source.Picture.Write(25, 13, 0);
    Surface box = MakeSurface(64, 64, 0xABCDEF);
    DrawRotatedSprite(box, 64, source, 26, 50, 1000, 0);
    EXPECT_EQ(0xABCDEFu, box.Read(32, 32));
    EXPECT_EQ(source.Picture.Read(26, 13), box.Read(33, 32));
}

TEST(StampTwinTracks, StripWithTheDriveArguments)
{
    const int x = 300, y = 200;
    {
        CountingSource strip = NumberedSource(6, 34);
        RecordingDestination destination;
        StampTwinTracks(destination, 40, x + 12, y + 12, 15, 0, strip, 34, 6, 1000, 0);
        ASSERT_EQ(0u, destination.Writes.size() % 2);
        for (std::size_t i = 0; i < destination.Writes.size(); i += 2) {
            const Colour colour = std::get<2>(destination.Writes[i]);
            const int sx = int(colour - 1) % 100, sy = int(colour - 1) / 100;
            EXPECT_EQ(Pixel(x + 44 + sx, y + 15 + sy, colour), destination.Writes[i]);
            EXPECT_EQ(Pixel(x + 14 + sx, y + 15 + sy, colour), destination.Writes[i + 1]);
        }
        EXPECT_EQ(2u * (6 * 34 - 1), destination.Writes.size());
        const Colour centre = strip.Picture.Read(3, 17);
        EXPECT_NE(std::find(destination.Writes.begin(), destination.Writes.end(), Pixel(x + 47, y + 32, centre)),
                  destination.Writes.end());
        EXPECT_NE(std::find(destination.Writes.begin(), destination.Writes.end(), Pixel(x + 17, y + 32, centre)),
                  destination.Writes.end());
    }
    {
        CountingSource strip = NumberedSource(6, 34);
        RecordingDestination destination;
        StampTwinTracks(destination, 40, x + 12, y + 12, 0, 12, strip, 34, 6, 0, 1000);
        for (std::size_t i = 0; i < destination.Writes.size(); i += 2) {
            const Colour colour = std::get<2>(destination.Writes[i]);
            const int sx = int(colour - 1) % 100, sy = int(colour - 1) / 100;
            EXPECT_NE(0, sy);  // row 0 is not drawn
            EXPECT_EQ(Pixel(x + 49 - sy, y + 41 + sx, colour), destination.Writes[i]);
            EXPECT_EQ(Pixel(x + 49 - sy, y + 17 + sx, colour), destination.Writes[i + 1]);
        }
        EXPECT_EQ(2u * (6 * 33), destination.Writes.size());
    }
}

// The same mapping written with direct products and no running sums: the
// loops must produce exactly this for every direction.
std::vector<Pixel> DirectMapping(int boxSize, const Surface& source, int sine, int cosine)
{
    const std::int64_t s = sine, c = cosine, S = boxSize, W = source.Width, H = source.Height;
    const Colour key = source.Read(0, 0);
    auto span = [&](std::int64_t p, std::int64_t q, std::int64_t& lo, std::int64_t& hi) {
        lo = std::min({std::int64_t(0), p, S - p, q, S - q});
        hi = std::max({std::int64_t(0), p, S - p, q, S - q});
    };
    std::int64_t x0, x1, y0, y1;
    span(S / 2 + (W / 2 * s - H / 2 * c) / 1000, S / 2 - (W / 2 * s + H / 2 * c) / 1000, x0, x1);
    span(S / 2 + (W / 2 * c + H / 2 * s) / 1000, S / 2 + (W / 2 * c - H / 2 * s) / 1000, y0, y1);
    const std::int64_t offX = (W - (S * (s + c)) / 1000) / 2, offY = (H + (S * (c - s)) / 1000) / 2;
    std::vector<Pixel> out;
    for (std::int64_t u = x0; u < x1; ++u)
        for (std::int64_t v = y0; v < y1; ++v) {
            const std::int64_t sx = (u * s + v * c) / 1000 + offX, sy = (v * s - u * c) / 1000 + offY;
            if (sx < 0 || sx >= W || sy < 0 || sy >= H)
                continue;
            const Colour colour = source.Read(int(sx), int(sy));
            if (colour != key)
                out.emplace_back(int(u), int(v), colour);
        }
    return out;
}

TEST(DrawRotatedSprite, RunningSumsEqualDirectProductsForManyDirections)
{
    std::vector<std::pair<int, int>> directions;
    for (int heading = 0; heading < 360; ++heading)
        directions.emplace_back(FixedSin(heading), FixedCos(heading));
    directions.emplace_back(499, 866);
    directions.emplace_back(242, 970);
    directions.emplace_back(-7, 3);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> component(-1500, 1500);
    for (int i = 0; i < 200; ++i)
        directions.emplace_back(component(random), component(random));

    const CountingSource vehicle = NumberedSource(50, 26), strip = NumberedSource(6, 34);
    for (const auto& d : directions) {
        SCOPED_TRACE(testing::Message() << "direction " << d.first << "," << d.second);
        CountingSource source = vehicle;
        RecordingDestination sprite;
        DrawRotatedSprite(sprite, 64, source, 26, 50, d.first, d.second);
        EXPECT_EQ(DirectMapping(64, vehicle.Picture, d.first, d.second), sprite.Writes);

        CountingSource stripSource = strip;
        RecordingDestination stamp;
        StampTwinTracks(stamp, 40, 7, -3, 2, -5, stripSource, 34, 6, d.first, d.second);
        std::vector<Pixel> expected;
        for (const Pixel& w : DirectMapping(40, strip.Picture, d.first, d.second)) {
            expected.emplace_back(7 + std::get<0>(w) + 2, -3 + std::get<1>(w) - 5, std::get<2>(w));
            expected.emplace_back(7 + std::get<0>(w) - 2, -3 + std::get<1>(w) + 5, std::get<2>(w));
        }
        EXPECT_EQ(expected, stamp.Writes);
    }
}

// The cost of a drawing is bounded by its visited rectangle; with the
// program's sizes every write stays inside the box.
TEST(DrawRotatedSprite, VisitedRectangleStaysSmallAndWritesStayInTheBox)
{
    std::int64_t largestVehicle = 0, largestStrip = 0;
    for (int heading = 0; heading < 360; ++heading) {
        SCOPED_TRACE(heading);
        const int s = FixedSin(heading), c = FixedCos(heading);
        const rotate_detail::VisitedRect v = rotate_detail::VisitedBounds(64, 26, 50, s, c);
        const rotate_detail::VisitedRect t = rotate_detail::VisitedBounds(40, 34, 6, s, c);
        EXPECT_LE(v.XMin, 0);
        EXPECT_LE(v.YMin, 0);
        EXPECT_LE(t.XMin, 0);
        EXPECT_LE(t.YMin, 0);
        largestVehicle = std::max(largestVehicle, (v.XMax - v.XMin) * (v.YMax - v.YMin));
        largestStrip = std::max(largestStrip, (t.XMax - t.XMin) * (t.YMax - t.YMin));
        CountingSource vehicle = NumberedSource(50, 26);
        RecordingDestination box;
        DrawRotatedSprite(box, 64, vehicle, 26, 50, s, c);
        EXPECT_GE(vehicle.Reads, 1213);
        EXPECT_LE(vehicle.Reads, 1358);
        for (const Pixel& w : box.Writes) {
            EXPECT_GE(std::get<0>(w), 0);
            EXPECT_LT(std::get<0>(w), 64);
            EXPECT_GE(std::get<1>(w), 0);
            EXPECT_LT(std::get<1>(w), 64);
        }
        CountingSource strip = NumberedSource(6, 34);
        RecordingDestination stamp;
        StampTwinTracks(stamp, 40, 0, 0, 0, 0, strip, 34, 6, s, c);
        EXPECT_GE(strip.Reads, 151);
        EXPECT_LE(strip.Reads, 240);
        for (const Pixel& w : stamp.Writes) {
            EXPECT_GE(std::get<0>(w), 0);
            EXPECT_LT(std::get<0>(w), 40);
            EXPECT_GE(std::get<1>(w), 0);
            EXPECT_LT(std::get<1>(w), 40);
        }
    }
    // The bounds are reached, never passed.
    EXPECT_EQ(3422, largestVehicle);
    EXPECT_EQ(1156, largestStrip);
}

}  // namespace
