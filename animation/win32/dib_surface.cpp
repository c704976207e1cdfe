#include "animation/win32/dib_surface.h"

#include "animation/win32/selection_guard.h"
#include "host/win32/host_state.h"

DibSurface MakeDibSurface(HDC reference, std::int32_t width, std::int32_t height)
{
    DibSurface surface;
    if (width <= 0 || height <= 0)
        return surface;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 first in memory
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        return surface;
    }
    HDC context = CreateCompatibleDC(reference);
    if (context == nullptr) {
        DeleteObject(bitmap);
        return surface;
    }
    SelectObject(context, bitmap);
    surface.Context = context;
    surface.Bitmap = bitmap;
    surface.Pixels = PixelMemory{static_cast<std::uint32_t*>(bits), width, height};
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
