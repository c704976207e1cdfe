// The saver and the dialog's preview draw per pixel straight into their
// bitmaps' memory.  These tests run that path side by side with the
// reference path (GetPixel/SetPixel on screen-compatible bitmaps, as the
// drawing once was) and demand the same pixels; they make surfaces fail
// to show that a missing surface draws nothing and leaks nothing; and they
// make the saver and the dialog take their screen-compatible surfaces (as
// on a palette display, or without memory for a 32-bit bitmap) and demand
// what the memory path draws.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "animation/drive.h"
#include "animation/win32/dib_surface.h"
#include "animation/win32/gdi_pixels.h"
#include "animation/win32/paint_vehicle.h"
#include "animation/win32/saver_proc.h"
#include "host/win32/host_state.h"
#include "resources/resource_ids.h"
#include "settings/win32/configure_dialog.h"
#include "settings/win32/paint_colour.h"
#include "settings/win32/preview_frame.h"
#include "wine/gdi_count.h"
#include "wine/heap_count.h"
#include "wine/support.h"

namespace {

// A bitmap's pixels as 0x00RRGGBB, rows from the top; the unused top byte,
// which some platforms set, is masked.
std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap, int width, int height)
{
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(rows, height);
    for (std::uint32_t& p : pixels)
        p &= 0x00FFFFFF;
    return pixels;
}

std::vector<std::uint32_t> PixelsOf(const DibSurface& surface)
{
    return PixelsOf(surface.Bitmap, surface.Pixels.Width, surface.Pixels.Height);
}

