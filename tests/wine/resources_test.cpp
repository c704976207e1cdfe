// The resources that RUXA.SCR carries, read through the platform's own
// loaders from the module file: bitmaps, icon, description string and the
// configure dialog's template, all in US English.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "animation/colour.h"
#include "resources/resource_ids.h"
#include "wine/support.h"

namespace {

const Colour White = 0x00FFFFFF, PureBlue = 0x00FF0000, Black = 0x00000000;
const Colour Trim = 0x00CCCCCC, Bumper = 0x00868686;
const WORD UsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// RUXA.SCR mapped as data only: nothing of it runs.
struct ModuleData {
    HMODULE Handle;
    ModuleData() : Handle(LoadLibraryExA(ModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ModuleData()
    {
        if (Handle)
            FreeLibrary(Handle);
    }
};

// A bitmap loaded with LoadBitmapA and selected into a memory context.
struct LoadedBitmap {
    HBITMAP Bitmap;
    HDC Context = nullptr;
    HGDIOBJ Previous = nullptr;
    BITMAP Info = {};

    LoadedBitmap(HMODULE module, int id) : Bitmap(LoadBitmapA(module, MAKEINTRESOURCEA(id)))
    {
        if (!Bitmap)
            return;
        GetObjectA(Bitmap, sizeof Info, &Info);
        HDC screen = GetDC(nullptr);
        Context = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        Previous = SelectObject(Context, Bitmap);
    }
    ~LoadedBitmap()
    {
        if (Context) {
            SelectObject(Context, Previous);
            DeleteDC(Context);
        }
        if (Bitmap)
            DeleteObject(Bitmap);
    }
    Colour At(int x, int y) const { return Colour(GetPixel(Context, x, y)); }
};

// The raw bytes of a resource in US English, or empty.
std::vector<std::uint8_t> RawResource(HMODULE module, LPCSTR type, int id)
{
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), UsEnglish);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const std::uint8_t* data = static_cast<const std::uint8_t*>(LockResource(loaded));
    if (!data)
        return {};
    return std::vector<std::uint8_t>(data, data + SizeofResource(module, found));
}

// A bitmap resource is the file without its 14-byte file header.
void ExpectBitmapHeader(HMODULE module, int id, int width, int height, int bits)
{
    const std::vector<std::uint8_t> raw = RawResource(module, MAKEINTRESOURCEA(2) /* RT_BITMAP */, id);
    ASSERT_GE(raw.size(), sizeof(BITMAPINFOHEADER)) << "bitmap " << id;
    BITMAPINFOHEADER header;
    std::memcpy(&header, raw.data(), sizeof header);
    EXPECT_EQ(header.biSize, 40u) << id;
    EXPECT_EQ(header.biWidth, width) << id;
    EXPECT_EQ(header.biHeight, height) << id << ": bottom-up rows";
    EXPECT_EQ(header.biPlanes, 1) << id;
    EXPECT_EQ(header.biBitCount, bits) << id;
    EXPECT_EQ(header.biCompression, DWORD(BI_RGB)) << id;
    EXPECT_TRUE(header.biClrUsed == 0 || header.biClrUsed == (1u << bits)) << id << ": full table";
    const std::size_t stride = ((std::size_t(width) * bits + 31) / 32) * 4;
    EXPECT_EQ(raw.size(), 40 + 4 * (std::size_t(1) << bits) + stride * std::size_t(height)) << id;
}

TEST(ResourcesModule, BitmapsAreStoredInTheirFormats)
{
    ModuleData module;
    ASSERT_NE(module.Handle, nullptr);
    ExpectBitmapHeader(module.Handle, IDB_VEHICLE, 50, 26, 8);
    ExpectBitmapHeader(module.Handle, IDB_TRACKS, 6, 34, 4);
    ExpectBitmapHeader(module.Handle, IDB_PALETTE, 128, 32, 4);
}

TEST(ResourcesModule, VehicleLoadsWithItsKeySeedsAndColourCounts)
{
    ModuleData module;
    ASSERT_NE(module.Handle, nullptr);
    LoadedBitmap vehicle(module.Handle, IDB_VEHICLE);
    ASSERT_NE(vehicle.Bitmap, nullptr);
    EXPECT_EQ(vehicle.Info.bmWidth, 50);
    EXPECT_EQ(vehicle.Info.bmHeight, 26);
    EXPECT_EQ(vehicle.At(0, 0), White);
    const int seeds[7][2] = {{40, 13}, {22, 13}, {12, 7}, {12, 9}, {12, 12}, {12, 15}, {12, 18}};
    for (const auto& seed : seeds)
        EXPECT_EQ(vehicle.At(seed[0], seed[1]), PureBlue) << seed[0] << "," << seed[1];
    int white = 0, blue = 0, black = 0, trim = 0, bumper = 0;
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 50; ++x) {
            const Colour c = vehicle.At(x, y);
            white += c == White;
            blue += c == PureBlue;
            black += c == Black;
            trim += c == Trim;
            bumper += c == Bumper;
        }
    }
    EXPECT_EQ(white, 212);
    EXPECT_EQ(blue, 540);
    EXPECT_EQ(black, 282);
    EXPECT_EQ(trim, 214);
    EXPECT_EQ(bumper, 52);
}

