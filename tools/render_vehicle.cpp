// render_vehicle OUT.png HEADING [COLOUR_HEX] [--scale N]
//
// Paints the vehicle picture in a body colour (0x00BBGGRR, default the dark
// red 0000007F) and draws it turned to HEADING degrees into a 64 x 64 box on
// grey, as the saver and the configure preview do, then writes the box as a
// PNG, optionally enlarged N times.  The art comes from the build's art
// folder, or from the folder named by the RUXA_ART_DIR environment variable.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "animation/drive.h"
#include "animation/fixed_trig.h"
#include "tools/surface/flood_fill.h"
#include "animation/rotate.h"
#include "settings/palette.h"
#include "tools/image/image_files.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: render_vehicle OUT.png HEADING [COLOUR_HEX] [--scale N]\n");
    return 2;
}

bool ParseNumber(const char* text, int base, long long low, long long high, long long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, base);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string out;
    long long heading = 0, colour = DefaultPaintColour, scale = 1;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale") {
            if (++i >= argc || !ParseNumber(argv[i], 10, 1, 64, scale))
                return Usage();
        } else if (positional == 0) {
            out = arg;
            ++positional;
        } else if (positional == 1) {
            if (!ParseNumber(argv[i], 10, -1000000, 1000000, heading))
                return Usage();
            ++positional;
        } else if (positional == 2) {
            if (!ParseNumber(argv[i], 16, 0, 0x00FFFFFF, colour))
                return Usage();
            ++positional;
        } else {
            return Usage();
        }
    }
    if (positional < 2)
        return Usage();

    const char* artDir = std::getenv("RUXA_ART_DIR");
    const std::string path = std::string(artDir && *artDir ? artDir : RUXA_ART_DIR) + "/vehicle.bmp";
    Surface vehicle;
    if (!LoadImageFile(path, vehicle) || vehicle.Width < VehiclePictureWidth || vehicle.Height < VehiclePictureHeight) {
        std::fprintf(stderr, "render_vehicle: cannot read a 50 x 26 picture from %s\n", path.c_str());
        return 1;
    }
    PaintVehiclePicture(vehicle, Colour(colour));

    Surface box = MakeSurface(VehicleBoxSize, VehicleBoxSize, 0x00808080);
    const std::int32_t angle = std::int32_t(heading);
    DrawRotatedSprite(box, VehicleBoxSize, vehicle, VehiclePictureHeight, VehiclePictureWidth, FixedSin(angle),
                      FixedCos(angle));

    const std::int32_t n = std::int32_t(scale);
    Surface large = MakeSurface(box.Width * n, box.Height * n, 0);
    for (std::int32_t y = 0; y < large.Height; ++y)
        for (std::int32_t x = 0; x < large.Width; ++x)
            large.Write(x, y, box.Read(x / n, y / n));
    if (!SavePngFile(out, large)) {
        std::fprintf(stderr, "render_vehicle: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
