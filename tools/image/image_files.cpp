#include "tools/image/image_files.h"

#include <cstdio>
#include <map>
#include <unordered_map>

namespace {

// Largest picture accepted from a file: keeps a hostile header from asking
// for gigabytes.
constexpr std::int64_t MaxPixels = std::int64_t(1) << 26;

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    if (bytes.empty())
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return (std::fclose(file) == 0) && written;
}

std::uint32_t Little(const std::vector<std::uint8_t>& b, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | b[at + i];
    return value;
}

void PutLittle(std::vector<std::uint8_t>& b, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        b.push_back(std::uint8_t(value >> (8 * i)));
}

void PutBig(std::vector<std::uint8_t>& b, std::uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        b.push_back(std::uint8_t(value >> (8 * i)));
}

}  // namespace

bool DecodeBitmap(const std::vector<std::uint8_t>& b, Surface& out, BitmapFileInfo* infoOut)
{
    if (b.size() < 14 + 12 || b[0] != 'B' || b[1] != 'M')
        return false;
    const std::uint32_t pixelOffset = Little(b, 10, 4);
    BitmapFileInfo info;
    info.HeaderSize = std::int32_t(Little(b, 14, 4));
    const std::size_t header = 14;
    bool core = false;
    if (info.HeaderSize == 12) {  // the old core header: 16-bit sizes, 3-byte table entries
        core = true;
        info.Width = std::int16_t(Little(b, header + 4, 2));
        info.Height = std::int16_t(Little(b, header + 6, 2));
        info.Planes = std::int32_t(Little(b, header + 8, 2));
        info.BitsPerPixel = std::int32_t(Little(b, header + 10, 2));
    } else if (info.HeaderSize >= 40 && info.HeaderSize <= 124 && b.size() >= header + std::size_t(info.HeaderSize)) {
        info.Width = std::int32_t(Little(b, header + 4, 4));
        info.Height = std::int32_t(Little(b, header + 8, 4));
        info.Planes = std::int32_t(Little(b, header + 12, 2));
        info.BitsPerPixel = std::int32_t(Little(b, header + 14, 2));
        info.Compression = std::int32_t(Little(b, header + 16, 4));
        info.ColoursUsed = std::int32_t(Little(b, header + 32, 4));
    } else {
        return false;
    }

    const int bits = info.BitsPerPixel;
    if (info.Planes != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
        return false;
    if (info.Width <= 0 || info.Height == 0 || info.Height == INT32_MIN)
        return false;
    const std::int64_t width = info.Width, height = info.Height < 0 ? -std::int64_t(info.Height) : info.Height;
    if (width * height > MaxPixels)
        return false;

    // Compression: plain, or for 32 bits the standard bit fields.
    std::size_t tableAt = header + std::size_t(info.HeaderSize);
    if (info.Compression == 3 && bits == 32) {
        std::size_t masksAt = header + 40;
        if (info.HeaderSize == 40)
            tableAt += 12;  // the three masks follow the short header
        if (b.size() < masksAt + 12 || Little(b, masksAt, 4) != 0x00FF0000u ||
            Little(b, masksAt + 4, 4) != 0x0000FF00u || Little(b, masksAt + 8, 4) != 0x000000FFu)
            return false;
    } else if (info.Compression != 0) {
        return false;
    }

    // Colour table.
    if (bits <= 8) {
        std::int64_t entries = info.ColoursUsed == 0 ? (std::int64_t(1) << bits) : info.ColoursUsed;
        if (info.ColoursUsed < 0 || entries > (std::int64_t(1) << bits))
            return false;
        const std::size_t entrySize = core ? 3 : 4;
        if (tableAt + std::size_t(entries) * entrySize > b.size())
            return false;
        for (std::int64_t i = 0; i < entries; ++i) {
            const std::size_t at = tableAt + std::size_t(i) * entrySize;
            info.ColourTable.push_back(MakeColour(b[at + 2], b[at + 1], b[at]));
        }
    }

    const std::int64_t stride = ((width * bits + 31) / 32) * 4;
    if (pixelOffset < tableAt || std::int64_t(pixelOffset) + stride * height > std::int64_t(b.size()))
        return false;

    Surface picture = MakeSurface(std::int32_t(width), std::int32_t(height), 0);
    const bool bottomUp = info.Height > 0;
    for (std::int64_t row = 0; row < height; ++row) {
        const std::size_t rowAt = pixelOffset + std::size_t(row * stride);
        const std::int32_t y = std::int32_t(bottomUp ? height - 1 - row : row);
        for (std::int64_t x = 0; x < width; ++x) {
            Colour colour;
            if (bits <= 8) {
                const std::size_t bitAt = std::size_t(x * bits);
                const unsigned byte = b[rowAt + bitAt / 8];
                const unsigned index = (byte >> (8 - bits - bitAt % 8)) & ((1u << bits) - 1);
                if (index >= info.ColourTable.size())
                    return false;
                colour = info.ColourTable[index];
            } else {
                const std::size_t at = rowAt + std::size_t(x * (bits / 8));
                colour = MakeColour(b[at + 2], b[at + 1], b[at]);
            }
            picture.Write(std::int32_t(x), y, colour);
        }
    }
    out = std::move(picture);
    if (infoOut)
        *infoOut = std::move(info);
    return true;
}

bool LoadBitmapFile(const std::string& path, Surface& out, BitmapFileInfo* info)
{
    std::vector<std::uint8_t> bytes;
    return ReadWholeFile(path, bytes) && DecodeBitmap(bytes, out, info);
}

std::vector<std::uint8_t> EncodeBitmap(const Surface& picture)
{
    std::vector<std::uint8_t> b;
    if (picture.Width <= 0 || picture.Height <= 0)
        return b;
    const std::uint32_t stride = ((std::uint32_t(picture.Width) * 24 + 31) / 32) * 4;
    const std::uint32_t imageSize = stride * std::uint32_t(picture.Height);
    b.push_back('B');
    b.push_back('M');
    PutLittle(b, 54 + imageSize, 4);
    PutLittle(b, 0, 4);
    PutLittle(b, 54, 4);
    PutLittle(b, 40, 4);
    PutLittle(b, std::uint32_t(picture.Width), 4);
    PutLittle(b, std::uint32_t(picture.Height), 4);
    PutLittle(b, 1, 2);
    PutLittle(b, 24, 2);
    PutLittle(b, 0, 4);
    PutLittle(b, imageSize, 4);
    PutLittle(b, 2835, 4);
    PutLittle(b, 2835, 4);
    PutLittle(b, 0, 4);
    PutLittle(b, 0, 4);
    for (std::int32_t y = picture.Height - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < picture.Width; ++x) {
            const Colour c = picture.Read(x, y);
            b.push_back(std::uint8_t(ColourBlue(c)));
            b.push_back(std::uint8_t(ColourGreen(c)));
            b.push_back(std::uint8_t(ColourRed(c)));
        }
        for (std::uint32_t pad = std::uint32_t(picture.Width) * 3; pad < stride; ++pad)
            b.push_back(0);
    }
    return b;
}