::testing::AssertionResult SamePixels(const std::vector<std::uint32_t>& reference,
                                      const std::vector<std::uint32_t>& memory, int width)
{
    int differences = 0, first = -1;
    for (std::size_t i = 0; i < reference.size(); ++i)
        if (reference[i] != memory[i]) {
            if (differences++ == 0)
                first = int(i);
        }
    if (differences == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differences << " pixels differ, the first at (" << first % width << ", "
                                         << first / width << "): reference " << std::hex << reference[first]
                                         << ", memory " << memory[first];
}

// A screen-compatible bitmap in a memory context: the reference path's kind
// of surface.
struct ReferenceSurface {
    HDC Context = nullptr;
    HBITMAP Bitmap = nullptr;
    HGDIOBJ Previous = nullptr;
    int Width = 0, Height = 0;

    ReferenceSurface(HBITMAP bitmap, int width, int height) : Bitmap(bitmap), Width(width), Height(height)
    {
        HDC screen = GetDC(nullptr);
        Context = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        Previous = SelectObject(Context, Bitmap);
    }
    ReferenceSurface(int width, int height) : ReferenceSurface(CompatibleBitmap(width, height), width, height) {}
    ~ReferenceSurface()
    {
        SelectObject(Context, Previous);
        DeleteObject(Bitmap);
        DeleteDC(Context);
    }
    static HBITMAP CompatibleBitmap(int width, int height)
    {
        HDC screen = GetDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        return bitmap;
    }
    GdiPixels Pixels() const { return GdiPixels{Context}; }
    std::vector<std::uint32_t> Read() const { return PixelsOf(Bitmap, Width, Height); }
};

struct ReleasedAtEnd {
    DibSurface& Surface;
    ~ReleasedAtEnd() { ReleaseDibSurface(Surface); }
};

class MemoryDrawing : public ::testing::Test {
protected:
    void SetUp() override { HostState.Instance = GetModuleHandleA(nullptr); }
};

// Both paths drive the same frames over the same frozen picture for 2000
// ticks and are compared every 100 ticks.
void DriveBothPaths(std::int32_t width, std::int32_t height)
{
    HDC screen = GetDC(nullptr);
    DibSurface background = MakeDibSurface(screen, width, height);
    DibSurface compose = MakeDibSurface(screen, VehicleBoxSize, VehicleBoxSize);
    DibSurface vehicle = MakeDibSurface(screen, VehiclePictureWidth, VehiclePictureHeight);
    DibSurface tracks = LoadDibPicture(screen, IDB_TRACKS);
    ReleaseDC(nullptr, screen);
    ReleasedAtEnd releases[] = {{background}, {compose}, {vehicle}, {tracks}};
    ASSERT_NE(background.Context, nullptr);
    ASSERT_NE(compose.Context, nullptr);
    ASSERT_NE(tracks.Context, nullptr);
    ASSERT_TRUE(PaintVehicle(vehicle.Context, DefaultPaintColour));

    // A frozen picture where every pixel tells where it is, with the top byte
    // set as some platforms leave it.
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            background.Pixels.Bits[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                0xFF000000u | ((std::uint32_t(x) * 2654435761u + std::uint32_t(y) * 40503u) & 0x00FFFFFF);

    ReferenceSurface referenceBackground(width, height), referenceCompose(VehicleBoxSize, VehicleBoxSize);
    ReferenceSurface referenceVehicle(VehiclePictureWidth, VehiclePictureHeight);
    ReferenceSurface referenceTracks(LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(IDB_TRACKS)), 6, 34);
    BitBlt(referenceBackground.Context, 0, 0, width, height, background.Context, 0, 0, SRCCOPY);
    ASSERT_TRUE(PaintVehicle(referenceVehicle.Context, DefaultPaintColour));
    GdiFlush();
    ASSERT_TRUE(SamePixels(referenceBackground.Read(), PixelsOf(background), width));
    ASSERT_TRUE(SamePixels(referenceVehicle.Read(), PixelsOf(vehicle), VehiclePictureWidth));

    DriveState state;
    DriveRandom random;
    SeedDriveRandom(random, 20261207);
    StartDrive(state, random, width, height);
    const DriveArea whole = {0, 0, width, height};
    int frames = 0;
    for (int tick = 1; tick <= 2000; ++tick) {
        const DriveFrame frame = StepDrive(state, random, width, height);
        DrawSaverFrame(frame, whole, referenceBackground.Context, referenceBackground.Pixels(),
                       referenceCompose.Context, referenceCompose.Pixels(), referenceVehicle.Pixels(),
                       referenceTracks.Pixels());
        DrawSaverFrame(frame, whole, background.Context, background.Pixels, compose.Context, compose.Pixels,
                       vehicle.Pixels, tracks.Pixels);
        if (tick % 100 == 0) {
            ++frames;
            ASSERT_TRUE(SamePixels(referenceBackground.Read(), PixelsOf(background), width)) << "tick " << tick;
            ASSERT_TRUE(SamePixels(referenceCompose.Read(), PixelsOf(compose), VehicleBoxSize)) << "tick " << tick;
        }
    }
    EXPECT_EQ(frames, 20);
}

TEST_F(MemoryDrawing, SaverTicksMatchTheReferenceAtFullScreenSize)
{
    DriveBothPaths(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(MemoryDrawing, SaverTicksMatchTheReferenceAtPreviewSize)
{
    DriveBothPaths(152, 112);
}

TEST_F(MemoryDrawing, PreviewFramesMatchTheReferenceAtEveryHeadingForADarkAndAWhiteBody)
{
    HDC screen = GetDC(nullptr);
    DibSurface square = MakeDibSurface(screen, PreviewSize, PreviewSize);
    DibSurface vehicle = MakeDibSurface(screen, VehiclePictureWidth, VehiclePictureHeight);
    ReleaseDC(nullptr, screen);
    ReleasedAtEnd releases[] = {{square}, {vehicle}};
    ReferenceSurface referenceSquare(PreviewSize, PreviewSize);
    ReferenceSurface referenceVehicle(VehiclePictureWidth, VehiclePictureHeight);
    for (Colour body : {DefaultPaintColour, Colour(0x00FFFFFF)}) {
        ASSERT_TRUE(PaintVehicle(vehicle.Context, body));
        ASSERT_TRUE(PaintVehicle(referenceVehicle.Context, body));
        for (std::int32_t angle = 0; angle < 360; ++angle) {
            ComposePreviewFrame(referenceSquare.Context, referenceSquare.Pixels(), referenceVehicle.Pixels(), angle);
            ComposePreviewFrame(square.Context, square.Pixels, vehicle.Pixels, angle);
            GdiFlush();
            ASSERT_TRUE(SamePixels(referenceSquare.Read(), PixelsOf(square), PreviewSize))
                << "body " << std::hex << body << std::dec << ", heading " << angle;
        }
    }
}

TEST_F(MemoryDrawing, SurfacesThatCannotBeMadeAreMissingAndLeakNothing)
{
    HDC screen = GetDC(nullptr);
    const int objects = CountGdiObjects();
    for (auto size : {std::make_pair(0, 10), {10, 0}, {-5, 5}}) {
        const DibSurface none = MakeDibSurface(screen, size.first, size.second);
        EXPECT_EQ(none.Context, nullptr);
        EXPECT_EQ(none.Bitmap, nullptr);
        EXPECT_EQ(none.Pixels.Bits, nullptr);
    }
    const DibSurface unknown = LoadDibPicture(screen, 4321);
    EXPECT_EQ(unknown.Context, nullptr);
    EXPECT_EQ(unknown.Pixels.Width, 0);
    EXPECT_EQ(CountGdiObjects(), objects);
    // The vehicle cannot be painted without its picture.
    HostState.Instance = GetModuleHandleA("kernel32.dll");
    DibSurface target = MakeDibSurface(screen, VehiclePictureWidth, VehiclePictureHeight);
    EXPECT_FALSE(PaintVehicle(target.Context, DefaultPaintColour));
    ReleaseDibSurface(target);
    EXPECT_EQ(CountGdiObjects(), objects);
    ReleaseDC(nullptr, screen);
}

// The saver with a module whose pictures cannot be loaded: the vehicle and
// the track stamp stay missing, and ticks neither stamp anything into the
// frozen screen nor show anything but the frozen screen.
TEST_F(MemoryDrawing, ASaverWithoutItsPicturesDrawsNothingFromThemAndLeaksNothing)
{
    HMODULE noPictures = GetModuleHandleA("kernel32.dll");
    ASSERT_EQ(LoadBitmapA(noPictures, MAKEINTRESOURCEA(IDB_VEHICLE)), nullptr);
    ASSERT_EQ(LoadBitmapA(noPictures, MAKEINTRESOURCEA(IDB_TRACKS)), nullptr);
    HostState.Instance = noPictures;
    const LONG savedPreviewMode = HostState.PreviewMode;
    HostState.PreviewMode = 1;  // no input watch closing the window
    const SaverRecord savedSaver = Saver;
    Saver = SaverRecord();

    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    auto releaseSurfaces = [] {
        ReleaseDibSurface(Saver.BackgroundBuffer);
        ReleaseDibSurface(Saver.VehicleImage);
        ReleaseDibSurface(Saver.TrackImage);
        ReleaseDibSurface(Saver.ComposeBuffer);
        Saver = SaverRecord();
    };
    // A first set-up warms the platform's own caches (the screen's context).
    CREATESTRUCTA create = {};
    ScreenSaverProc(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    releaseSurfaces();
    const int objects = CountGdiObjects();
    ScreenSaverProc(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    KillTimer(window, DriveTimerId);
    EXPECT_EQ(Saver.VehicleImage.Context, nullptr);
    EXPECT_EQ(Saver.TrackImage.Context, nullptr);
    ASSERT_NE(Saver.BackgroundBuffer.Context, nullptr);
    ASSERT_NE(Saver.ComposeBuffer.Context, nullptr);
    // The two surfaces that were made, each a context and a bitmap, and nothing else.
    EXPECT_EQ(CountGdiObjects(), objects + 4);

    const std::vector<std::uint32_t> frozen = PixelsOf(Saver.BackgroundBuffer);
    ScreenSaverProc(window, WM_TIMER, DriveTimerId, 0);  // the window's DC cache is warm
    const int before = CountGdiObjects();
    const std::size_t heapBefore = HeapBytesInUse();
    // Drive on until the box lies wholly inside the window (it leaves the
    // window at times), so that the last tick showed all of it.
    auto boxInside = [] {
        const DriveState& drive = Saver.Drives[0];
        return drive.X >= 0 && drive.Y >= 0 && drive.X + VehicleBoxSize <= 320 && drive.Y + VehicleBoxSize <= 240;
    };
    for (int tick = 0; tick < 500 || (tick < 5000 && !boxInside()); ++tick)
        ScreenSaverProc(window, WM_TIMER, DriveTimerId, 0);
    ASSERT_TRUE(boxInside());
    EXPECT_EQ(CountGdiObjects(), before);
    EXPECT_EQ(HeapBytesInUse(), heapBefore);
    EXPECT_TRUE(SamePixels(frozen, PixelsOf(Saver.BackgroundBuffer), 320)) << "tracks were stamped";

    // The last box shown is the frozen screen itself: no black box.
    HDC windowContext = GetDC(window);
    int differences = 0;
    for (int v = 0; v < VehicleBoxSize; ++v)
        for (int u = 0; u < VehicleBoxSize; ++u) {
            const int x = Saver.Drives[0].X + u, y = Saver.Drives[0].Y + v;
            differences += GetPixel(windowContext, x, y) != ColourFromPixel(frozen[std::size_t(y) * 320 + x]);
        }
    ReleaseDC(window, windowContext);
    EXPECT_EQ(differences, 0);

    DestroyWindow(window);
    releaseSurfaces();
    Saver = savedSaver;
    HostState.PreviewMode = savedPreviewMode;
    HostState.Instance = GetModuleHandleA(nullptr);
}


// The ways surfaces can be made: in memory as on this display, as on a
// palette display, and where no 32-bit bitmap can be made.
const SurfaceRecord SurfaceWays[3] = {{false, false}, {true, false}, {false, true}};

struct SurfaceWayScope {
    explicit SurfaceWayScope(const SurfaceRecord& way) { SurfaceMaking = way; }
    ~SurfaceWayScope() { SurfaceMaking = SurfaceRecord(); }
};

// The saver on a 320 x 240 window with a fixed seed, over a known frozen
// picture, after 300 ticks: the frozen picture with its tracks and the last
// box, the same whichever way its surfaces were made; with no GDI object
// made per tick and none left once the surfaces are released.  `dpi`: the
// monitor's, 0 for the display's own.
void SaverTicksEqualOnSurfacesMadeEachWay(std::int32_t dpi)
{
    const LONG savedPreviewMode = HostState.PreviewMode;
    HostState.PreviewMode = 1;  // no input watch closing the window
    const SaverRecord savedSaver = Saver;
    HDC screen = GetDC(nullptr);
    DibSurface known = MakeDibSurface(screen, 320, 240);
    ReleaseDC(nullptr, screen);
    ReleasedAtEnd releaseKnown = {known};
    for (std::int32_t i = 0; i < 320 * 240; ++i)
        known.Pixels.Bits[i] = (std::uint32_t(i) * 2654435761u) & 0x00FFFFFF;
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    std::vector<std::uint32_t> memoryBackground, memoryBox;
    for (const SurfaceRecord& way : SurfaceWays) {
        SCOPED_TRACE(testing::Message() << "palette " << way.ActAsPaletteDisplay << ", no memory " << way.MemoryFails);
        SurfaceWayScope scope(way);
        Saver = SaverRecord();
        Saver.Seed = 20261207;
        Saver.Dpi = dpi;
        const int objects = CountGdiObjects();
        CREATESTRUCTA create = {};
        ScreenSaverProc(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
        KillTimer(window, DriveTimerId);
        const std::int32_t box = ScaledBoxSize(Saver.Areas[0]);
        EXPECT_EQ(Saver.Areas[0].Scale, WholeScaleForDpi(dpi != 0 ? dpi : DisplayDpi()));
        const bool fallback = way.ActAsPaletteDisplay || way.MemoryFails;
        for (const DibSurface* s : {&Saver.BackgroundBuffer, &Saver.ComposeBuffer, &Saver.VehicleImage,
                                    &Saver.TrackImage}) {
            ASSERT_NE(s->Context, nullptr);
            EXPECT_EQ(s->Pixels.Bits == nullptr, fallback);
        }
        BitBlt(Saver.BackgroundBuffer.Context, 0, 0, 320, 240, known.Context, 0, 0, SRCCOPY);
        ScreenSaverProc(window, WM_TIMER, DriveTimerId, 0);  // the window's DC cache is warm
        const int before = CountGdiObjects();
        for (int tick = 1; tick < 300; ++tick)
            ScreenSaverProc(window, WM_TIMER, DriveTimerId, 0);
        EXPECT_EQ(CountGdiObjects(), before);
        GdiFlush();
        const std::vector<std::uint32_t> background = PixelsOf(Saver.BackgroundBuffer.Bitmap, 320, 240);
        const std::vector<std::uint32_t> boxPixels = PixelsOf(Saver.ComposeBuffer.Bitmap, box, box);
        if (!fallback) {
            memoryBackground = background;
            memoryBox = boxPixels;
            EXPECT_FALSE(SamePixels(std::vector<std::uint32_t>(known.Pixels.Bits, known.Pixels.Bits + 320 * 240),
                                    background, 320))
                << "no tracks were stamped";
        }
        EXPECT_TRUE(SamePixels(memoryBackground, background, 320));
        EXPECT_TRUE(SamePixels(memoryBox, boxPixels, box));
        for (DibSurface* s : {&Saver.BackgroundBuffer, &Saver.ComposeBuffer, &Saver.VehicleImage, &Saver.TrackImage})
            ReleaseDibSurface(*s);
        EXPECT_EQ(CountGdiObjects(), objects);
    }
    DestroyWindow(window);
    Saver = savedSaver;
    HostState.PreviewMode = savedPreviewMode;
}

TEST_F(MemoryDrawing, SaverTicksOnScreenCompatibleSurfacesEqualTheMemoryPath)
{
    SaverTicksEqualOnSurfacesMadeEachWay(0);
}

// On a monitor at 192 DPI every design pixel is a 2 x 2 block, on a
// palette display too.
TEST_F(MemoryDrawing, ScaledSaverTicksOnScreenCompatibleSurfacesEqualTheMemoryPath)
{
    SaverTicksEqualOnSurfacesMadeEachWay(192);
}

INT_PTR CALLBACK ForwardToConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
}

// The configure dialog's spinning preview, a turn of 120 frames each way,
// frame by frame as the preview control shows it; nothing kept per frame.
TEST_F(MemoryDrawing, PreviewFramesOnScreenCompatibleSurfacesEqualTheMemoryPath)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIGURE), nullptr,
                                     ForwardToConfigureDialog, 0);
    ASSERT_NE(dialog, nullptr);
    SetWindowPos(dialog, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(dialog);
    ScreenSaverConfigureDialog(dialog, WM_TIMER, PreviewTimer, 0);  // caches warm
    std::vector<COLORREF> memoryFrames;
    for (const SurfaceRecord& way : SurfaceWays) {
        SCOPED_TRACE(testing::Message() << "palette " << way.ActAsPaletteDisplay << ", no memory " << way.MemoryFails);
        SurfaceWayScope scope(way);
        ConfigureState.PreviewAngle = PreviewStartAngle;
        std::vector<COLORREF> frames;
        HDC control = GetDC(ConfigureState.PreviewControl);
        int objects = 0;
        for (int frame = 0; frame < 120; ++frame) {
            ScreenSaverConfigureDialog(dialog, WM_TIMER, PreviewTimer, 0);
            for (int y = 0; y < PreviewSize; y += 2)
                for (int x = 0; x < PreviewSize; ++x)
                    frames.push_back(GetPixel(control, x, y));
            if (frame == 0)  // the control's reading warms caches of its own
                objects = CountGdiObjects();
        }
        EXPECT_EQ(CountGdiObjects(), objects);
        ReleaseDC(ConfigureState.PreviewControl, control);
        if (memoryFrames.empty())
            memoryFrames = frames;
        EXPECT_TRUE(frames == memoryFrames);
        EXPECT_NE(std::count(frames.begin(), frames.end(), COLORREF(ConfigureState.WorkingColour)), 0)
            << "no vehicle drawn";
    }
    DestroyWindow(dialog);
}

}  // namespace