TEST(ResourcesModule, TracksLoadWithWhiteKeyAndGap)
{
    ModuleData module;
    ASSERT_NE(module.Handle, nullptr);
    LoadedBitmap tracks(module.Handle, IDB_TRACKS);
    ASSERT_NE(tracks.Bitmap, nullptr);
    EXPECT_EQ(tracks.Info.bmWidth, 6);
    EXPECT_EQ(tracks.Info.bmHeight, 34);
    EXPECT_EQ(tracks.At(0, 0), White);
    for (int y = 15; y <= 18; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(tracks.At(x, y), White) << x << "," << y;
    for (int y = 2; y <= 31; ++y) {
        if (y >= 15 && y <= 18)
            continue;
        for (int x = 1; x <= 4; ++x)
            EXPECT_NE(tracks.At(x, y), White) << "tread " << x << "," << y;
    }
}

TEST(ResourcesModule, PaletteCellsShowTheirSwatches)
{
    ModuleData module;
    ASSERT_NE(module.Handle, nullptr);
    LoadedBitmap palette(module.Handle, IDB_PALETTE);
    ASSERT_NE(palette.Bitmap, nullptr);
    EXPECT_EQ(palette.Info.bmWidth, 128);
    EXPECT_EQ(palette.Info.bmHeight, 32);
    const Colour swatches[16] = {
        MakeColour(255, 255, 255), MakeColour(192, 192, 192), MakeColour(255, 0, 0),
        MakeColour(255, 255, 0),   MakeColour(0, 255, 0),     MakeColour(0, 255, 255),
        MakeColour(0, 0, 255),     MakeColour(255, 0, 255),   MakeColour(0, 0, 0),
        MakeColour(128, 128, 128), MakeColour(128, 0, 0),     MakeColour(128, 128, 0),
        MakeColour(0, 128, 0),     MakeColour(0, 128, 128),   MakeColour(0, 0, 128),
        MakeColour(128, 0, 128),
    };
    for (int cell = 0; cell < 16; ++cell) {
        const int left = 16 * (cell % 8), top = 16 * (cell / 8);
        EXPECT_EQ(palette.At(left + 8, top + 8), swatches[cell]) << "centre of cell " << cell;
        EXPECT_EQ(palette.At(left, top), swatches[cell]) << "corner of cell " << cell;
        EXPECT_EQ(palette.At(left + 15, top + 15), swatches[cell]) << "corner of cell " << cell;
    }
}

TEST(ResourcesModule, EachLoadGivesAnIndependentVehicle)
{
    ModuleData module;
    ASSERT_NE(module.Handle, nullptr);
    LoadedBitmap painted(module.Handle, IDB_VEHICLE);
    LoadedBitmap untouched(module.Handle, IDB_VEHICLE);
    ASSERT_NE(painted.Bitmap, nullptr);
    ASSERT_NE(untouched.Bitmap, nullptr);
    EXPECT_NE(painted.Bitmap, untouched.Bitmap);
    HBRUSH red = CreateSolidBrush(0x000000FF);
    HGDIOBJ previous = SelectObject(painted.Context, red);
    ExtFloodFill(painted.Context, 40, 13, PureBlue, FLOODFILLSURFACE);
    SelectObject(painted.Context, previous);
    DeleteObject(red);
    SetPixel(painted.Context, 22, 13, 0x0000FF00);
    EXPECT_EQ(painted.At(40, 13), 0x000000FFu);
    EXPECT_EQ(painted.At(46, 20), 0x000000FFu) << "the fill covers the front panel";
    EXPECT_EQ(painted.At(22, 13), 0x0000FF00u);
    EXPECT_EQ(untouched.At(40, 13), PureBlue);
    EXPECT_EQ(untouched.At(46, 20), PureBlue);
    EXPECT_EQ(untouched.At(22, 13), PureBlue);
    // A third load, after the changes, is still the stored picture.
    LoadedBitmap third(module.Handle, IDB_VEHICLE);
    EXPECT_EQ(third.At(40, 13), PureBlue);
}

TEST(ResourcesModule, IconLoadsAsOne32By32SixteenColourImage)
{
    ModuleData module;
    ASSERT_NE(module.Handle, nullptr);
    HICON icon = LoadIconA(module.Handle, MAKEINTRESOURCEA(IDI_SAVER));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_NE(info.hbmMask, nullptr) << "see-through pixels need the mask";
    BITMAP colour = {};
    if (info.hbmColor) {
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, 32);
        EXPECT_EQ(colour.bmHeight, 32);
        DeleteObject(info.hbmColor);
    }
    if (info.hbmMask)
        DeleteObject(info.hbmMask);

    // The group: one image, icon 1, 32 x 32, 16 colours, 4 bits per pixel.
    const std::vector<std::uint8_t> group =
        RawResource(module.Handle, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, IDI_SAVER);
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(group[2] | group[3] << 8, 1) << "icon type";
    EXPECT_EQ(group[4] | group[5] << 8, 1) << "one image";
    EXPECT_EQ(group[6], 32);
    EXPECT_EQ(group[7], 32);
    EXPECT_EQ(group[8], 16);
    EXPECT_EQ(group[12] | group[13] << 8, 4) << "bits per pixel";
    const int image = group[18] | group[19] << 8;
    EXPECT_EQ(image, 1);
    const std::vector<std::uint8_t> raw = RawResource(module.Handle, MAKEINTRESOURCEA(3) /* RT_ICON */, image);
    ASSERT_GE(raw.size(), 40u);
    EXPECT_EQ(raw[0], 40);
    EXPECT_EQ(raw[8], 64) << "image and mask";
    EXPECT_EQ(raw[14], 4);
}

