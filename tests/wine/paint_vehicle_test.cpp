// Vehicle painting with real GDI: the painted picture against the module's
// own bitmap, pixel by pixel, and the drawing objects that a call leaves.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "animation/drive.h"
#include "animation/vehicle_body.h"
#include "animation/win32/paint_vehicle.h"
#include "host/win32/host_state.h"
#include "resources/resource_ids.h"
#include "wine/gdi_count.h"

namespace {

const Colour Blue = 0x00FF0000, White = 0x00FFFFFF, Black = 0x00000000;
const Colour Trim = 0x00CCCCCC, Bumper = 0x00868686, DarkRed = 0x0000007F;

// A screen-compatible memory surface filled with one colour.
struct TestSurface {
    HDC Context = nullptr;
    HBITMAP Bitmap = nullptr;
    HGDIOBJ Previous = nullptr;
    int Width, Height;

    TestSurface(int width, int height, Colour fill) : Width(width), Height(height)
    {
        HDC screen = GetDC(nullptr);
        Context = CreateCompatibleDC(screen);
        Bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        Previous = SelectObject(Context, Bitmap);
        HBRUSH brush = CreateSolidBrush(fill);
        RECT all = {0, 0, width, height};
        FillRect(Context, &all, brush);
        DeleteObject(brush);
    }
    ~TestSurface()
    {
        SelectObject(Context, Previous);
        DeleteObject(Bitmap);
        DeleteDC(Context);
    }
    Colour At(int x, int y) const { return Colour(GetPixel(Context, x, y)); }
    std::vector<Colour> Block(int width, int height) const
    {
        std::vector<Colour> pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(At(x, y));
        return pixels;
    }
};

// The module's IDB_VEHICLE as stored, read pixel by pixel.
std::vector<Colour> StoredVehicle()
{
    HDC screen = GetDC(nullptr);
    HDC context = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HBITMAP picture = LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_VEHICLE));
    HGDIOBJ previous = SelectObject(context, picture);
    std::vector<Colour> pixels;
    for (int y = 0; y < VehiclePictureHeight; ++y)
        for (int x = 0; x < VehiclePictureWidth; ++x)
            pixels.push_back(Colour(GetPixel(context, x, y)));
    SelectObject(context, previous);
    DeleteObject(picture);
    DeleteDC(context);
    return pixels;
}

std::vector<Colour> Painted(Colour colour)
{
    TestSurface target(VehiclePictureWidth, VehiclePictureHeight, 0x00123456);
    PaintVehicle(target.Context, colour);
    return target.Block(VehiclePictureWidth, VehiclePictureHeight);
}

// What the painted picture must be: body pixels take the paint colour; for a
// white body the background turns blue; everything else stays.
std::vector<Colour> Expected(Colour colour)
{
    std::vector<Colour> pixels = StoredVehicle();
    for (Colour& pixel : pixels) {
        if (pixel == Blue)
            pixel = colour;
        else if (pixel == White && colour == White)
            pixel = Blue;
    }
    return pixels;
}

int CountOf(const std::vector<Colour>& pixels, Colour colour)
{
    int count = 0;
    for (Colour pixel : pixels)
        count += pixel == colour;
    return count;
}

// Reports the first differing pixel, so that a failure says where.
::testing::AssertionResult SamePicture(const std::vector<Colour>& actual, const std::vector<Colour>& expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size();
    for (size_t i = 0; i < actual.size(); ++i)
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure()
                   << "pixel (" << i % VehiclePictureWidth << ", " << i / VehiclePictureWidth << ") is 0x" << std::hex
                   << actual[i] << ", expected 0x" << expected[i];
    return ::testing::AssertionSuccess();
}

class PaintVehicleTest : public ::testing::Test {
protected:
    void SetUp() override { HostState.Instance = GetModuleHandleA(nullptr); }
};

TEST_F(PaintVehicleTest, StoredPictureHasTheBodyAndBackgroundItIsPaintedBy)
{
    std::vector<Colour> stored = StoredVehicle();
    ASSERT_EQ(stored.size(), size_t(VehiclePictureWidth * VehiclePictureHeight));
    EXPECT_EQ(CountOf(stored, Blue), 540);
    EXPECT_EQ(CountOf(stored, White), 212);
    EXPECT_EQ(stored[0], White);
}

TEST_F(PaintVehicleTest, DefaultDarkRedPaintsTheBodyAndKeepsEverythingElse)
{
    std::vector<Colour> painted = Painted(DarkRed);
    EXPECT_TRUE(SamePicture(painted, Expected(DarkRed)));
    EXPECT_EQ(CountOf(painted, DarkRed), 540);
    EXPECT_EQ(CountOf(painted, White), 212);
    EXPECT_EQ(CountOf(painted, Blue), 0);
    EXPECT_EQ(painted[0], White);
}

