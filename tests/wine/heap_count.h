// Measuring the process's heap memory in use, for leak tests.
#ifndef RUXA_TESTS_WINE_HEAP_COUNT_H
#define RUXA_TESTS_WINE_HEAP_COUNT_H

#include <cstddef>

// Bytes in busy blocks over every heap of the process (the C runtime's and
// the platform's own included).  Compare two readings on the same thread with
// no other thread allocating in between; a leaked block of n bytes shows as
// at least n more.
std::size_t HeapBytesInUse();

#endif