TEST(ResourcesModule, DescriptionIsTheOnlyString)
{
    ModuleData module;
    ASSERT_NE(module.Handle, nullptr);
    char text[64] = {};
    EXPECT_EQ(LoadStringA(module.Handle, IDS_SAVER_NAME, text, sizeof text), 17);
    EXPECT_STREQ(text, "Ruxa Screen Saver");
    // String 1 lives in table block 1 (strings 0 to 15), in US English.
    EXPECT_NE(FindResourceExA(module.Handle, MAKEINTRESOURCEA(6) /* RT_STRING */, MAKEINTRESOURCEA(1), UsEnglish),
              nullptr);
    for (int id = 0; id < 16; ++id) {
        if (id != IDS_SAVER_NAME) {
            EXPECT_EQ(LoadStringA(module.Handle, UINT(id), text, sizeof text), 0) << id;
        }
    }
}

// Reads the little-endian fields and strings of a dialog template.
struct TemplateReader {
    const std::vector<std::uint8_t>& Data;
    std::size_t At = 0;
    bool Overrun = false;

    std::uint32_t Read(int size)
    {
        std::uint32_t value = 0;
        if (At + std::size_t(size) > Data.size()) {
            Overrun = true;
            At = Data.size();
            return 0;
        }
        for (int i = 0; i < size; ++i)
            value |= std::uint32_t(Data[At + std::size_t(i)]) << (8 * i);
        At += std::size_t(size);
        return value;
    }
    std::int16_t Short() { return std::int16_t(Read(2)); }
    // A string, or an ordinal written as "#number".
    std::string Text()
    {
        std::uint32_t first = Read(2);
        if (first == 0xFFFF)
            return "#" + std::to_string(Read(2));
        std::string text;
        for (std::uint32_t c = first; c != 0 && !Overrun; c = Read(2))
            text += char(c < 0x80 ? c : '?');
        return text;
    }
    void AlignTo4() { At = (At + 3) & ~std::size_t(3); }
};

struct ControlTemplate {
    std::int32_t Id;
    std::string Class;
    std::uint32_t Style, ExStyle;
    std::int16_t X, Y, Width, Height;
    std::string Text;
};

