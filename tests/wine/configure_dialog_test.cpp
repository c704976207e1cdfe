// The configure dialog, run in this process from the module's own template
// and driven with messages, and the module itself driven with real input.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "animation/drive.h"
#include "animation/vehicle_body.h"
#include "animation/win32/paint_vehicle.h"
#include "host/win32/host_state.h"
#include "host/win32/saver_hooks.h"
#include "resources/resource_ids.h"
#include "settings/palette.h"
#include "settings/win32/configure_dialog.h"
#include "settings/win32/paint_colour.h"
#include "wine/gdi_count.h"
#include "wine/heap_count.h"
#include "wine/support.h"

namespace {

// ---- registry -------------------------------------------------------------

// The value holds exactly these 4 bytes as REG_BINARY.
::testing::AssertionResult StoreHolds(Colour colour)
{
    ColourStoreReading stored = ReadColourStore();
    if (!stored.KeyExists)
        return ::testing::AssertionFailure() << "the key is missing";
    if (!stored.ValueExists)
        return ::testing::AssertionFailure() << "the value is missing";
    if (stored.Type != REG_BINARY)
        return ::testing::AssertionFailure() << "type " << stored.Type;
    if (stored.Bytes != ColourStoreBytes(colour)) {
        ::testing::AssertionResult failure = ::testing::AssertionFailure();
        failure << "bytes";
        for (BYTE b : stored.Bytes)
            failure << " " << std::hex << unsigned(b);
        return failure;
    }
    return ::testing::AssertionSuccess();
}

// ---- the dialog in this process ---------------------------------------------

void UseOwnResources()
{
    HostState.Instance = GetModuleHandleA(nullptr);
}

// A point in the palette's client coordinates as the lParam of a mouse
// message to the dialog (dialog client coordinates).
LPARAM PalettePointToDialog(HWND dialog, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(GetDlgItem(dialog, IDC_PALETTE), &point);
    ScreenToClient(dialog, &point);
    return MAKELPARAM(point.x, point.y);
}

BOOL ReleaseOverPalette(HWND dialog, int x, int y)
{
    return ScreenSaverConfigureDialog(dialog, WM_LBUTTONUP, 0, PalettePointToDialog(dialog, x, y));
}

// The centre of a cell in palette client coordinates.
POINT CellCentre(int cell)
{
    return POINT{(cell % 8) * 16 + 8, (cell / 8) * 16 + 8};
}

// Runs the dialog modally; once it is up and idle the script runs inside the
// dialog's own message loop.  A script that leaves the dialog open makes the
// run end with -2.
std::function<void(HWND)> ActiveScript;

const UINT RunScript = WM_APP + 1;
const UINT AbandonScript = WM_APP + 2;

INT_PTR CALLBACK ScriptedDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case RunScript: {
        std::function<void(HWND)> script = ActiveScript;
        script(dialog);
        PostMessageA(dialog, AbandonScript, 0, 0);
        return TRUE;
    }
    case AbandonScript:
        EndDialog(dialog, -2);
        return TRUE;
    }
    INT_PTR result = ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG)
        PostMessageA(dialog, RunScript, 0, 0);
    return result;
}

INT_PTR RunDialog(const std::function<void(HWND)>& script)
{
    UseOwnResources();
    ActiveScript = script;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIGURE), nullptr, ScriptedDialog, 0);
}

void PressOk(HWND dialog)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
}

void PressCancel(HWND dialog)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDCANCEL)));
}

INT_PTR CALLBACK ForwardingDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
}

// A modeless copy of the dialog for looking at it between messages.  Its
// timer stays quiet as long as the test pumps no messages; the test sends the
// ticks itself.
struct OpenDialog {
    HWND Dialog = nullptr;

    OpenDialog()
    {
        UseOwnResources();
        Dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIGURE), nullptr,
                                    ForwardingDialog, 0);
        if (Dialog) {
            SetWindowPos(Dialog, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
            UpdateWindow(Dialog);
            RedrawWindow(Dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
    }
    ~OpenDialog()
    {
        if (Dialog)
            DestroyWindow(Dialog);
    }
    void Tick() const { ScreenSaverConfigureDialog(Dialog, WM_TIMER, PreviewTimer, 0); }
    HWND Palette() const { return GetDlgItem(Dialog, IDC_PALETTE); }
    HWND Preview() const { return GetDlgItem(Dialog, IDC_PREVIEW); }
};

// The preview square (64 x 64 at 96 DPI) as the control's own device context
// shows it (CLR_INVALID where the control's drawing is clipped away).
std::vector<COLORREF> PreviewPixels(HWND preview, int side = PreviewSize)
{
    std::vector<COLORREF> pixels(side * side);
    HDC dc = GetDC(preview);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            pixels[y * side + x] = GetPixel(dc, x, y);
    ReleaseDC(preview, dc);
    return pixels;
}

// The vehicle painted by the animation's own painter, as pixels.
std::vector<COLORREF> PaintedVehicle(Colour colour)
{
    std::vector<COLORREF> pixels(VehiclePictureWidth * VehiclePictureHeight);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, VehiclePictureWidth, VehiclePictureHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PaintVehicle(dc, colour);
    for (int y = 0; y < VehiclePictureHeight; ++y)
        for (int x = 0; x < VehiclePictureWidth; ++x)
            pixels[y * VehiclePictureWidth + x] = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// At heading 90 the picture is drawn unturned with source (sx, sy) at box
// (sx + 7, sy + 19).  Everything the vehicle does not cover is button face.
std::vector<COLORREF> ExpectedFrameAt90(Colour paint)
{
    const std::vector<COLORREF> vehicle = PaintedVehicle(paint);
    const COLORREF key = vehicle[0];
    std::vector<COLORREF> expected(PreviewSize * PreviewSize, GetSysColor(COLOR_BTNFACE));
    for (int sy = 0; sy < VehiclePictureHeight; ++sy)
        for (int sx = 0; sx < VehiclePictureWidth; ++sx) {
            const COLORREF colour = vehicle[sy * VehiclePictureWidth + sx];
            if (colour != key)
                expected[(sy + 19) * PreviewSize + sx + 7] = colour;
        }
    return expected;
}

int CountDifferences(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b)
{
    int differences = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        differences += a[i] != b[i];
    return differences;
}

// ---- opening, messages, picks -------------------------------------------------

TEST(ConfigureDialog, OpeningLoadsTheColourFindsTheControlsAndStartsAt270)
{
    ASSERT_TRUE(StoreColour(0x00007F7F));
    ConfigureState.PreviewAngle = 12;
    ConfigureState.WorkingColour = 0;
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    EXPECT_EQ(ConfigureState.WorkingColour, 0x00007F7Fu);
    EXPECT_EQ(ConfigureState.PaletteControl, open.Palette());
    EXPECT_EQ(ConfigureState.PreviewControl, open.Preview());
    EXPECT_NE(ConfigureState.PaletteControl, nullptr);
    EXPECT_NE(ConfigureState.PreviewControl, nullptr);
    EXPECT_EQ(ConfigureState.PreviewAngle, 270);
    EXPECT_EQ(ScreenSaverRegisterDialogClasses(GetModuleHandleA(nullptr)), TRUE);
}

TEST(ConfigureDialog, AnswersEachMessageAsHandledOrNot)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_TIMER, PreviewTimer, 0), FALSE);
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_LBUTTONUP, 0, MAKELPARAM(1, 1)), TRUE);
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 1)), FALSE);
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_PAINT, 0, 0), FALSE);
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_MOUSEMOVE, 0, 0), FALSE);
    // Any other command changes nothing and still counts as handled.
    ConfigureState.WorkingColour = 0x00123456;
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_COMMAND, IDC_PALETTE, 0), TRUE);
    EXPECT_EQ(ConfigureState.WorkingColour, 0x00123456u);
    EXPECT_TRUE(IsWindowVisible(open.Dialog));
}

