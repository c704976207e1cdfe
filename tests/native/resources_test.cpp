// The drawn bitmaps and icon, read back from the very files the build put into
// the module: formats, and every property of the pictures that the drawing
// code relies on.  Also checks that the art generator refuses broken art.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/surface/surface.h"
#include "tools/image/image_files.h"

namespace {

constexpr Colour White = 0x00FFFFFF;
constexpr Colour PureBlue = 0x00FF0000;
constexpr Colour Black = 0x00000000;
constexpr Colour Trim = 0x00CCCCCC;
constexpr Colour Bumper = 0x00868686;

// The standard 16-colour VGA table in its usual order.
const Colour VgaColours[16] = {
    MakeColour(0, 0, 0),       MakeColour(128, 0, 0),     MakeColour(0, 128, 0),
    MakeColour(128, 128, 0),   MakeColour(0, 0, 128),     MakeColour(128, 0, 128),
    MakeColour(0, 128, 128),   MakeColour(192, 192, 192), MakeColour(128, 128, 128),
    MakeColour(255, 0, 0),     MakeColour(0, 255, 0),     MakeColour(255, 255, 0),
    MakeColour(0, 0, 255),     MakeColour(255, 0, 255),   MakeColour(0, 255, 255),
    MakeColour(255, 255, 255),
};

struct Point {
    int X, Y;
};

// The paint seeds, in fill order, with the size of the region each reaches.
const Point Seeds[7] = {{40, 13}, {22, 13}, {12, 7}, {12, 9}, {12, 12}, {12, 15}, {12, 18}};
const int SeedRegionSizes[7] = {258, 226, 7, 14, 14, 14, 7};

std::string ArtPath(const char* name) { return std::string(RUXA_ART_DIR) + "/" + name; }

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t Little(const std::vector<std::uint8_t>& b, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= std::uint32_t(b.at(at + std::size_t(i))) << (8 * i);
    return value;
}

// One picture the build drew, loaded once per test: its pixels, and the
// file's own bytes for the header and colour table.
struct Art {
    Surface Picture;
    std::vector<std::uint8_t> File;
    bool Loaded = false;
    explicit Art(const char* name) : File(ReadFile(ArtPath(name)))
    {
        Loaded = File.size() > 54 && LoadImageFile(ArtPath(name), Picture);
    }
};

// Mask of the pixels of the seed's colour connected to the seed, through
// edges only (the platform's surface fill) or also through corners.
std::vector<bool> Fill(const Surface& s, Point seed, bool diagonals)
{
    std::vector<bool> in(std::size_t(s.Width * s.Height), false);
    const Colour colour = s.Read(seed.X, seed.Y);
    std::vector<Point> todo = {seed};
    while (!todo.empty()) {
        const Point p = todo.back();
        todo.pop_back();
        if (!s.Contains(p.X, p.Y) || s.Read(p.X, p.Y) != colour || in[std::size_t(p.Y * s.Width + p.X)])
            continue;
        in[std::size_t(p.Y * s.Width + p.X)] = true;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if ((dx || dy) && (diagonals || !(dx && dy)))
                    todo.push_back({p.X + dx, p.Y + dy});
    }
    return in;
}

int CountOf(const std::vector<bool>& mask) { return int(std::count(mask.begin(), mask.end(), true)); }

int CountColour(const Surface& s, Colour colour)
{
    return int(std::count(s.Pixels.begin(), s.Pixels.end(), colour));
}

// The file and info headers as stored (BITMAPFILEHEADER, BITMAPINFOHEADER).
void ExpectStandardHeader(const std::vector<std::uint8_t>& b, int width, int height, int bits)
{
    EXPECT_EQ(Little(b, 14, 4), 40u) << "header size";
    EXPECT_EQ(std::int32_t(Little(b, 18, 4)), width);
    EXPECT_EQ(std::int32_t(Little(b, 22, 4)), height) << "stored bottom-up, so the height is positive";
    EXPECT_EQ(Little(b, 26, 2), 1u) << "planes";
    EXPECT_EQ(Little(b, 28, 2), std::uint32_t(bits)) << "bits per pixel";
    EXPECT_EQ(Little(b, 30, 4), 0u) << "compression";
    EXPECT_EQ(Little(b, 46, 4), 0u) << "colours used: 0 means a full table";
    EXPECT_EQ(Little(b, 10, 4), 54u + (4u << bits)) << "the pixels follow the full colour table";
}

void ExpectVgaTable(const std::vector<std::uint8_t>& b)
{
    for (int i = 0; i < 16; ++i) {
        const std::size_t at = 54 + 4 * std::size_t(i);
        EXPECT_EQ(MakeColour(b.at(at + 2), b.at(at + 1), b.at(at)), VgaColours[i]) << "entry " << i;
    }
}

TEST(ResourcesVehicle, IsAn8BitBottomUpBitmapOf50By26)
{
    Art vehicle("vehicle.bmp");
    ASSERT_TRUE(vehicle.Loaded);
    ExpectStandardHeader(vehicle.File, 50, 26, 8);
    EXPECT_EQ(vehicle.Picture.Width, 50);
    EXPECT_EQ(vehicle.Picture.Height, 26);
}

TEST(ResourcesVehicle, HoldsOnlyTheFiveColoursInTheirCounts)
{
    Art vehicle("vehicle.bmp");
    ASSERT_TRUE(vehicle.Loaded);
    const Surface& s = vehicle.Picture;
    EXPECT_EQ(CountColour(s, White), 212);
    EXPECT_EQ(CountColour(s, PureBlue), 540);
    EXPECT_EQ(CountColour(s, Black), 282);
    EXPECT_EQ(CountColour(s, Trim), 214);
    EXPECT_EQ(CountColour(s, Bumper), 52);
    // With the five counts summing to 1300, no sixth colour can occur; say so
    // plainly in case a count above changes.
    for (Colour c : s.Pixels)
        ASSERT_TRUE(c == White || c == PureBlue || c == Black || c == Trim || c == Bumper)
            << std::hex << c;
}

TEST(ResourcesVehicle, BackgroundIsOneWhiteAreaAroundTheVehicleAwayFromTheBody)
{
    Art vehicle("vehicle.bmp");
    ASSERT_TRUE(vehicle.Loaded);
    const Surface& s = vehicle.Picture;
    ASSERT_EQ(s.Read(0, 0), White) << "the colour key";
    // Every white pixel is reached from (0, 0), edges only.
    EXPECT_EQ(CountOf(Fill(s, {0, 0}, false)), CountColour(s, White));
    // The background surrounds the vehicle: the whole frame is white.
    for (int x = 0; x < s.Width; ++x) {
        EXPECT_EQ(s.Read(x, 0), White) << x;
        EXPECT_EQ(s.Read(x, s.Height - 1), White) << x;
    }
    for (int y = 0; y < s.Height; ++y) {
        EXPECT_EQ(s.Read(0, y), White) << y;
        EXPECT_EQ(s.Read(s.Width - 1, y), White) << y;
    }
    // Not even a corner of a background pixel touches the body.
    for (int y = 0; y < s.Height; ++y) {
        for (int x = 0; x < s.Width; ++x) {
            if (s.Read(x, y) != White)
                continue;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    ASSERT_NE(s.Read(x + dx, y + dy), PureBlue)
                        << "background " << x << "," << y << " touches body " << x + dx << ","
                        << y + dy;
                }
            }
        }
    }
}