TEST(ResourcesModule, ConfigureDialogTemplateIsLaidOutAsTheDialogExpects)
{
    ModuleData module;
    ASSERT_NE(module.Handle, nullptr);
    const std::vector<std::uint8_t> raw = RawResource(module.Handle, MAKEINTRESOURCEA(5) /* RT_DIALOG */, IDD_CONFIGURE);
    ASSERT_FALSE(raw.empty());
    TemplateReader t{raw};
    EXPECT_EQ(t.Read(2), 1u) << "version";
    EXPECT_EQ(t.Read(2), 0xFFFFu) << "extended template";
    EXPECT_EQ(t.Read(4), 0u) << "help id";
    EXPECT_EQ(t.Read(4), 0u) << "extended style";
    EXPECT_EQ(t.Read(4), 0x80C800C0u) << "style";
    const std::uint32_t count = t.Read(2);
    EXPECT_EQ(t.Short(), 0);
    EXPECT_EQ(t.Short(), 0);
    EXPECT_EQ(t.Short(), 206);
    EXPECT_EQ(t.Short(), 183);
    EXPECT_EQ(t.Text(), "") << "menu";
    EXPECT_EQ(t.Text(), "") << "class";
    EXPECT_EQ(t.Text(), "Ruxa Screen Saver");
    EXPECT_EQ(t.Read(2), 8u) << "points";
    EXPECT_EQ(t.Read(2), 0u) << "weight";
    EXPECT_EQ(t.Read(1), 0u) << "italic";
    EXPECT_EQ(t.Read(1), 1u) << "character set";
    EXPECT_EQ(t.Text(), "MS Sans Serif");
    ASSERT_EQ(count, 6u);

    const std::uint32_t child = WS_CHILD | WS_VISIBLE;
    const ControlTemplate expected[6] = {
        {IDOK, "#128", child | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 32, 156, 50, 14, "OK"},
        {-1, "#130", child | SS_CENTER | WS_GROUP, 0, 40, 9, 125, 48, ""},
        {-1, "#128", child | BS_GROUPBOX | BS_CENTER, 0, 50, 103, 105, 40, "Paint Your Ruxa"},
        {IDC_PREVIEW, "#130", child | SS_BITMAP, 0, 86, 59, 33, 16, ""},
        {IDC_PALETTE, "#130", child | SS_BITMAP, WS_EX_CLIENTEDGE, 59, 114, 88, 22, "#108"},
        {IDCANCEL, "#128", child | BS_PUSHBUTTON | WS_TABSTOP, 0, 123, 156, 50, 14, "Cancel"},
    };
    for (int i = 0; i < 6; ++i) {
        const ControlTemplate& e = expected[i];
        t.AlignTo4();
        EXPECT_EQ(t.Read(4), 0u) << "help id of control " << i;
        EXPECT_EQ(t.Read(4), e.ExStyle) << "control " << i;
        EXPECT_EQ(t.Read(4), e.Style) << "control " << i;
        EXPECT_EQ(t.Short(), e.X) << "control " << i;
        EXPECT_EQ(t.Short(), e.Y) << "control " << i;
        EXPECT_EQ(t.Short(), e.Width) << "control " << i;
        EXPECT_EQ(t.Short(), e.Height) << "control " << i;
        EXPECT_EQ(std::int32_t(t.Read(4)), e.Id) << "control " << i;
        EXPECT_EQ(t.Text(), e.Class) << "control " << i;
        const std::string text = t.Text();
        if (i == 1) {
            // The about text: name, version, an empty line, two credit lines.
            EXPECT_EQ(text.rfind("Ruxa Screen Saver\nAlpha Version 1\n\n", 0), 0u) << text;
            int feeds = 0;
            for (char c : text)
                feeds += c == '\n';
            EXPECT_EQ(feeds, 4) << text;
            EXPECT_EQ(text.find('\r'), std::string::npos);
            EXPECT_NE(text.back(), '\n');
        } else {
            EXPECT_EQ(text, e.Text) << "control " << i;
        }
        EXPECT_EQ(t.Read(2), 0u) << "creation data of control " << i;
    }
    EXPECT_FALSE(t.Overrun);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found)
{
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

TEST(ResourcesModule, EverythingIsInUsEnglishOnly)
{
    ModuleData module;
    ASSERT_NE(module.Handle, nullptr);
    const struct {
        int Type, Id;
    } all[] = {{2, IDB_VEHICLE}, {2, IDB_TRACKS}, {2, IDB_PALETTE}, {14, IDI_SAVER}, {3, 1},
               {5, IDD_CONFIGURE}, {6, 1}};
    for (const auto& r : all) {
        std::vector<WORD> languages;
        EnumResourceLanguagesA(module.Handle, MAKEINTRESOURCEA(r.Type), MAKEINTRESOURCEA(r.Id), CollectLanguage,
                               LONG_PTR(&languages));
        EXPECT_EQ(languages, std::vector<WORD>{1033}) << "type " << r.Type << " id " << r.Id;
    }
}

}  // namespace