bool SaveBitmapFile(const std::string& path, const Surface& picture)
{
    return WriteWholeFile(path, EncodeBitmap(picture));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc)
{
    static std::uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

namespace {

void PutChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data)
{
    PutBig(png, std::uint32_t(data.size()));
    const std::size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBig(png, Crc32(&png[typeAt], png.size() - typeAt));
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const Surface& picture)
{
    std::vector<std::uint8_t> png;
    if (picture.Width <= 0 || picture.Height <= 0)
        return png;
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.assign(signature, signature + 8);

    std::vector<std::uint8_t> header;
    PutBig(header, std::uint32_t(picture.Width));
    PutBig(header, std::uint32_t(picture.Height));
    header.push_back(8);  // bits per channel
    header.push_back(2);  // RGB
    header.push_back(0);  // deflate
    header.push_back(0);  // adaptive filtering
    header.push_back(0);  // no interlace
    PutChunk(png, "IHDR", header);

    // Raw scan lines, each led by filter type 0.
    std::vector<std::uint8_t> raw;
    raw.reserve(std::size_t(picture.Height) * (1 + 3 * std::size_t(picture.Width)));
    for (std::int32_t y = 0; y < picture.Height; ++y) {
        raw.push_back(0);
        for (std::int32_t x = 0; x < picture.Width; ++x) {
            const Colour c = picture.Read(x, y);
            raw.push_back(std::uint8_t(ColourRed(c)));
            raw.push_back(std::uint8_t(ColourGreen(c)));
            raw.push_back(std::uint8_t(ColourBlue(c)));
        }
    }
    // A zlib stream of stored blocks.
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + length == raw.size() ? 1 : 0);  // last block?
        PutLittle(z, std::uint32_t(length), 2);
        PutLittle(z, std::uint32_t(~length & 0xFFFF), 2);
        z.insert(z.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + length));
        at += length;
    } while (at < raw.size());
    PutBig(z, Adler32(raw.data(), raw.size()));
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", {});
    return png;
}

