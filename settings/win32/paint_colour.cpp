// Paint colour store.  Every failure is silent and leaves the default.
#include "settings/win32/paint_colour.h"

#include <windows.h>

namespace {
const char PaintKey[] = "Software\\Ruxa";
const char PaintValue[] = "Color";
}

Colour CurrentPaintColour = DefaultPaintColour;

void LoadPaintColour(Colour& out)
{
    out = DefaultPaintColour;

    HKEY key = nullptr;
    DWORD disposition = 0;
    char emptyClass[] = "";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, PaintKey, 0, emptyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) != ERROR_SUCCESS)
        return;
    // The handle only served to create the key or learn that it exists.
    RegCloseKey(key);

    if (disposition == REG_CREATED_NEW_KEY) {
        SavePaintColour(out);
        return;
    }

    if (RegOpenKeyExA(HKEY_CURRENT_USER, PaintKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;

    // Read into scratch bytes and take only what the read delivered: a failed
    // read (value missing, or longer than 4 bytes) may leave the buffer
    // undefined, so it must not reach the output, and a shorter value
    // replaces only the low-order bytes of the default.
    unsigned char scratch[4] = {0, 0, 0, 0};
    DWORD size = sizeof scratch;
    if (RegQueryValueExA(key, PaintValue, nullptr, nullptr, scratch, &size) == ERROR_SUCCESS) {
        for (DWORD i = 0; i < size && i < sizeof scratch; ++i)
            out = (out & ~(Colour(0xFF) << (8 * i))) | (Colour(scratch[i]) << (8 * i));
    }
    RegCloseKey(key);
}

void SavePaintColour(Colour colour)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, PaintKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(colour & 0xFF), static_cast<unsigned char>((colour >> 8) & 0xFF),
        static_cast<unsigned char>((colour >> 16) & 0xFF), static_cast<unsigned char>((colour >> 24) & 0xFF)};
    RegSetValueExA(key, PaintValue, 0, REG_BINARY, bytes, sizeof bytes);
    RegCloseKey(key);
}
