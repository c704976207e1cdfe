// The saver's memory pixel accessor: the bitmap layout it reads and writes,
// its edges, a missing surface, and a whole drive drawn through it against
// the same drive on in-memory pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "animation/drive.h"
#include "animation/pixel_memory.h"
#include "tools/image/image_files.h"
#include "tools/surface/surface.h"

namespace {

TEST(PixelMemory, ReadsAndWritesTheBitmapLayoutAndIgnoresTheTopByte)
{
    // Memory is 0x00RRGGBB; a Colour is 0x00BBGGRR.
    std::vector<std::uint32_t> bits = {0x00112233, 0xFF445566, 0, 0, 0, 0};
    const PixelMemory memory{bits.data(), 3, 2};
    EXPECT_EQ(memory.Read(0, 0), Colour(0x00332211));
    EXPECT_EQ(memory.Read(1, 0), Colour(0x00665544)) << "the unused top byte must not reach the colour";
    memory.Write(2, 1, 0x00ABCDEF);
    EXPECT_EQ(bits[5], 0x00EFCDABu);
    memory.Write(0, 1, 0x00000001);  // a red of 1 is the pixel's third byte
    EXPECT_EQ(bits[3], 0x00010000u);

    // Outside: the invalid colour on reads, nothing on writes.
    const std::vector<std::uint32_t> before = bits;
    for (auto at : {std::make_pair(-1, 0), {3, 0}, {0, -1}, {0, 2}, {-5, 7}}) {
        EXPECT_EQ(memory.Read(at.first, at.second), OutsideColour);
        memory.Write(at.first, at.second, 0x00FFFFFF);
    }
    EXPECT_EQ(bits, before);

    // A missing surface: every read is outside and writes go nowhere.
    const PixelMemory missing;
    EXPECT_EQ(missing.Read(0, 0), OutsideColour);
    missing.Write(0, 0, 0);
}

// Memory laid out as a 32-bit top-down bitmap, filled from a picture.
std::vector<std::uint32_t> BitmapOf(const Surface& picture)
{
    std::vector<std::uint32_t> bits;
    for (Colour c : picture.Pixels)
        bits.push_back(PixelFromColour(c) | 0xFF000000u);  // as some platforms leave the top byte
    return bits;
}

Surface SurfaceOf(const std::vector<std::uint32_t>& bits, std::int32_t width, std::int32_t height)
{
    Surface picture = MakeSurface(width, height, 0);
    for (std::size_t i = 0; i < bits.size(); ++i)
        picture.Pixels[i] = ColourFromPixel(bits[i]);
    return picture;
}

TEST(PixelMemory, ADriveThroughMemoryDrawsTheSameFramesAsOnInMemoryPictures)
{
    Surface vehicle, tracks;
    ASSERT_TRUE(LoadImageFile(RUXA_ART_DIR "/vehicle.bmp", vehicle));
    ASSERT_TRUE(LoadImageFile(RUXA_ART_DIR "/tracks.bmp", tracks));
    // A small window, so the vehicle meets every edge and the boxes leave it.
    const std::int32_t width = 180, height = 130;
    Surface background = MakeSurface(width, height, 0), compose = MakeSurface(VehicleBoxSize, VehicleBoxSize, 0);
    for (std::int32_t i = 0; i < width * height; ++i)
        background.Pixels[std::size_t(i)] = Colour(i * 2654435761u) & 0x00FFFFFF;

    std::vector<std::uint32_t> backgroundBits = BitmapOf(background), composeBits = BitmapOf(compose);
    std::vector<std::uint32_t> vehicleBits = BitmapOf(vehicle), trackBits = BitmapOf(tracks);
    const PixelMemory backgroundMemory{backgroundBits.data(), width, height};
    const PixelMemory composeMemory{composeBits.data(), VehicleBoxSize, VehicleBoxSize};
    const PixelMemory vehicleMemory{vehicleBits.data(), vehicle.Width, vehicle.Height};
    const PixelMemory trackMemory{trackBits.data(), tracks.Width, tracks.Height};

    DriveState state;
    DriveRandom random;
    SeedDriveRandom(random, 7);
    StartDrive(state, random, width, height);
    for (int tick = 1; tick <= 2000; ++tick) {
        const DriveFrame frame = StepDrive(state, random, width, height);
        DrawDriveFrameOnSurfaces(frame, background, compose, vehicle, tracks);
        DrawDriveFrame(frame, backgroundMemory, composeMemory, vehicleMemory, trackMemory,
                       [&](std::int32_t left, std::int32_t top) {
                           Surface box = SurfaceOf(composeBits, VehicleBoxSize, VehicleBoxSize);
                           CopyRect(box, 0, 0, VehicleBoxSize, VehicleBoxSize,
                                    SurfaceOf(backgroundBits, width, height), left, top);
                           const std::vector<std::uint32_t> boxBits = BitmapOf(box);
                           std::copy(boxBits.begin(), boxBits.end(), composeBits.begin());
                       });
        if (tick % 50 == 0) {
            ASSERT_EQ(SurfaceOf(backgroundBits, width, height).Pixels, background.Pixels) << "tick " << tick;
            ASSERT_EQ(SurfaceOf(composeBits, VehicleBoxSize, VehicleBoxSize).Pixels, compose.Pixels)
                << "tick " << tick;
        }
    }
}

}  // namespace