bool SavePngFile(const std::string& path, const Surface& picture)
{
    return WriteWholeFile(path, EncodePng(picture));
}

namespace {

// Packs variable-width codes, least significant bit first, into 255-byte
// data sub-blocks.
struct CodeWriter {
    std::vector<std::uint8_t> Bytes;
    std::uint32_t Buffer = 0;
    int Bits = 0;
    void Put(unsigned code, int width)
    {
        Buffer |= std::uint32_t(code) << Bits;
        Bits += width;
        while (Bits >= 8) {
            Bytes.push_back(std::uint8_t(Buffer));
            Buffer >>= 8;
            Bits -= 8;
        }
    }
    void Flush()
    {
        if (Bits > 0)
            Bytes.push_back(std::uint8_t(Buffer));
        Buffer = 0;
        Bits = 0;
    }
};

// GIF's LZW: codes grow from minimumSize + 1 bits up to 12; when the table
// is full the encoder emits a clear code and starts again.
std::vector<std::uint8_t> LzwEncode(const std::vector<std::uint8_t>& indices, int minimumSize)
{
    const unsigned clear = 1u << minimumSize, end = clear + 1;
    std::unordered_map<std::uint32_t, unsigned> table;  // (prefix << 8 | byte) -> code
    unsigned next = end + 1;
    int width = minimumSize + 1;
    CodeWriter out;
    out.Put(clear, width);
    if (!indices.empty()) {
        unsigned prefix = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const std::uint32_t key = (std::uint32_t(prefix) << 8) | indices[i];
            const auto found = table.find(key);
            if (found != table.end()) {
                prefix = found->second;
                continue;
            }
            out.Put(prefix, width);
            table[key] = next++;
            // The decoder adds its entries one code later, so the width
            // grows once the table has passed the current width's range.
            if (next > (1u << width) && width < 12)
                ++width;
            if (next == 4096) {
                out.Put(clear, width);
                table.clear();
                next = end + 1;
                width = minimumSize + 1;
            }
            prefix = indices[i];
        }
        out.Put(prefix, width);
    }
    out.Put(end, width);
    out.Flush();
    return out.Bytes;
}

unsigned Distance(Colour a, Colour b)
{
    const int dr = int(ColourRed(a)) - int(ColourRed(b)), dg = int(ColourGreen(a)) - int(ColourGreen(b)),
              db = int(ColourBlue(a)) - int(ColourBlue(b));
    return unsigned(dr * dr + dg * dg + db * db);
}

}  // namespace