TEST(ConfigureSwatchPick, CornersAndBordersPickTheirCell)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    struct Case {
        int X, Y;
        Colour Expected;
    } cases[] = {
        {0, 0, 0x00FFFFFF},     {127, 31, 0x007F007F}, {16, 15, 0x00BFBFBF}, {15, 16, 0x00000000},
        {127, 0, 0x00FF00FF},   {0, 31, 0x00000000},   {40, 20, 0x0000007F}, {88, 8, 0x00FFFF00},
    };
    for (const Case& c : cases) {
        ConfigureState.WorkingColour = 0x00123456;
        EXPECT_EQ(ReleaseOverPalette(open.Dialog, c.X, c.Y), TRUE);
        EXPECT_EQ(ConfigureState.WorkingColour, c.Expected) << c.X << "," << c.Y;
    }
    for (int cell = 0; cell < PaletteCellCount; ++cell) {
        POINT centre = CellCentre(cell);
        ReleaseOverPalette(open.Dialog, centre.x, centre.y);
        EXPECT_EQ(ConfigureState.WorkingColour, PaletteColours[cell]) << cell;
    }
}

TEST(ConfigureSwatchPick, PointsJustOffTheGridChangeNothing)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    const POINT outside[] = {{128, 0}, {128, 31}, {0, 32}, {127, 32}, {-1, 0}, {0, -1}, {-1, -1},
                             {-16, 8}, {8, -16}, {200, 40}};
    for (const POINT& p : outside) {
        ConfigureState.WorkingColour = 0x00123456;
        EXPECT_EQ(ReleaseOverPalette(open.Dialog, p.x, p.y), TRUE);
        EXPECT_EQ(ConfigureState.WorkingColour, 0x00123456u) << p.x << "," << p.y;
    }
    // The dialog's own corner is far from the grid.
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_LBUTTONUP, 0, MAKELPARAM(0, 0)), TRUE);
    EXPECT_EQ(ConfigureState.WorkingColour, 0x00123456u);
    // Coordinates are unsigned 16-bit: 0xFFFF is far right, not one left.
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_LBUTTONUP, 0, MAKELPARAM(0xFFFF, 0xFFFF)), TRUE);
    EXPECT_EQ(ConfigureState.WorkingColour, 0x00123456u);
}

TEST(ConfigureSwatchPick, WithoutAPaletteControlNothingIsPicked)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    const LPARAM overWhite = PalettePointToDialog(open.Dialog, 4, 4);
    // With the dialog's client origin at the screen's origin, a point that
    // stayed in screen coordinates would land on the grid.
    POINT origin = {0, 0};
    ClientToScreen(open.Dialog, &origin);
    RECT frame;
    GetWindowRect(open.Dialog, &frame);
    SetWindowPos(open.Dialog, nullptr, frame.left - origin.x, frame.top - origin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ConfigureState.PaletteControl = nullptr;
    ConfigureState.WorkingColour = 0x00123456;
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_LBUTTONUP, 0, overWhite), TRUE);
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_LBUTTONUP, 0, MAKELPARAM(8, 8)), TRUE);
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_LBUTTONUP, 0, MAKELPARAM(20, 20)), TRUE);
    EXPECT_EQ(ConfigureState.WorkingColour, 0x00123456u);
}

