#include "tools/image/image_files.h"

#include <utility>
#include <vector>

#include <stb_image.h>
#include <stb_image_write.h>

bool LoadImageFile(const std::string& path, Surface& out)
{
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (!rgb)
        return false;
    Surface picture = MakeSurface(width, height, 0);
    for (std::size_t i = 0; i < picture.Pixels.size(); ++i)
        picture.Pixels[i] = MakeColour(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    stbi_image_free(rgb);
    out = std::move(picture);
    return true;
}

bool SavePngFile(const std::string& path, const Surface& picture)
{
    if (picture.Width <= 0 || picture.Height <= 0)
        return false;
    std::vector<unsigned char> rgb;
    rgb.reserve(picture.Pixels.size() * 3);
    for (Colour c : picture.Pixels) {
        rgb.push_back(static_cast<unsigned char>(ColourRed(c)));
        rgb.push_back(static_cast<unsigned char>(ColourGreen(c)));
        rgb.push_back(static_cast<unsigned char>(ColourBlue(c)));
    }
    return stbi_write_png(path.c_str(), picture.Width, picture.Height, 3, rgb.data(), picture.Width * 3) != 0;
}
