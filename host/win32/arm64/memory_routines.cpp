// The memory routines that clang calls by itself, for the zeroing and the
// copies of whole records, also in code that has no C runtime, as the ARM64
// module has none (the mingw compilers of the other two processors inline
// them).  Compiled freestanding, these loops stay loops rather than calls of
// themselves.
#include <cstddef>

extern "C" void* memset(void* destination, int value, std::size_t size)
{
    unsigned char* bytes = static_cast<unsigned char*>(destination);
    while (size-- != 0)
        *bytes++ = static_cast<unsigned char>(value);
    return destination;
}

extern "C" void* memcpy(void* destination, const void* source, std::size_t size)
{
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    while (size-- != 0)
        *to++ = *from++;
    return destination;
}