TEST(ConfigureSwatchPick, StaticsLetTheClickThroughToTheDialog)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    EXPECT_EQ(SendMessageA(open.Palette(), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    EXPECT_EQ(SendMessageA(open.Preview(), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    EXPECT_EQ(GetWindowLongA(open.Palette(), GWL_STYLE) & SS_NOTIFY, 0);
    EXPECT_EQ(GetWindowLongA(open.Preview(), GWL_STYLE) & SS_NOTIFY, 0);
}

// ---- OK and Cancel --------------------------------------------------------------

TEST(ConfigureCommands, OkStoresThePickedTableColourAndSetsTheCurrentColour)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    CurrentPaintColour = 0x00123456;
    INT_PTR result = RunDialog([](HWND dialog) {
        ReleaseOverPalette(dialog, 0, 0);
        ReleaseOverPalette(dialog, 127, 31);
        PressOk(dialog);
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(StoreHolds(0x007F007F));
    EXPECT_EQ(CurrentPaintColour, 0x007F007Fu);
}

TEST(ConfigureCommands, GreysStoreThePaintValuesNotTheSwatchValues)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    EXPECT_EQ(RunDialog([](HWND dialog) {
                  ReleaseOverPalette(dialog, 20, 4);   // light grey
                  PressOk(dialog);
              }),
              1);
    EXPECT_TRUE(StoreHolds(0x00BFBFBF));
    EXPECT_EQ(RunDialog([](HWND dialog) {
                  ReleaseOverPalette(dialog, 20, 20);  // dark grey
                  PressOk(dialog);
              }),
              1);
    EXPECT_TRUE(StoreHolds(0x007F7F7F));
}

TEST(ConfigureCommands, OkWithoutAPickStoresTheLoadedColour)
{
    ASSERT_TRUE(StoreColour(0x0000FF00));
    CurrentPaintColour = 0x00123456;
    EXPECT_EQ(RunDialog([](HWND dialog) { PressOk(dialog); }), 1);
    EXPECT_TRUE(StoreHolds(0x0000FF00));
    EXPECT_EQ(CurrentPaintColour, 0x0000FF00u);
}

TEST(ConfigureCommands, OnlyTheLowWordOfTheCommandCounts)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    EXPECT_EQ(RunDialog([](HWND dialog) {
                  ReleaseOverPalette(dialog, 100, 4);  // blue
                  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0);
              }),
              1);
    EXPECT_TRUE(StoreHolds(0x00FF0000));
    EXPECT_EQ(RunDialog([](HWND dialog) {
                  ReleaseOverPalette(dialog, 4, 4);
                  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0x1234), 0);
              }),
              0);
    EXPECT_TRUE(StoreHolds(0x00FF0000));
}

TEST(ConfigureCommands, CancelAfterPicksStoresNothing)
{
    ASSERT_TRUE(StoreColour(0x007F7F00));
    CurrentPaintColour = 0x00123456;
    INT_PTR result = RunDialog([](HWND dialog) {
        ReleaseOverPalette(dialog, 4, 4);
        ReleaseOverPalette(dialog, 40, 4);
        ReleaseOverPalette(dialog, 120, 20);
        PressCancel(dialog);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(StoreHolds(0x007F7F00));
    EXPECT_EQ(CurrentPaintColour, 0x00123456u);
}

TEST(ConfigureCommands, OkAfterTheKeyWasDeletedStoresNothingButStillEndsWithOne)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    INT_PTR result = RunDialog([](HWND dialog) {
        ReleaseOverPalette(dialog, 70, 4);  // green
        DeleteUserKey(ColourStoreKey);
        PressOk(dialog);
    });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(ReadColourStore().KeyExists);
    EXPECT_EQ(CurrentPaintColour, 0x0000FF00u);
}

TEST(ConfigureCommands, OpeningForANewUserStoresTheDefaultEvenWhenCancelled)
{
    DeleteUserKey(ColourStoreKey);
    ASSERT_FALSE(ReadColourStore().KeyExists);
    Colour loaded = 0;
    INT_PTR result = RunDialog([&loaded](HWND dialog) {
        loaded = ConfigureState.WorkingColour;
        ReleaseOverPalette(dialog, 4, 4);
        PressCancel(dialog);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(loaded, 0x0000007Fu);
    EXPECT_TRUE(StoreHolds(0x0000007F));
}

// ---- the preview ----------------------------------------------------------------

TEST(ConfigurePreview, TheAngleStepsByThreeAndWrapsBelow360)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    open.Tick();
    EXPECT_EQ(ConfigureState.PreviewAngle, 273);
    for (int tick = 2; tick <= 29; ++tick)
        open.Tick();
    EXPECT_EQ(ConfigureState.PreviewAngle, 357);
    open.Tick();
    EXPECT_EQ(ConfigureState.PreviewAngle, 0);
    for (int tick = 31; tick <= 120; ++tick) {
        open.Tick();
        ASSERT_GE(ConfigureState.PreviewAngle, 0);
        ASSERT_LT(ConfigureState.PreviewAngle, 360);
    }
    EXPECT_EQ(ConfigureState.PreviewAngle, 270);
}

TEST(ConfigurePreview, WithoutAPreviewControlATickDoesNothing)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    ConfigureState.PreviewControl = nullptr;
    const int before = CountGdiObjects();
    EXPECT_EQ(ScreenSaverConfigureDialog(open.Dialog, WM_TIMER, PreviewTimer, 0), FALSE);
    EXPECT_EQ(ConfigureState.PreviewAngle, 270);
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(ConfigurePreview, ThePictureTurnsFromFrameToFrame)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    open.Tick();
    const std::vector<COLORREF> first = PreviewPixels(open.Preview());
    open.Tick();
    const std::vector<COLORREF> second = PreviewPixels(open.Preview());
    EXPECT_GT(CountDifferences(first, second), 20);
    // A whole turn later the same frame comes again.
    for (int tick = 0; tick < 120; ++tick)
        open.Tick();
    EXPECT_EQ(ConfigureState.PreviewAngle, 276);
    EXPECT_EQ(CountDifferences(second, PreviewPixels(open.Preview())), 0);
}

// The first frame comes from a quick timer that each frame sets again at the
// frame period: in the dialog's own loop the preview draws about one frame
// per 50 ms, not one per 10 ms (Wine's shortest period) as it would if the
// quick period stayed.
TEST(ConfigurePreview, TheDialogsLoopDrawsAboutOneFramePer50Milliseconds)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    int frames = -1;
    DWORD elapsed = 0;
    RunDialog([&](HWND dialog) {
        const std::int32_t start = ConfigureState.PreviewAngle;
        const DWORD begun = GetTickCount();
        PumpMessages(600);
        elapsed = GetTickCount() - begun;
        frames = (ConfigureState.PreviewAngle - start + 360) % 360 / PreviewAngleStep;
        PressCancel(dialog);
    });
    EXPECT_GE(frames, 3) << "the preview stopped";
    EXPECT_LE(frames, int(elapsed / PreviewPeriod) + 2) << "in " << elapsed << " ms";
}