TEST(ResourcesVehicle, EverySeedFillsItsOwnClosedRegionAndTogetherAllTheBody)
{
    Art vehicle("vehicle.bmp");
    ASSERT_TRUE(vehicle.Loaded);
    const Surface& s = vehicle.Picture;
    std::vector<bool> covered(s.Pixels.size(), false);
    int total = 0;
    for (int i = 0; i < 7; ++i) {
        const Point seed = Seeds[i];
        ASSERT_EQ(s.Read(seed.X, seed.Y), PureBlue) << "seed " << i;
        const std::vector<bool> region = Fill(s, seed, false);
        EXPECT_EQ(CountOf(region), SeedRegionSizes[i]) << "seed " << i;
        // Closed: a fill that also crosses corners reaches nothing more.
        EXPECT_TRUE(Fill(s, seed, true) == region) << "seed " << i << " leaks through a corner";
        for (std::size_t p = 0; p < region.size(); ++p) {
            if (region[p]) {
                ASSERT_FALSE(covered[p]) << "seed " << i << " shares its region with an earlier seed";
                covered[p] = true;
                ++total;
            }
        }
    }
    EXPECT_EQ(total, CountColour(s, PureBlue)) << "a blue pixel that no seed reaches stays blue";
}

TEST(ResourcesVehicle, FrontIsAtTheRight)
{
    Art vehicle("vehicle.bmp");
    ASSERT_TRUE(vehicle.Loaded);
    const Surface& s = vehicle.Picture;
    const std::vector<bool> front = Fill(s, Seeds[0], false);
    const std::vector<bool> rear = Fill(s, Seeds[1], false);
    int frontLeft = s.Width, rearRight = -1;
    for (int y = 0; y < s.Height; ++y) {
        for (int x = 0; x < s.Width; ++x) {
            if (front[std::size_t(y * s.Width + x)])
                frontLeft = std::min(frontLeft, x);
            if (rear[std::size_t(y * s.Width + x)])
                rearRight = std::max(rearRight, x);
        }
    }
    EXPECT_GT(frontLeft, rearRight) << "the front panel lies right of the rear body";
    EXPECT_GT(frontLeft, s.Width / 2);
    // The bumper strips close both ends: column 48 at the front, 1 at the rear.
    EXPECT_EQ(s.Read(48, 13), Bumper);
    EXPECT_EQ(s.Read(1, 13), Bumper);
}

