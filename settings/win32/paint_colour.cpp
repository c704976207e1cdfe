// Paint colour store.  Every failure is silent and leaves the default.
#include "settings/win32/paint_colour.h"

#include <windows.h>

#include <cstring>

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

    // Read into a scratch buffer that starts as the default's bytes, and take
    // it only when the read succeeds: a failed read (value missing, or longer
    // than 4 bytes) must not leave partly written data in the output, and a
    // shorter value replaces only the low-order bytes of the default.
    unsigned char bytes[4] = {
        static_cast<unsigned char>(out & 0xFF), static_cast<unsigned char>((out >> 8) & 0xFF),
        static_cast<unsigned char>((out >> 16) & 0xFF), static_cast<unsigned char>((out >> 24) & 0xFF)};
    unsigned char scratch[4];
    std::memcpy(scratch, bytes, sizeof scratch);
    DWORD size = sizeof scratch;
    if (RegQueryValueExA(key, PaintValue, nullptr, nullptr, scratch, &size) == ERROR_SUCCESS) {
        if (size > sizeof scratch)
            size = sizeof scratch;
        std::memcpy(bytes, scratch, size);
        out = Colour(bytes[0]) | (Colour(bytes[1]) << 8) | (Colour(bytes[2]) << 16) | (Colour(bytes[3]) << 24);
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