TEST(ConfigurePreview, TheWholeSquareShowsTheTurnedVehicleOnButtonFace)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    ConfigureState.PreviewAngle = 87;
    open.Tick();
    ASSERT_EQ(ConfigureState.PreviewAngle, 90);
    const std::vector<COLORREF> shown = PreviewPixels(open.Preview());
    const std::vector<COLORREF> expected = ExpectedFrameAt90(0x0000007F);
    EXPECT_EQ(CountDifferences(shown, expected), 0);
    // The square reaches past the template's rectangle on both sides.
    EXPECT_EQ(shown[63 * PreviewSize + 63], GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(shown[32 * PreviewSize + 32], 0x0000007Fu);
    RECT client;
    GetClientRect(open.Preview(), &client);
    EXPECT_GE(client.right, PreviewSize);
    EXPECT_GE(client.bottom, PreviewSize);
}

TEST(ConfigurePreview, AWhiteBodyStaysWhiteInsideTheOutline)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    ReleaseOverPalette(open.Dialog, 4, 4);
    ASSERT_EQ(ConfigureState.WorkingColour, 0x00FFFFFFu);
    ConfigureState.PreviewAngle = 87;
    open.Tick();
    const std::vector<COLORREF> shown = PreviewPixels(open.Preview());
    EXPECT_EQ(CountDifferences(shown, ExpectedFrameAt90(0x00FFFFFF)), 0);
    EXPECT_EQ(shown[32 * PreviewSize + 32], 0x00FFFFFFu);
    EXPECT_EQ(shown[0], GetSysColor(COLOR_BTNFACE));
    int white = 0, black = 0;
    for (COLORREF c : shown) {
        white += c == 0x00FFFFFF;
        black += c == 0x00000000;
    }
    int whiteBody = 0;
    for (COLORREF c : PaintedVehicle(0x00FFFFFF))
        whiteBody += c == 0x00FFFFFF;
    EXPECT_GT(whiteBody, 100);
    EXPECT_EQ(white, whiteBody);
    EXPECT_GT(black, 100);

    // Heading 0 points the front down; the body is still closed in.
    ConfigureState.PreviewAngle = 357;
    open.Tick();
    const std::vector<COLORREF> down = PreviewPixels(open.Preview());
    EXPECT_EQ(down[32 * PreviewSize + 32], 0x00FFFFFFu);
    EXPECT_EQ(down[0], GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(down[63 * PreviewSize + 63], GetSysColor(COLOR_BTNFACE));
}

TEST(ConfigurePreview, HeapMeasureSeesOneLeakedBlock)
{
    const std::size_t before = HeapBytesInUse();
    ASSERT_GT(before, 0u) << "the heap walk finds no busy block at all";
    void* block = HeapAlloc(GetProcessHeap(), 0, 4096);
    ASSERT_NE(block, nullptr);
    EXPECT_GE(HeapBytesInUse(), before + 4096);
    HeapFree(GetProcessHeap(), 0, block);
    EXPECT_EQ(HeapBytesInUse(), before);
}

TEST(ConfigurePreview, TicksLeaveNoDrawingObjectsOrMemoryBehind)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    // The first ticks may make the platform's own lasting objects.
    open.Tick();
    ReleaseOverPalette(open.Dialog, 4, 4);
    open.Tick();
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    const std::size_t heapBefore = HeapBytesInUse();
    for (int tick = 0; tick < 3000; ++tick) {
        if (tick % 500 == 0) {
            POINT centre = CellCentre((tick / 500) % PaletteCellCount);
            ReleaseOverPalette(open.Dialog, centre.x, centre.y);  // white too
        }
        open.Tick();
    }
    EXPECT_EQ(CountGdiObjects(), before);
    EXPECT_EQ(HeapBytesInUse(), heapBefore);
}

// ---- the palette control --------------------------------------------------------

TEST(ConfigurePalette, EverySwatchShowsWholeInsideTheEdge)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    // Swatch colours as drawn: 0x80 and 0xC0 where the table has 0x7F/0xBF.
    auto swatch = [](int cell) {
        Colour c = PaletteColours[cell];
        Colour shown = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            Colour part = (c >> shift) & 0xFF;
            if (part == 0x7F)
                part = 0x80;
            if (part == 0xBF)
                part = 0xC0;
            shown |= part << shift;
        }
        return shown;
    };
    RECT client;
    GetClientRect(open.Palette(), &client);
    EXPECT_GE(client.right, PaletteWidth);
    EXPECT_GE(client.bottom, PaletteHeight);
    HDC dc = GetDC(open.Palette());
    for (int cell = 0; cell < PaletteCellCount; ++cell) {
        const int left = (cell % 8) * 16, top = (cell / 8) * 16;
        EXPECT_EQ(GetPixel(dc, left + 8, top + 8), swatch(cell)) << "centre of cell " << cell;
        EXPECT_EQ(GetPixel(dc, left, top), swatch(cell)) << "top-left of cell " << cell;
        EXPECT_EQ(GetPixel(dc, left + 15, top + 15), swatch(cell)) << "bottom-right of cell " << cell;
    }
    EXPECT_EQ(GetPixel(dc, 0, 0), 0x00FFFFFFu);
    EXPECT_EQ(GetPixel(dc, 127, 31), 0x00800080u);
    ReleaseDC(open.Palette(), dc);
}