TEST(ResourcesTracks, IsA4BitStampOf6By34WithTwoTreadsAndWhiteGaps)
{
    Art tracks("tracks.bmp");
    ASSERT_TRUE(tracks.Loaded);
    ExpectStandardHeader(tracks.File, 6, 34, 4);
    ExpectVgaTable(tracks.File);
    const Surface& s = tracks.Picture;
    ASSERT_EQ(s.Width, 6);
    ASSERT_EQ(s.Height, 34);
    EXPECT_EQ(s.Read(0, 0), White) << "the colour key";
    int tread = 0;
    for (int y = 0; y < 34; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool gap = x == 0 || x == 5 || y < 2 || (y >= 15 && y <= 18) || y >= 32;
            const Colour c = s.Read(x, y);
            if (gap) {
                EXPECT_EQ(c, White) << x << "," << y;
            } else {
                ++tread;
                EXPECT_TRUE(c == Black || c == MakeColour(192, 192, 192) || c == MakeColour(128, 128, 0))
                    << "tread pixel " << x << "," << y << " is " << std::hex << c;
            }
        }
    }
    EXPECT_EQ(tread, 2 * 13 * 4);
}

TEST(ResourcesPalette, IsA4BitGridOfSixteenSolidSwatches)
{
    Art palette("palette.bmp");
    ASSERT_TRUE(palette.Loaded);
    ExpectStandardHeader(palette.File, 128, 32, 4);
    ExpectVgaTable(palette.File);
    const Colour swatches[16] = {
        MakeColour(255, 255, 255), MakeColour(192, 192, 192), MakeColour(255, 0, 0),
        MakeColour(255, 255, 0),   MakeColour(0, 255, 0),     MakeColour(0, 255, 255),
        MakeColour(0, 0, 255),     MakeColour(255, 0, 255),   MakeColour(0, 0, 0),
        MakeColour(128, 128, 128), MakeColour(128, 0, 0),     MakeColour(128, 128, 0),
        MakeColour(0, 128, 0),     MakeColour(0, 128, 128),   MakeColour(0, 0, 128),
        MakeColour(128, 0, 128),
    };
    const Surface& s = palette.Picture;
    ASSERT_EQ(s.Width, 128);
    ASSERT_EQ(s.Height, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 128; ++x)
            ASSERT_EQ(s.Read(x, y), swatches[x / 16 + 8 * (y / 16)]) << x << "," << y;
    // The swatches keep 0xC0 and 0x80, not the paint table's 0xBF and 0x7F.
    EXPECT_EQ(s.Read(24, 8), 0x00C0C0C0u);
    EXPECT_EQ(s.Read(24, 24), 0x00808080u);
}

// One 32 x 32 16-colour image with its AND mask; see-through corners, solid
// middle.
TEST(ResourcesIcon, HoldsOne32By32FourBitImageWithItsMask)
{
    const std::vector<std::uint8_t> b = ReadFile(ArtPath("saver.ico"));
    const std::size_t xorSize = 32 * 16, andSize = 32 * 4;
    ASSERT_EQ(b.size(), 6 + 16 + 40 + 64 + xorSize + andSize);
    EXPECT_EQ(Little(b, 0, 2), 0u);
    EXPECT_EQ(Little(b, 2, 2), 1u) << "icon, not cursor";
    EXPECT_EQ(Little(b, 4, 2), 1u) << "one image";
    EXPECT_EQ(b[6], 32);
    EXPECT_EQ(b[7], 32);
    EXPECT_EQ(b[8], 16) << "colours";
    EXPECT_EQ(Little(b, 10, 2), 1u) << "planes";
    EXPECT_EQ(Little(b, 12, 2), 4u) << "bits per pixel";
    EXPECT_EQ(Little(b, 14, 4), b.size() - 22);
    EXPECT_EQ(Little(b, 18, 4), 22u);
    const std::size_t header = 22;
    EXPECT_EQ(Little(b, header, 4), 40u);
    EXPECT_EQ(Little(b, header + 4, 4), 32u);
    EXPECT_EQ(Little(b, header + 8, 4), 64u) << "image and mask";
    EXPECT_EQ(Little(b, header + 14, 2), 4u);
    for (int i = 0; i < 16; ++i) {
        const std::size_t at = header + 40 + 4 * std::size_t(i);
        EXPECT_EQ(MakeColour(b[at + 2], b[at + 1], b[at]), VgaColours[i]) << "entry " << i;
    }
    // Mask rows are stored bottom-up, 4 bytes each; a set bit is see-through.
    const std::size_t mask = header + 40 + 64 + xorSize;
    auto seeThrough = [&](int x, int y) {
        return (b[mask + std::size_t(31 - y) * 4 + std::size_t(x / 8)] >> (7 - x % 8)) & 1;
    };
    EXPECT_EQ(seeThrough(0, 0), 1);
    EXPECT_EQ(seeThrough(31, 31), 1);
    EXPECT_EQ(seeThrough(16, 16), 0);
    // The body is dark red (VGA entry 1) in the middle of the picture.
    const std::size_t pixels = header + 40 + 64;
    const std::uint8_t centre = b[pixels + std::size_t(31 - 13) * 16 + 16 / 2];
    EXPECT_EQ(centre >> 4, 1);
}

