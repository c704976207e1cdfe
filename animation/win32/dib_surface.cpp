#include "animation/win32/dib_surface.h"

#include "animation/win32/selection_guard.h"
#include "host/win32/host_state.h"

SurfaceRecord SurfaceMaking;

namespace {

bool PaletteDisplay(HDC reference)
{
    return SurfaceMaking.ActAsPaletteDisplay || (GetDeviceCaps(reference, RASTERCAPS) & RC_PALETTE) != 0;
}

// The bitmap and its memory, or null.
HBITMAP MakeMemoryBitmap(HDC reference, std::int32_t width, std::int32_t height, void*& bits)
{
    bits = nullptr;
    if (SurfaceMaking.MemoryFails)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 first in memory
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr && bits == nullptr) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

}  // namespace

DibSurface MakeDibSurface(HDC reference, std::int32_t width, std::int32_t height)
{
    DibSurface surface;
    if (width <= 0 || height <= 0)
        return surface;
    void* bits = nullptr;
    HBITMAP bitmap = PaletteDisplay(reference) ? nullptr : MakeMemoryBitmap(reference, width, height, bits);
    if (bitmap == nullptr) {
        // A compatible bitmap starts with undefined pixels; black, as a
        // new memory bitmap is, once it is selected.
        bits = nullptr;
        bitmap = CreateCompatibleBitmap(reference, width, height);
    }
    if (bitmap == nullptr)
        return surface;
    HDC context = CreateCompatibleDC(reference);
    if (context == nullptr) {
        DeleteObject(bitmap);
        return surface;
    }
    SelectObject(context, bitmap);
    if (bits == nullptr)
        PatBlt(context, 0, 0, width, height, BLACKNESS);
    surface.Context = context;
    surface.Bitmap = bitmap;
    surface.Pixels = PixelMemory{static_cast<std::uint32_t*>(bits), bits ? width : 0, bits ? height : 0};
    return surface;
}

DibSurface LoadDibPicture(HDC reference, int resourceId)
{
    HBITMAP picture = LoadBitmapA(HostState.Instance, MAKEINTRESOURCEA(resourceId));
    BITMAP size = {};
    if (picture == nullptr || GetObjectA(picture, sizeof size, &size) == 0) {
        if (picture != nullptr)
            DeleteObject(picture);
        return DibSurface();
    }
    DibSurface surface = MakeDibSurface(reference, size.bmWidth, size.bmHeight);
    HDC scratch = CreateCompatibleDC(reference);
    {
        SelectionGuard pictureSelection(scratch, picture);
        if (!BitBlt(surface.Context, 0, 0, size.bmWidth, size.bmHeight, scratch, 0, 0, SRCCOPY))
            ReleaseDibSurface(surface);
    }
    if (scratch != nullptr)
        DeleteDC(scratch);
    DeleteObject(picture);
    // Its memory is read next, not through GDI.
    GdiFlush();
    return surface;
}

void ReleaseDibSurface(DibSurface& surface)
{
    if (surface.Context != nullptr)
        DeleteDC(surface.Context);
    if (surface.Bitmap != nullptr)
        DeleteObject(surface.Bitmap);
    surface = DibSurface();
}