// ---- drawn for the display's DPI ------------------------------------------------

// A length of `design` pixels (pixels at 96 DPI) at a DPI, and the design
// pixel drawn at true pixel x.
int AtDpi(int design, int dpi)
{
    return design * dpi / 96;
}
int DesignPixelAt(int x, int dpi)
{
    int u = 0;
    while (AtDpi(u + 1, dpi) <= x)
        ++u;
    return u;
}

// A swatch as the palette bitmap shows it: 0x80 and 0xC0 where the table
// has 0x7F and 0xBF.
COLORREF SwatchOf(int cell)
{
    COLORREF swatch = PaletteColours[cell];
    for (int shift = 0; shift < 24; shift += 8) {
        const COLORREF part = (swatch >> shift) & 0xFF;
        swatch += part == 0x7F || part == 0xBF ? 1u << shift : 0;
    }
    return swatch;
}

// The palette (128 x 32 at 96 DPI) and the preview (64 x 64) at DPI / 96
// of that: every swatch of the control's picture solid up to its cell's
// edges, the first also on screen (the rest may lie under neighbours where
// the platform does not lay the dialog out anew); a click anywhere on a
// cell picking it, just off the grid nothing; and the turned vehicle with
// each design pixel a block of true pixels.
void ExpectDrawnAtDpi(HWND dialog, int dpi)
{
    SCOPED_TRACE(testing::Message() << "at " << dpi << " DPI");
    HWND palette = GetDlgItem(dialog, IDC_PALETTE), preview = GetDlgItem(dialog, IDC_PREVIEW);
    RECT client;
    GetClientRect(palette, &client);
    EXPECT_EQ(client.right, AtDpi(PaletteWidth, dpi));
    EXPECT_EQ(client.bottom, AtDpi(PaletteHeight, dpi));
    HDC dc = GetDC(palette);
    EXPECT_EQ(GetPixel(dc, AtDpi(16, dpi) - 1, AtDpi(16, dpi) - 1), SwatchOf(0)) << "on screen";
    ReleaseDC(palette, dc);
    dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageA(palette, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    for (int cell = 0; cell < PaletteCellCount; ++cell) {
        const int left = AtDpi(cell % 8 * 16, dpi), right = AtDpi(cell % 8 * 16 + 16, dpi) - 1;
        const int top = AtDpi(cell / 8 * 16, dpi), bottom = AtDpi(cell / 8 * 16 + 16, dpi) - 1;
        for (POINT p : {POINT{left, top}, POINT{right, top}, POINT{left, bottom}, POINT{right, bottom}}) {
            EXPECT_EQ(GetPixel(dc, p.x, p.y), SwatchOf(cell)) << "cell " << cell << " at " << p.x << "," << p.y;
            ConfigureState.WorkingColour = 0x00123456;
            ReleaseOverPalette(dialog, p.x, p.y);
            EXPECT_EQ(ConfigureState.WorkingColour, PaletteColours[cell]) << p.x << "," << p.y;
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseOverPalette(dialog, AtDpi(PaletteWidth, dpi), 0);
    ReleaseOverPalette(dialog, 0, AtDpi(PaletteHeight, dpi));
    EXPECT_EQ(ConfigureState.WorkingColour, PaletteColours[15]);

    const int side = AtDpi(PreviewSize, dpi);
    GetClientRect(preview, &client);
    EXPECT_EQ(client.right, side);
    EXPECT_EQ(client.bottom, side);
    // Room for both, whatever the layout: the palette inside its group box,
    // the preview's square clear above it.
    RECT frame, paletteFrame, previewFrame, both;
    GetWindowRect(FindWindowExA(dialog, nullptr, "Button", "Paint Your Ruxa"), &frame);
    GetWindowRect(palette, &paletteFrame);
    GetWindowRect(preview, &previewFrame);
    EXPECT_TRUE(IntersectRect(&both, &frame, &paletteFrame) && EqualRect(&both, &paletteFrame));
    EXPECT_LE(previewFrame.bottom, frame.top);
    ConfigureState.PreviewAngle = 87;
    ScreenSaverConfigureDialog(dialog, WM_TIMER, PreviewTimer, 0);
    const std::vector<COLORREF> design = ExpectedFrameAt90(ConfigureState.WorkingColour);
    std::vector<COLORREF> expected;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            expected.push_back(design[DesignPixelAt(y, dpi) * PreviewSize + DesignPixelAt(x, dpi)]);
    EXPECT_EQ(CountDifferences(PreviewPixels(preview, side), expected), 0);
}

// The dialog dragged to a monitor at another DPI: the platform suggests a
// rectangle, here with room for the dialog as laid out at any of these DPI
// (the platform may not lay it out anew).
RECT ChangeDpi(HWND dialog, int dpi)
{
    RECT suggested = {20 + dpi / 24, 10, 830 + dpi / 24, 740};
    SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    PumpMessages(100);  // the palette and the preview are fitted after the platform's layout
    return suggested;
}

// Opened, the dialog is drawn for its display's DPI; dragged to a monitor
// of another, it takes the suggested rectangle and draws for that DPI.
// Back at its first DPI it holds the drawing objects it held, and at the
// end it leaves what one that ends at 96 DPI leaves.
TEST(ScaledDialog, IsDrawnForItsDisplaysDpiAndForANewDpiWhenDragged)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    const int first = DisplayDpi();
    int before = 0;
    for (int dialog = 0; dialog < 2; ++dialog) {  // the first makes the platform's lasting objects
        before = CountGdiObjects();
        OpenDialog open;
        open.Tick();
        ChangeDpi(open.Dialog, 96);
    }
    const int leftByADialog = CountGdiObjects() - before;

    before = CountGdiObjects();
    {
        OpenDialog open;
        ASSERT_NE(open.Dialog, nullptr);
        ExpectDrawnAtDpi(open.Dialog, first);
        // Counted once the frame has the suggested size: a newer Wine keeps
        // a window's pixels in a bitmap of its size, with a region.
        ChangeDpi(open.Dialog, first);
        const int opened = CountGdiObjects();
        for (int dpi : {192, 144, 120, first}) {
            const RECT suggested = ChangeDpi(open.Dialog, dpi);
            RECT frame;
            GetWindowRect(open.Dialog, &frame);
            EXPECT_TRUE(EqualRect(&frame, &suggested)) << dpi << " DPI";
            ExpectDrawnAtDpi(open.Dialog, dpi);
        }
        EXPECT_EQ(CountGdiObjects(), opened) << "back at its first DPI";
    }
    EXPECT_EQ(CountGdiObjects() - before, leftByADialog);
}

// ---- the palette from the keyboard and for screen readers ---------------------

// The palette's client area as the control draws it into another context.
std::vector<COLORREF> PrintedPalette(HWND palette, int width, int height)
{
    std::vector<COLORREF> pixels;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(width, height, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(palette, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return pixels;
}

// Wine keeps no focus-cue state (WM_QUERYUISTATE answers 0, "show"); this
// stand-in answers as the platform does once cues are hidden.
WNDPROC PaletteProcedure = nullptr;
LRESULT CALLBACK CuesHidden(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_QUERYUISTATE)
        return UISF_HIDEFOCUS;
    return CallWindowProcA(PaletteProcedure, window, message, wParam, lParam);
}

// Dark grey, where a dotted XOR focus rectangle all but vanishes, wears two
// frames of one design pixel in the system's text and window colours while
// the palette has the focus and focus cues show; otherwise the palette is
// just its swatches.
TEST(ScaledPalette, MarksTheCurrentSwatchOnlyWithTheFocusAndTheCue)
{
    ASSERT_TRUE(StoreColour(0x007F7F7F));
    const int dpi = DisplayDpi(), width = AtDpi(PaletteWidth, dpi), height = AtDpi(PaletteHeight, dpi);
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    std::vector<COLORREF> swatches, marked;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int u = DesignPixelAt(x, dpi), v = DesignPixelAt(y, dpi);
            swatches.push_back(SwatchOf(u / 16 + 8 * (v / 16)));
            const int ring = u / 16 == 1 && v / 16 == 1 ? std::min({u - 16, 31 - u, v - 16, 31 - v}) : 2;
            marked.push_back(ring == 0   ? GetSysColor(COLOR_WINDOWTEXT)
                             : ring == 1 ? GetSysColor(COLOR_WINDOW)
                                         : swatches.back());
        }
    EXPECT_EQ(CountDifferences(PrintedPalette(open.Palette(), width, height), swatches), 0) << "without the focus";
    SetFocus(open.Palette());
    EXPECT_EQ(CountDifferences(PrintedPalette(open.Palette(), width, height), marked), 0) << "with the focus";
    PaletteProcedure = WNDPROC(SetWindowLongPtrA(open.Palette(), GWLP_WNDPROC, LONG_PTR(CuesHidden)));
    EXPECT_EQ(CountDifferences(PrintedPalette(open.Palette(), width, height), swatches), 0) << "cues hidden";
}

VARIANT Child(LONG child)
{
    VARIANT id;
    V_VT(&id) = VT_I4;
    V_I4(&id) = child;
    return id;
}

std::wstring Text(BSTR text)
{
    const std::wstring copy = text ? text : L"";
    SysFreeString(text);
    return copy;
}

// A reader walks the palette's object and calls each of its members, which
// a table out of order would answer wrongly or crash on.  The palette has
// the focus on dark red (cell 10, child 11).
TEST(ScaledPaletteAccessible, IsAListOfSixteenNamedSwatchesWhereTheyAreDrawn)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    const int dpi = DisplayDpi();
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    SetFocus(open.Palette());
    IAccessible* list = nullptr;
    IDispatch* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(open.Palette(), DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&list)), S_OK);
    EXPECT_EQ(list->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&object)), E_NOINTERFACE);
    ASSERT_EQ(list->QueryInterface(__uuidof(IDispatch), reinterpret_cast<void**>(&object)), S_OK);
    EXPECT_EQ(object->Release() + 1, list->AddRef());
    list->Release();
    UINT types = 1;
    EXPECT_EQ(list->GetTypeInfoCount(&types), S_OK);
    EXPECT_EQ(types, 0u);
    EXPECT_EQ(list->GetTypeInfo(0, 0, nullptr), E_NOTIMPL);
    EXPECT_EQ(list->GetIDsOfNames(GUID(), nullptr, 0, 0, nullptr), E_NOTIMPL);
    EXPECT_EQ(list->Invoke(0, GUID(), 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);

    const wchar_t* names[] = {L"Paint colour", L"White", L"Light grey", L"Red", L"Yellow", L"Green", L"Cyan",
                              L"Blue", L"Magenta", L"Black", L"Dark grey", L"Dark red", L"Olive", L"Dark green",
                              L"Teal", L"Navy", L"Purple"};
    LONG count = 0, topic = 0;
    EXPECT_EQ(list->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 16);
    BSTR text = nullptr;
    VARIANT role, state, found;
    const LONG picked = STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
    for (LONG child = 0; child <= 16; ++child) {
        BSTR name = nullptr;
        EXPECT_EQ(list->get_accName(Child(child), &name), S_OK);
        EXPECT_EQ(Text(name), names[child]);
        EXPECT_EQ(list->get_accRole(Child(child), &role), S_OK);
        EXPECT_EQ(V_I4(&role), child == 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM) << child;
        EXPECT_EQ(list->get_accState(Child(child), &state), S_OK);
        EXPECT_EQ(V_I4(&state) & picked, child == 0 ? STATE_SYSTEM_FOCUSED : child == 11 ? picked : 0) << child;
    }
    EXPECT_EQ(list->get_accName(Child(17), &text), E_INVALIDARG);
    EXPECT_EQ(list->get_accChild(Child(3), &object), S_FALSE);
    ASSERT_EQ(list->get_accParent(&object), S_OK);
    object->Release();
    for (auto get : {&IAccessible::get_accValue, &IAccessible::get_accDescription, &IAccessible::get_accHelp,
                     &IAccessible::get_accKeyboardShortcut})
        EXPECT_EQ((list->*get)(Child(3), &text), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(list->get_accHelpTopic(&text, Child(3), &topic), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(list->get_accDefaultAction(Child(3), &text), S_OK);
    EXPECT_EQ(Text(text), L"Select");
    EXPECT_EQ(list->get_accFocus(&found), S_OK);
    EXPECT_EQ(V_I4(&found), 11);
    EXPECT_EQ(list->get_accSelection(&found), S_OK);
    EXPECT_EQ(V_I4(&found), 11);

    // Olive, child 12: column 3, row 1.
    POINT origin = {0, 0};
    ClientToScreen(open.Palette(), &origin);
    LONG left = 0, top = 0, width = 0, height = 0;
    EXPECT_EQ(list->accLocation(&left, &top, &width, &height, Child(12)), S_OK);
    EXPECT_EQ(left, origin.x + AtDpi(48, dpi));
    EXPECT_EQ(top, origin.y + AtDpi(16, dpi));
    EXPECT_EQ(width, AtDpi(64, dpi) - AtDpi(48, dpi));
    EXPECT_EQ(height, AtDpi(32, dpi) - AtDpi(16, dpi));
    EXPECT_EQ(list->accHitTest(left + width - 1, top + height - 1, &found), S_OK);
    EXPECT_EQ(V_I4(&found), 12);
    EXPECT_EQ(list->accHitTest(left, top + height, &found), S_FALSE);
    const LONG moves[][3] = {{NAVDIR_FIRSTCHILD, 0, 1}, {NAVDIR_LASTCHILD, 0, 16}, {NAVDIR_NEXT, 8, 9},
                             {NAVDIR_PREVIOUS, 9, 8},   {NAVDIR_DOWN, 3, 11},      {NAVDIR_UP, 3, 0},
                             {NAVDIR_RIGHT, 16, 0}};  // 0: nothing past the edge
    for (const auto& move : moves) {
        EXPECT_EQ(list->accNavigate(move[0], Child(move[1]), &found), move[2] ? S_OK : S_FALSE);
        EXPECT_EQ(V_VT(&found) == VT_I4 ? V_I4(&found) : 0, move[2]) << move[0] << " from " << move[1];
    }
    EXPECT_EQ(list->accSelect(SELFLAG_TAKESELECTION, Child(5)), S_OK);
    EXPECT_EQ(ConfigureState.WorkingColour, 0x0000FF00u);
    EXPECT_EQ(list->accDoDefaultAction(Child(16)), S_OK);
    EXPECT_EQ(ConfigureState.WorkingColour, 0x007F007Fu);
    EXPECT_EQ(list->put_accName(Child(1), nullptr), E_NOTIMPL);
    EXPECT_EQ(list->put_accValue(Child(1), nullptr), E_NOTIMPL);

    // A reader that still holds the object after the dialog has closed
    // gets an error, not a crash.
    DestroyWindow(open.Dialog);
    open.Dialog = nullptr;
    EXPECT_EQ(list->get_accName(Child(1), &text), RPC_E_DISCONNECTED);
    EXPECT_EQ(list->Release(), 0u);
}

// What an in-context reader hears: the event, the swatch's number and its
// state, asked from inside the announcement.
std::vector<std::tuple<DWORD, LONG, LONG>> HeardEvents;

void CALLBACK HearEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    IAccessible* list = nullptr;
    VARIANT item, state;
    V_I4(&state) = 0;
    if (window != ConfigureState.PaletteControl || child == CHILDID_SELF)
        return;  // the platform's own focus event, for the window
    if (AccessibleObjectFromEvent(window, object, child, &list, &item) == S_OK) {
        list->get_accState(item, &state);
        list->Release();
    }
    HeardEvents.emplace_back(event, child, V_I4(&state) & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED));
}