// Runs the generator on one art file; returns whether it succeeded and
// whether it wrote its picture.
struct GeneratorRun {
    bool Succeeded;
    bool Wrote;
};

// The interpreter behind "python3", asked once: a launcher in front of it
// may take far longer to start than the interpreter itself.
std::string Python()
{
    static std::string path;
    if (path.empty()) {
        path = "python3";
        if (FILE* pipe = popen("python3 -c 'import sys; print(sys.executable)' 2>/dev/null", "r")) {
            char line[4096] = {};
            if (std::fgets(line, sizeof line, pipe) && line[0] == '/')
                path.assign(line, std::strcspn(line, "\r\n"));
            pclose(pipe);
        }
    }
    return path;
}

GeneratorRun RunGenerator(const std::string& art)
{
    static int serial = 0;
    const std::string base = ::testing::TempDir() + "ruxa_art_" + std::to_string(getpid()) + "_" +
                             std::to_string(++serial);
    const std::string artPath = base + ".txt", outDir = base + "_out";
    {
        std::ofstream out(artPath, std::ios::binary);
        out << art;
    }
    // This file sits in tests/native; the generator in tools.
    std::string script = __FILE__;
    script = script.substr(0, script.rfind("tests/native/")) + "tools/pixelart.py";
    const std::string command =
        "'" + Python() + "' '" + script + "' '" + outDir + "' '" + artPath + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    const std::string picture = outDir + "/tiny.bmp";
    GeneratorRun run = {status == 0, std::ifstream(picture).good()};
    std::remove(picture.c_str());
    std::remove(outDir.c_str());
    std::remove(artPath.c_str());
    return run;
}

std::string TinyArt(const std::string& format, const std::string& legendAndGrid)
{
    return "output tiny.bmp\nformat " + format + "\nsize 3 2\n" + legendAndGrid;
}

TEST(ResourcesGenerator, DrawsWellFormedArtAndRefusesMalformedArtWithoutWriting)
{
    const std::string legend = "colour . 255 255 255\ncolour B 0 0 255\n";
    const GeneratorRun good = RunGenerator(TinyArt("bmp4", legend + "pixels\n.B.\nB.B\n"));
    ASSERT_TRUE(good.Succeeded && good.Wrote) << "needs python3 on the path";

    const struct {
        const char* What;
        std::string Art;
    } broken[] = {
        {"row too long", TinyArt("bmp4", legend + "pixels\n.B..\nB.B\n")},
        {"row too short", TinyArt("bmp4", legend + "pixels\n.B\nB.B\n")},
        {"too few rows", TinyArt("bmp4", legend + "pixels\n.B.\n")},
        {"unknown character", TinyArt("bmp4", legend + "pixels\n.B.\nBxB\n")},
        {"colour outside the 16-colour table", TinyArt("bmp4", legend + "colour t 204 204 204\npixels\n.t.\nB.B\n")},
        {"component above 255", TinyArt("bmp8", "colour . 256 0 0\npixels\n...\n...\n")},
        {"character defined twice", TinyArt("bmp8", legend + "colour . 0 0 0\npixels\n.B.\nB.B\n")},
        {"unknown directive", TinyArt("bmp8", legend + "shade . 1\npixels\n.B.\nB.B\n")},
        {"no grid", TinyArt("bmp8", legend)},
        {"see-through pixels in a bitmap", TinyArt("bmp8", legend + "transparent ~\npixels\n.B~\nB.B\n")},
    };
    for (const auto& c : broken) {
        const GeneratorRun run = RunGenerator(c.Art);
        EXPECT_FALSE(run.Succeeded) << c.What;
        EXPECT_FALSE(run.Wrote) << c.What;
    }
}

}  // namespace
