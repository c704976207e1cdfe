// Arbitrary bytes through the command-line scanners and the close gate.
#include "host/close_gate.h"
#include "host/command_line.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Steps like a double-byte code page, and sometimes past the end of a pair,
// to show that the scanner keeps to the text whatever the stepper does.
const char* NextFuzzChar(const char* text)
{
    unsigned char c = static_cast<unsigned char>(*text);
    return text + (c >= 0x81 ? 2 : 1);
}

const char* NextByte(const char* text)
{
    return text + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const char* begin = text.data();
    const char* end = begin + size;
    for (NextCharFunction next : {NextFuzzChar, NextByte}) {
        const char* arguments = FindArgumentText(begin, next);
        if (arguments < begin || arguments > end) {
            __builtin_trap();
        }
        // The text as the module's own path, and a path it may start with.
        const char* behindOwnPath = FindArgumentText(begin, next, ModulePaths{begin, "C:\\a b\\"});
        if (behindOwnPath < begin || behindOwnPath > end) {
            __builtin_trap();
        }
        ModeChoice choice = ScanModeLetter(arguments);
        if (choice.Mode != ModePreview && choice.Mode != ModeChangePassword && choice.Handle != 0) {
            __builtin_trap();
        }
    }
    (void)ParseWindowHandle(begin);
    if (size >= 16) {
        int32_t v[4];
        std::memcpy(v, data, sizeof v);
        (void)CursorMovedFar(v[0], v[1], v[2], v[3]);
        (void)VerifyTooSoon(static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]));
    }
    return 0;
}