TEST(ConfigurePaletteEvents, TellTheSwatchOnceItIsPickedOrFocused)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    OpenDialog open;
    ASSERT_NE(open.Dialog, nullptr);
    HeardEvents.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, GetModuleHandleA(nullptr),
                                         HearEvent, GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
    ASSERT_NE(hook, nullptr);
    SetFocus(open.Palette());                            // dark red, child 11
    SendMessageA(open.Palette(), WM_KEYDOWN, VK_UP, 0);  // red, 3
    SendMessageA(open.Palette(), WM_KEYDOWN, VK_UP, 0);  // stays
    ReleaseOverPalette(open.Dialog, 8, 8);               // white, 1
    SetFocus(GetDlgItem(open.Dialog, IDOK));
    ReleaseOverPalette(open.Dialog, 120, 24);            // purple, 16, without the focus
    UnhookWinEvent(hook);
    const LONG focused = STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
    const std::vector<std::tuple<DWORD, LONG, LONG>> expected = {
        {EVENT_OBJECT_FOCUS, 11, focused}, {EVENT_OBJECT_SELECTION, 11, focused}, {EVENT_OBJECT_FOCUS, 3, focused},
        {EVENT_OBJECT_SELECTION, 3, focused}, {EVENT_OBJECT_FOCUS, 1, focused}, {EVENT_OBJECT_SELECTION, 1, focused},
        {EVENT_OBJECT_SELECTION, 16, STATE_SYSTEM_SELECTED}};
    EXPECT_EQ(HeardEvents, expected);
}