TEST_F(PaintVehicleTest, WhiteBodyTurnsTheBackgroundBlue)
{
    std::vector<Colour> painted = Painted(White);
    EXPECT_TRUE(SamePicture(painted, Expected(White)));
    EXPECT_EQ(CountOf(painted, White), 540);
    EXPECT_EQ(CountOf(painted, Blue), 212);
    EXPECT_EQ(painted[0], Blue);
}

TEST_F(PaintVehicleTest, PureBlueGivesTheStoredPicture)
{
    EXPECT_TRUE(SamePicture(Painted(Blue), StoredVehicle()));
}

TEST_F(PaintVehicleTest, BlackTrimAndBumperColoursPaintOnlyTheBody)
{
    for (Colour colour : {Black, Trim, Bumper, Colour(0x007F7F00), Colour(0x00FEFFFF)}) {
        SCOPED_TRACE(::testing::Message() << "paint 0x" << std::hex << colour);
        std::vector<Colour> painted = Painted(colour);
        EXPECT_TRUE(SamePicture(painted, Expected(colour)));
        EXPECT_EQ(painted[0], White);
        EXPECT_EQ(CountOf(painted, White), 212);
    }
}

TEST_F(PaintVehicleTest, SecondCallDoesNotDependOnTheFirst)
{
    TestSurface target(VehiclePictureWidth, VehiclePictureHeight, 0);
    PaintVehicle(target.Context, White);
    PaintVehicle(target.Context, 0x0000FF00);
    EXPECT_TRUE(SamePicture(target.Block(VehiclePictureWidth, VehiclePictureHeight), Expected(0x0000FF00)));
    PaintVehicle(target.Context, Black);
    PaintVehicle(target.Context, White);
    EXPECT_TRUE(SamePicture(target.Block(VehiclePictureWidth, VehiclePictureHeight), Expected(White)));
}

TEST_F(PaintVehicleTest, LargerTargetKeepsEverythingOutsideTheTopLeftBlock)
{
    const Colour marker = 0x00123456;
    TestSurface target(90, 60, marker);
    PaintVehicle(target.Context, DarkRed);
    std::vector<Colour> block;
    int outsideChanged = 0;
    for (int y = 0; y < target.Height; ++y)
        for (int x = 0; x < target.Width; ++x) {
            if (x < VehiclePictureWidth && y < VehiclePictureHeight)
                block.push_back(target.At(x, y));
            else
                outsideChanged += target.At(x, y) != marker;
        }
    EXPECT_TRUE(SamePicture(block, Expected(DarkRed)));
    EXPECT_EQ(outsideChanged, 0);
}

// A copy of the painting steps that forgets to delete its brush: the measure
// used below must see it.
void PaintVehicleLeakingBrush(HDC target, Colour colour)
{
    HDC scratch = CreateCompatibleDC(target);
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldBrush = SelectObject(scratch, brush);
    HBITMAP picture = LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_VEHICLE));
    HGDIOBJ oldBitmap = SelectObject(scratch, picture);
    ExtFloodFill(scratch, 40, 13, Blue, FLOODFILLSURFACE);
    BitBlt(target, 0, 0, VehiclePictureWidth, VehiclePictureHeight, scratch, 0, 0, SRCCOPY);
    SelectObject(scratch, oldBitmap);
    SelectObject(scratch, oldBrush);
    DeleteObject(picture);
    DeleteDC(scratch);
}

TEST_F(PaintVehicleTest, ObjectCountSeesOneLeakedObject)
{
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0) << "the handle walk finds not even the stock objects";
    HBRUSH brush = CreateSolidBrush(0x00010203);
    EXPECT_EQ(CountGdiObjects(), before + 1);
    DeleteObject(brush);
    EXPECT_EQ(CountGdiObjects(), before);

    TestSurface target(VehiclePictureWidth, VehiclePictureHeight, 0);
    const int beforeLeak = CountGdiObjects();
    PaintVehicleLeakingBrush(target.Context, DarkRed);
    EXPECT_EQ(CountGdiObjects(), beforeLeak + 1);
}

TEST_F(PaintVehicleTest, ThousandsOfCallsLeaveNoDrawingObjectBehind)
{
    TestSurface target(VehiclePictureWidth, VehiclePictureHeight, 0);
    PaintVehicle(target.Context, DarkRed);  // any one-time set-up inside GDI happens here
    const int before = CountGdiObjects();
    for (int i = 0; i < 3000; ++i)
        PaintVehicle(target.Context, i % 3 == 0 ? White : Colour(0x00010101 * (i % 200)));
    EXPECT_EQ(CountGdiObjects(), before);
    EXPECT_TRUE(SamePicture(target.Block(VehiclePictureWidth, VehiclePictureHeight), Expected(Colour(0x00010101 * (2999 % 200)))));
}

}  // namespace
