// Image files for tests and tools (native only), read and written through
// Debian's stb image library and handed over as in-memory pictures.
#ifndef RUXA_TOOLS_IMAGE_IMAGE_FILES_H
#define RUXA_TOOLS_IMAGE_IMAGE_FILES_H

#include <string>

#include "tools/surface/surface.h"

// Reads a bitmap (BMP) or PNG file into 0x00BBGGRR colours.  Fails (false,
// `out` untouched) on anything the library cannot decode.
bool LoadImageFile(const std::string& path, Surface& out);

// Writes the picture as an 8-bit RGB PNG.
bool SavePngFile(const std::string& path, const Surface& picture);

#endif