std::vector<std::uint8_t> EncodeGif(const std::vector<Surface>& frames, int delayCentiseconds)
{
    std::vector<std::uint8_t> gif;
    if (frames.empty() || frames[0].Width <= 0 || frames[0].Height <= 0 ||
        frames[0].Width > 65535 || frames[0].Height > 65535)
        return gif;
    const std::int32_t width = frames[0].Width, height = frames[0].Height;
    for (const Surface& frame : frames)
        if (frame.Width != width || frame.Height != height ||
            frame.Pixels.size() != std::size_t(width) * std::size_t(height))
            return gif;

    // The palette: the colours that occur, or a fixed cube and grey ramp.
    std::map<Colour, std::uint8_t> exact;
    bool fits = true;
    for (const Surface& frame : frames) {
        for (Colour c : frame.Pixels) {
            c &= 0x00FFFFFF;
            if (exact.count(c))
                continue;
            if (exact.size() == 256) {
                fits = false;
                break;
            }
            exact.emplace(c, std::uint8_t(exact.size()));
        }
        if (!fits)
            break;
    }
    std::vector<Colour> palette;
    if (fits) {
        palette.resize(exact.size());
        for (const auto& entry : exact)
            palette[entry.second] = entry.first;
    } else {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    palette.push_back(MakeColour(r * 51, g * 51, b * 51));
        for (int i = 0; i < 40; ++i)
            palette.push_back(MakeColour(i * 255 / 39, i * 255 / 39, i * 255 / 39));
    }
    std::unordered_map<Colour, std::uint8_t> lookup;
    auto indexOf = [&](Colour c) -> std::uint8_t {
        c &= 0x00FFFFFF;
        const auto found = lookup.find(c);
        if (found != lookup.end())
            return found->second;
        std::size_t best = 0;
        for (std::size_t i = 1; i < palette.size(); ++i)
            if (Distance(c, palette[i]) < Distance(c, palette[best]))
                best = i;
        lookup.emplace(c, std::uint8_t(best));
        return std::uint8_t(best);
    };
    for (std::size_t i = 0; i < palette.size(); ++i)
        lookup.emplace(palette[i], std::uint8_t(i));

    int tableBits = 1;  // the table holds 2^tableBits entries
    while ((std::size_t(1) << tableBits) < palette.size())
        ++tableBits;
    const int minimumSize = tableBits < 2 ? 2 : tableBits;

    const char* signature = "GIF89a";
    gif.insert(gif.end(), signature, signature + 6);
    PutLittle(gif, std::uint32_t(width), 2);
    PutLittle(gif, std::uint32_t(height), 2);
    gif.push_back(std::uint8_t(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
    gif.push_back(0);  // background colour index
    gif.push_back(0);  // no aspect ratio
    for (std::size_t i = 0; i < (std::size_t(1) << tableBits); ++i) {
        const Colour c = i < palette.size() ? palette[i] : 0;
        gif.push_back(std::uint8_t(ColourRed(c)));
        gif.push_back(std::uint8_t(ColourGreen(c)));
        gif.push_back(std::uint8_t(ColourBlue(c)));
    }
    // Loop for ever.
    static const std::uint8_t loop[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E',
                                        '2',  '.',  '0', 3,  1,   0,   0,   0};
    gif.insert(gif.end(), loop, loop + sizeof loop);

    const std::uint32_t delay = delayCentiseconds < 0 ? 0u
                                : delayCentiseconds > 65535 ? 65535u : std::uint32_t(delayCentiseconds);
    std::vector<std::uint8_t> indices;
    for (const Surface& frame : frames) {
        const std::uint8_t control[] = {0x21, 0xF9, 4, 0x04 /* keep the frame */, std::uint8_t(delay),
                                        std::uint8_t(delay >> 8), 0, 0};
        gif.insert(gif.end(), control, control + sizeof control);
        gif.push_back(0x2C);
        PutLittle(gif, 0, 2);
        PutLittle(gif, 0, 2);
        PutLittle(gif, std::uint32_t(width), 2);
        PutLittle(gif, std::uint32_t(height), 2);
        gif.push_back(0);  // no local table, not interlaced
        indices.clear();
        for (Colour c : frame.Pixels)
            indices.push_back(indexOf(c));
        gif.push_back(std::uint8_t(minimumSize));
        const std::vector<std::uint8_t> codes = LzwEncode(indices, minimumSize);
        for (std::size_t at = 0; at < codes.size(); at += 255) {
            const std::size_t length = std::min<std::size_t>(255, codes.size() - at);
            gif.push_back(std::uint8_t(length));
            gif.insert(gif.end(), codes.begin() + std::ptrdiff_t(at), codes.begin() + std::ptrdiff_t(at + length));
        }
        gif.push_back(0);  // block terminator
    }
    gif.push_back(0x3B);
    return gif;
}

bool SaveGifFile(const std::string& path, const std::vector<Surface>& frames, int delayCentiseconds)
{
    return WriteWholeFile(path, EncodeGif(frames, delayCentiseconds));
}