// ---- the module with real input ---------------------------------------------------

// Screen point of a palette point in another process's dialog.
POINT PaletteScreenPoint(HWND dialog, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(GetDlgItem(dialog, IDC_PALETTE), &point);
    return point;
}

// Puts the pointer over the dialog's caption area (no window manager: the
// keyboard follows the pointer) and lets it settle.
void PointAtDialog(HWND dialog)
{
    RECT frame;
    GetWindowRect(dialog, &frame);
    HostMouseMove(frame.left + 20, frame.top + 40);
    PumpMessages(200);
}

void ClickPalette(HWND dialog, int cell)
{
    POINT centre = CellCentre(cell);
    POINT screen = PaletteScreenPoint(dialog, centre.x, centre.y);
    HostMouseMove(screen.x, screen.y);
    HostClick(1);
    PumpMessages(200);
}

void ClickButton(HWND dialog, int id)
{
    RECT button;
    GetWindowRect(GetDlgItem(dialog, id), &button);
    HostMouseMove((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    HostClick(1);
}

struct ModuleDialog {
    ModuleRun Run;
    HWND Dialog = nullptr;

    explicit ModuleDialog(const char* arguments)
    {
        Run = StartModule(arguments);
        if (Run.Started)
            Dialog = WaitForTopWindow("#32770", "Ruxa Screen Saver", Run.Process.dwProcessId, 15000);
        if (Dialog)
            PumpMessages(300);
    }
    ~ModuleDialog() { StopModule(Run); }
};

TEST(ConfigureModule, ClicksPickASwatchAndOkStoresIt)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    ModuleDialog module("/c");
    ASSERT_TRUE(module.Run.Started);
    ASSERT_NE(module.Dialog, nullptr);
    ASSERT_NE(GetDlgItem(module.Dialog, IDC_PALETTE), nullptr);
    PointAtDialog(module.Dialog);
    ClickPalette(module.Dialog, 4);   // green
    ClickPalette(module.Dialog, 13);  // teal, the last one counts
    ClickButton(module.Dialog, IDOK);
    EXPECT_EQ(WaitModule(module.Run, 10000), 1u);
    EXPECT_TRUE(StoreHolds(0x007F7F00));
}

// Pixels of exactly this colour on the whole screen.
int CountOnScreen(COLORREF colour)
{
    Screenshot shot;
    if (!HostScreenshot(shot))
        return -1;
    int count = 0;
    for (COLORREF pixel : shot.Pixels)
        count += pixel == colour;
    return count;
}

TEST(ConfigureModule, TheNextSaverRunDrivesInThePickedColour)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    {
        ModuleDialog module("/c");
        ASSERT_NE(module.Dialog, nullptr);
        PointAtDialog(module.Dialog);
        ClickPalette(module.Dialog, 6);  // blue
        ClickButton(module.Dialog, IDOK);
        ASSERT_EQ(WaitModule(module.Run, 10000), 1u);
    }
    ASSERT_TRUE(StoreHolds(0x00FF0000));
    const int before = CountOnScreen(0x00FF0000);
    ASSERT_GE(before, 0);

    ModuleRun run = StartModule("/s");
    ASSERT_TRUE(run.Started);
    if (!WaitForTopWindow("WindowsScreenSaverClass", "Screen Saver", run.Process.dwProcessId, 20000)) {
        StopModule(run);
        FAIL() << "the saver's window did not appear";
    }
    // The whole body is 540 pixels; the vehicle may be partly off screen at
    // one moment, so look a few times.
    int most = 0;
    for (int shot = 0; shot < 5 && most < before + 300; ++shot) {
        PumpMessages(500);
        most = std::max(most, CountOnScreen(0x00FF0000));
    }
    EXPECT_GE(most, before + 300) << "the body in the picked blue should show";
    HostKey("space");
    EXPECT_EQ(WaitModule(run, 20000), 0u);
}

