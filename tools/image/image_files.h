// Image files for tests and tools (native only): reading uncompressed
// bitmap files, writing PNG pictures and animated GIFs.
#ifndef RUXA_TOOLS_IMAGE_IMAGE_FILES_H
#define RUXA_TOOLS_IMAGE_IMAGE_FILES_H

#include <cstdint>
#include <string>
#include <vector>

#include "animation/colour.h"
#include "tools/surface/surface.h"

// The header fields of a bitmap file, as stored.
struct BitmapFileInfo {
    std::int32_t HeaderSize = 0, Width = 0, Height = 0 /* negative: top-down */, Planes = 0,
                 BitsPerPixel = 0, Compression = 0, ColoursUsed = 0;
    std::vector<Colour> ColourTable;  // every entry stored in the file (0x00BBGGRR)
};

// Reads a bitmap file of 1, 4, 8, 24 or 32 bits per pixel, uncompressed
// (32-bit also with the plain red/green/blue bit fields), bottom-up or
// top-down, into 0x00BBGGRR colours.  Fails (false, `out` untouched) on
// anything else and on any truncated or inconsistent file.
bool LoadBitmapFile(const std::string& path, Surface& out, BitmapFileInfo* info = nullptr);
// The same from bytes in memory.
bool DecodeBitmap(const std::vector<std::uint8_t>& bytes, Surface& out, BitmapFileInfo* info = nullptr);

// A bitmap file (24 bits per pixel, bottom-up) of the picture.
std::vector<std::uint8_t> EncodeBitmap(const Surface& picture);
bool SaveBitmapFile(const std::string& path, const Surface& picture);

// An 8-bit RGB PNG of the picture (stored deflate blocks, no compression).
std::vector<std::uint8_t> EncodePng(const Surface& picture);
bool SavePngFile(const std::string& path, const Surface& picture);

// A looping animated GIF89a of the frames, all of the first frame's size,
// each shown for delayCentiseconds.  The palette holds every colour that
// occurs if there are at most 256 of them; otherwise colours are mapped to
// the nearest of a 6 x 6 x 6 cube plus 40 greys.
std::vector<std::uint8_t> EncodeGif(const std::vector<Surface>& frames, int delayCentiseconds);
bool SaveGifFile(const std::string& path, const std::vector<Surface>& frames, int delayCentiseconds);

// Checksums used by the PNG writer.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size);

#endif
