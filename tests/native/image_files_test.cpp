// Image files: bitmap reading for every supported layout and rejection of
// broken files; PNG and GIF writers checked by decoding what they write.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tools/image/image_files.h"

namespace {

typedef std::vector<std::uint8_t> Bytes;

void Put(Bytes& b, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        b.push_back(std::uint8_t(value >> (8 * i)));
}

std::uint32_t Get(const Bytes& b, std::size_t at, int size, bool big = false)
{
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= std::uint32_t(b.at(at + i)) << (8 * (big ? size - 1 - i : i));
    return value;
}

// A bitmap file with a 40-byte header, the given colour table (0x00BBGGRR)
// and rows already packed, stored top row first when height < 0.
Bytes MakeBitmap(int width, int height, int bits, const std::vector<Colour>& table,
                 const std::vector<Bytes>& rowsAsStored, int compression = 0, int coloursUsed = -1)
{
    const int stride = ((width * bits + 31) / 32) * 4;
    Bytes b = {'B', 'M'};
    const std::uint32_t offset = 14 + 40 + 4 * std::uint32_t(table.size());
    Put(b, offset + std::uint32_t(stride) * std::uint32_t(rowsAsStored.size()), 4);
    Put(b, 0, 4);
    Put(b, offset, 4);
    Put(b, 40, 4);
    Put(b, std::uint32_t(width), 4);
    Put(b, std::uint32_t(height), 4);
    Put(b, 1, 2);
    Put(b, std::uint32_t(bits), 2);
    Put(b, std::uint32_t(compression), 4);
    Put(b, 0, 4);
    Put(b, 0, 4);
    Put(b, 0, 4);
    Put(b, std::uint32_t(coloursUsed < 0 ? int(table.size()) : coloursUsed), 4);
    Put(b, 0, 4);
    for (Colour c : table) {
        b.push_back(std::uint8_t(ColourBlue(c)));
        b.push_back(std::uint8_t(ColourGreen(c)));
        b.push_back(std::uint8_t(ColourRed(c)));
        b.push_back(0);
    }
    for (Bytes row : rowsAsStored) {
        row.resize(std::size_t(stride), 0);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

const Colour Red = MakeColour(255, 0, 0), Blue = MakeColour(0, 0, 255), White = 0x00FFFFFF,
             Odd = MakeColour(1, 2, 3);

TEST(LoadBitmapFile, ReadsEveryLayout)
{
    {   // 8 bits, bottom-up: the first stored row is the picture's last.
        const Bytes file = MakeBitmap(3, 2, 8, {White, Red, Blue}, {{2, 1, 0}, {0, 1, 2}});
        Surface s;
        BitmapFileInfo info;
        ASSERT_TRUE(DecodeBitmap(file, s, &info));
        EXPECT_EQ(3, s.Width);
        EXPECT_EQ(2, s.Height);
        EXPECT_EQ((std::vector<Colour>{White, Red, Blue, Blue, Red, White}), s.Pixels);
        EXPECT_EQ(40, info.HeaderSize);
        EXPECT_EQ(2, info.Height);
        EXPECT_EQ(8, info.BitsPerPixel);
        EXPECT_EQ(1, info.Planes);
        EXPECT_EQ(3, info.ColoursUsed);
        EXPECT_EQ((std::vector<Colour>{White, Red, Blue}), info.ColourTable);
    }
    {   // 4 bits, top-down, high nibble first; colours used 0 means a full table.
        std::vector<Colour> table(16, 0);
        table[1] = Red;
        table[15] = Odd;
        const Bytes file = MakeBitmap(3, -2, 4, table, {{0x1F, 0x00}, {0xF0, 0x10}}, 0, 0);
        Surface s;
        BitmapFileInfo info;
        ASSERT_TRUE(DecodeBitmap(file, s, &info));
        EXPECT_EQ((std::vector<Colour>{Red, Odd, 0, Odd, 0, Red}), s.Pixels);
        EXPECT_EQ(-2, info.Height);
        EXPECT_EQ(16u, info.ColourTable.size());
    }
    {   // 1 bit.
        const Bytes file = MakeBitmap(9, 1, 1, {White, Blue}, {{0xA0, 0x80}});
        Surface s;
        ASSERT_TRUE(DecodeBitmap(file, s));
        EXPECT_EQ((std::vector<Colour>{Blue, White, Blue, White, White, White, White, White, Blue}), s.Pixels);
    }
    {   // 32 bits, top-down, stored B G R x.
        const Bytes file = MakeBitmap(2, -1, 32, {}, {{3, 2, 1, 0, 0, 0, 255, 0}});
        Surface s;
        ASSERT_TRUE(DecodeBitmap(file, s));
        EXPECT_EQ((std::vector<Colour>{Odd, Red}), s.Pixels);
    }
    {   // 24 bits through a real file, rows padded to four bytes.
        Surface picture = MakeSurface(5, 3, White);
        picture.Write(0, 0, Red);
        picture.Write(4, 2, Odd);
        picture.Write(2, 1, Blue);
        const std::string path = testing::TempDir() + "ruxa_image_test.bmp";
        ASSERT_TRUE(SaveBitmapFile(path, picture));
        Surface back;
        BitmapFileInfo info;
        ASSERT_TRUE(LoadBitmapFile(path, back, &info));
        EXPECT_EQ(picture.Pixels, back.Pixels);
        EXPECT_EQ(24, info.BitsPerPixel);
        EXPECT_TRUE(info.ColourTable.empty());
        std::remove(path.c_str());
    }
}

TEST(LoadBitmapFile, RejectsBrokenFilesAndLeavesTheOutputAlone)
{
    const Bytes good = MakeBitmap(3, 2, 8, {White, Red, Blue}, {{2, 1, 0}, {0, 1, 2}});
    Surface probe;
    ASSERT_TRUE(DecodeBitmap(good, probe));

    std::vector<std::pair<const char*, Bytes>> broken;
    broken.emplace_back("empty", Bytes{});
    for (std::size_t cut : {10u, 20u, 60u, 66u, 70u}) {
        Bytes b(good.begin(), good.begin() + std::ptrdiff_t(cut));
        broken.emplace_back("truncated", b);
    }
    Bytes notBm = good;
    notBm[0] = 'X';
    broken.emplace_back("signature", notBm);
    broken.emplace_back("run-length", MakeBitmap(3, 2, 8, {White, Red, Blue}, {{2, 1, 0}, {0, 1, 2}}, 1));
    broken.emplace_back("index past table", MakeBitmap(3, 2, 8, {White, Red, Blue}, {{2, 1, 3}, {0, 1, 2}}));
    broken.emplace_back("zero width", MakeBitmap(0, 2, 8, {White}, {{}, {}}));
    broken.emplace_back("zero height", MakeBitmap(3, 0, 8, {White}, {}));
    broken.emplace_back("16 bits", MakeBitmap(1, 1, 16, {}, {{0, 0}}));
    broken.emplace_back("table too long", MakeBitmap(1, 1, 1, {White, Red, Blue}, {{0}}));
    Bytes huge = MakeBitmap(1, 1, 24, {}, {{0, 0, 0}});
    huge[18] = 0xFF, huge[19] = 0xFF, huge[20] = 0xFF, huge[21] = 0x7F;  // width 2^31 - 1
    broken.emplace_back("huge", huge);
    Bytes badOffset = good;
    badOffset[10] = 200;  // pixels past the end
    broken.emplace_back("offset", badOffset);

    for (const auto& item : broken) {
        Surface out = MakeSurface(1, 1, Odd);
        EXPECT_FALSE(DecodeBitmap(item.second, out)) << item.first;
        EXPECT_EQ(1, out.Width) << item.first;
        EXPECT_EQ(Odd, out.Read(0, 0)) << item.first;
    }
    Surface out;
    EXPECT_FALSE(LoadBitmapFile(testing::TempDir() + "no_such_file.bmp", out));
}

// Undoes the PNG writer: checks signature and chunk CRCs, parses IHDR,
// inflates the stored blocks and checks the Adler sum, then rebuilds the
// picture from the filter-0 scan lines.
bool ReadOwnPng(const Bytes& png, Surface& out)
{
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || !std::equal(signature, signature + 8, png.begin()))
        return false;
    std::size_t at = 8;
    int width = 0, height = 0;
    Bytes zlib;
    bool ended = false;
    while (at + 12 <= png.size() && !ended) {
        const std::uint32_t length = Get(png, at, 4, true);
        const std::string type(png.begin() + std::ptrdiff_t(at + 4), png.begin() + std::ptrdiff_t(at + 8));
        if (Crc32(&png[at + 4], length + 4) != Get(png, at + 8 + length, 4, true))
            return false;
        const std::size_t data = at + 8;
        if (type == "IHDR") {
            width = int(Get(png, data, 4, true));
            height = int(Get(png, data + 4, 4, true));
            if (png[data + 8] != 8 || png[data + 9] != 2 || png[data + 12] != 0)
                return false;
        } else if (type == "IDAT") {
            zlib.insert(zlib.end(), png.begin() + std::ptrdiff_t(data), png.begin() + std::ptrdiff_t(data + length));
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    if (!ended || at != png.size() || zlib.size() < 6 || ((zlib[0] << 8) | zlib[1]) % 31 != 0)
        return false;
    Bytes raw;
    std::size_t z = 2;
    for (bool last = false; !last;) {
        last = zlib.at(z) & 1;
        if ((zlib[z] >> 1) != 0)
            return false;  // only stored blocks are expected
        const std::uint32_t length = Get(zlib, z + 1, 2), inverse = Get(zlib, z + 3, 2);
        if ((length ^ 0xFFFF) != inverse)
            return false;
        raw.insert(raw.end(), zlib.begin() + std::ptrdiff_t(z + 5), zlib.begin() + std::ptrdiff_t(z + 5 + length));
        z += 5 + length;
    }
    if (Get(zlib, z, 4, true) != Adler32(raw.data(), raw.size()) || z + 4 != zlib.size())
        return false;
    if (raw.size() != std::size_t(height) * (1 + 3 * std::size_t(width)))
        return false;
    out = MakeSurface(width, height, 0);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = std::size_t(y) * (1 + 3 * std::size_t(width));
        if (raw[row] != 0)
            return false;
        for (int x = 0; x < width; ++x)
            out.Write(x, y, MakeColour(raw[row + 1 + 3 * x], raw[row + 2 + 3 * x], raw[row + 3 + 3 * x]));
    }
    return true;
}

Surface Noise(int width, int height, int colours, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<Colour> palette;
    for (int i = 0; i < colours; ++i)
        palette.push_back(random() & 0x00FFFFFF);
    Surface s = MakeSurface(width, height, 0);
    for (Colour& c : s.Pixels)
        c = palette[random() % palette.size()];
    return s;
}

// The same colours in another arrangement.
Surface Reversed(Surface s)
{
    std::reverse(s.Pixels.begin(), s.Pixels.end());
    return s;
}

TEST(SavePngFile, WritesAPictureThatDecodesBack)
{
    EXPECT_EQ(0xCBF43926u, Crc32(reinterpret_cast<const std::uint8_t*>("123456789"), 9));
    EXPECT_EQ(0x11E60398u, Adler32(reinterpret_cast<const std::uint8_t*>("Wikipedia"), 9));

    // Small, and large enough for several stored blocks.
    for (const Surface& picture : {Noise(3, 2, 5, 1), Noise(200, 150, 1000, 2)}) {
        Surface back;
        ASSERT_TRUE(ReadOwnPng(EncodePng(picture), back));
        EXPECT_EQ(picture.Width, back.Width);
        EXPECT_EQ(picture.Pixels, back.Pixels);
    }
    EXPECT_TRUE(EncodePng(Surface()).empty());
    const std::string path = testing::TempDir() + "ruxa_image_test.png";
    EXPECT_TRUE(SavePngFile(path, Noise(4, 4, 3, 3)));
    std::remove(path.c_str());
    EXPECT_FALSE(SavePngFile(path, Surface()));
}

// Undoes the GIF writer: header, global table, looping extension, then per
// frame the control extension and an LZW-coded image.
struct GifContents {
    int Width = 0, Height = 0, Loops = -1;
    std::vector<Colour> Palette;
    std::vector<int> Delays;
    std::vector<Surface> Frames;
};

bool LzwDecode(const Bytes& data, int minimumSize, std::size_t pixels, std::vector<std::uint8_t>& out)
{
    const unsigned clear = 1u << minimumSize, end = clear + 1;
    std::vector<Bytes> table;
    auto reset = [&]() {
        table.assign(clear + 2, Bytes());
        for (unsigned i = 0; i < clear; ++i)
            table[i] = Bytes{std::uint8_t(i)};
    };
    reset();
    int width = minimumSize + 1;
    std::size_t bit = 0;
    int previous = -1;
    while (bit + std::size_t(width) <= data.size() * 8) {
        unsigned code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= unsigned((data[bit / 8] >> (bit % 8)) & 1) << i;
        if (code == clear) {
            reset();
            width = minimumSize + 1;
            previous = -1;
            continue;
        }
        if (code == end)
            return out.size() == pixels;
        Bytes entry;
        if (code < table.size())
            entry = table[code];
        else if (code == table.size() && previous >= 0) {
            entry = table[std::size_t(previous)];
            entry.push_back(entry[0]);
        } else
            return false;
        if (previous >= 0 && table.size() < 4096) {
            Bytes added = table[std::size_t(previous)];
            added.push_back(entry[0]);
            table.push_back(added);
        }
        if (table.size() == (1u << width) && width < 12)
            ++width;
        out.insert(out.end(), entry.begin(), entry.end());
        previous = int(code);
    }
    return false;
}

bool ReadOwnGif(const Bytes& gif, GifContents& c)
{
    if (gif.size() < 13 || std::string(gif.begin(), gif.begin() + 6) != "GIF89a")
        return false;
    c.Width = int(Get(gif, 6, 2));
    c.Height = int(Get(gif, 8, 2));
    const unsigned flags = gif[10];
    if (!(flags & 0x80))
        return false;
    const std::size_t entries = std::size_t(2) << (flags & 7);
    std::size_t at = 13;
    for (std::size_t i = 0; i < entries; ++i, at += 3)
        c.Palette.push_back(MakeColour(gif.at(at), gif.at(at + 1), gif.at(at + 2)));
    int delay = -1;
    while (at < gif.size()) {
        const std::uint8_t kind = gif[at];
        if (kind == 0x3B)
            return at + 1 == gif.size();
        if (kind == 0x21) {
            const std::uint8_t label = gif.at(at + 1);
            if (label == 0xF9)
                delay = int(Get(gif, at + 4, 2));
            if (label == 0xFF && std::string(gif.begin() + std::ptrdiff_t(at + 3), gif.begin() + std::ptrdiff_t(at + 14)) == "NETSCAPE2.0")
                c.Loops = int(Get(gif, at + 16, 2));
            at += 2;
            while (gif.at(at) != 0)
                at += 1 + gif[at];
            ++at;
        } else if (kind == 0x2C) {
            const int w = int(Get(gif, at + 5, 2)), h = int(Get(gif, at + 7, 2));
            if (gif.at(at + 9) != 0)
                return false;
            const int minimumSize = gif.at(at + 10);
            at += 11;
            Bytes data;
            while (gif.at(at) != 0) {
                data.insert(data.end(), gif.begin() + std::ptrdiff_t(at + 1), gif.begin() + std::ptrdiff_t(at + 1 + gif[at]));
                at += 1 + gif[at];
            }
            ++at;
            std::vector<std::uint8_t> indices;
            if (!LzwDecode(data, minimumSize, std::size_t(w) * std::size_t(h), indices))
                return false;
            Surface frame = MakeSurface(w, h, 0);
            for (std::size_t i = 0; i < indices.size(); ++i)
                frame.Pixels[i] = c.Palette.at(indices[i]);
            c.Frames.push_back(frame);
            c.Delays.push_back(delay);
        } else {
            return false;
        }
    }
    return false;
}

TEST(SaveGifFile, FewColoursComeBackExactly)
{
    // Two colours (the smallest table), and 256 colours in noise big enough
    // to fill the code table and force clear codes.
    for (const std::vector<Surface>& frames :
         {std::vector<Surface>{Noise(7, 5, 2, 4), Noise(7, 5, 2, 5), Noise(7, 5, 1, 6)},
          std::vector<Surface>{Noise(300, 200, 256, 7), Reversed(Noise(300, 200, 256, 7))}}) {
        GifContents contents;
        ASSERT_TRUE(ReadOwnGif(EncodeGif(frames, 7), contents));
        EXPECT_EQ(frames[0].Width, contents.Width);
        EXPECT_EQ(frames[0].Height, contents.Height);
        EXPECT_EQ(0, contents.Loops);
        ASSERT_EQ(frames.size(), contents.Frames.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].Pixels, contents.Frames[i].Pixels) << i;
            EXPECT_EQ(7, contents.Delays[i]);
        }
    }
}

TEST(SaveGifFile, ManyColoursGoToTheNearestCubeColour)
{
    Surface picture = Noise(40, 30, 2000, 8);
    picture.Write(0, 0, MakeColour(250, 3, 110));  // nearest cube colour (255, 0, 102)
    picture.Write(1, 0, MakeColour(130, 128, 126));  // nearest grey
    GifContents contents;
    ASSERT_TRUE(ReadOwnGif(EncodeGif({picture}, 10), contents));
    ASSERT_EQ(256u, contents.Palette.size());
    const Surface& back = contents.Frames.at(0);
    EXPECT_EQ(MakeColour(255, 0, 102), back.Read(0, 0));
    EXPECT_EQ(ColourRed(back.Read(1, 0)), ColourGreen(back.Read(1, 0)));
    EXPECT_NEAR(128, int(ColourRed(back.Read(1, 0))), 4);
    // No colour is further from its stand-in than from the nearest cube
    // corner, which is at most 25.5 away on each channel.
    for (std::size_t i = 0; i < picture.Pixels.size(); ++i) {
        const Colour a = picture.Pixels[i], b = back.Pixels[i];
        const int dr = int(ColourRed(a)) - int(ColourRed(b)), dg = int(ColourGreen(a)) - int(ColourGreen(b)),
                  db = int(ColourBlue(a)) - int(ColourBlue(b));
        EXPECT_LE(dr * dr + dg * dg + db * db, 1951) << i;
    }
}

TEST(SaveGifFile, RefusesWhatItCannotWrite)
{
    EXPECT_TRUE(EncodeGif({}, 5).empty());
    EXPECT_TRUE(EncodeGif({Surface()}, 5).empty());
    EXPECT_TRUE(EncodeGif({MakeSurface(4, 4, 0), MakeSurface(4, 5, 0)}, 5).empty());
    const std::string path = testing::TempDir() + "ruxa_image_test.gif";
    EXPECT_FALSE(SaveGifFile(path, {}, 5));
    EXPECT_TRUE(SaveGifFile(path, {MakeSurface(4, 4, Red), MakeSurface(4, 4, Blue)}, 5));
    std::remove(path.c_str());
}

}  // namespace