TEST(ConfigureModule, AnEmptyCommandLineOpensTheSameDialog)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    ModuleDialog module("");
    ASSERT_TRUE(module.Run.Started);
    ASSERT_NE(module.Dialog, nullptr);
    PointAtDialog(module.Dialog);
    ClickPalette(module.Dialog, 15);  // purple
    ClickButton(module.Dialog, IDOK);
    EXPECT_EQ(WaitModule(module.Run, 10000), 1u);
    EXPECT_TRUE(StoreHolds(0x007F007F));
}

TEST(ConfigureModule, EnterActsAsOkAndEscapeAsCancel)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    {
        ModuleDialog module("/c");
        ASSERT_NE(module.Dialog, nullptr);
        PointAtDialog(module.Dialog);
        ClickPalette(module.Dialog, 1);  // light grey
        HostKey("Return");
        EXPECT_EQ(WaitModule(module.Run, 10000), 1u);
        EXPECT_TRUE(StoreHolds(0x00BFBFBF));
    }
    {
        ModuleDialog module("/c");
        ASSERT_NE(module.Dialog, nullptr);
        PointAtDialog(module.Dialog);
        ClickPalette(module.Dialog, 2);  // red
        ASSERT_TRUE(IsWindow(module.Dialog));
        HostKey("Escape");
        // Exit code 0 is also what a crash can report: the store shows it ran.
        EXPECT_EQ(WaitModule(module.Run, 10000), 0u);
        EXPECT_TRUE(StoreHolds(0x00BFBFBF));
    }
}

// From OK, Tab reaches the palette, Tab again Cancel and Shift+Tab the
// palette again; End, the arrows (which stop at the edges) and Return pick
// and store dark grey (cell 9) from dark red.
TEST(ConfigureModule, TheKeyboardAlonePicksAndStoresAColour)
{
    ASSERT_TRUE(StoreColour(0x0000007F));
    ModuleDialog module("/c");
    ASSERT_NE(module.Dialog, nullptr);
    PointAtDialog(module.Dialog);
    HostKey("Tab Tab shift+Tab End Right Down Left Up Left Left Left Left Left Left Left Up Down Right");
    HostKey("Return");
    EXPECT_EQ(WaitModule(module.Run, 10000), 1u);
    EXPECT_TRUE(StoreHolds(0x007F7F7F));
}

}  // namespace
