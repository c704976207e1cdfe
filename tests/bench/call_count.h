// Counting the platform calls that code in this program makes, by pointing
// the program's own import table at counting stand-ins for a while.
#ifndef RUXA_TESTS_BENCH_CALL_COUNT_H
#define RUXA_TESTS_BENCH_CALL_COUNT_H

struct PlatformCalls {
    long GetPixel = 0, SetPixel = 0, BitBlt = 0, GdiFlush = 0, GetDC = 0, ReleaseDC = 0;
    long Total() const { return GetPixel + SetPixel + BitBlt + GdiFlush + GetDC + ReleaseDC; }
};

// Starts counting into `calls`; false when the import table could not be
// patched for every counted function (then nothing is counted).
bool StartCountingCalls(PlatformCalls& calls);
// Puts the import table back.
void StopCountingCalls();

#endif
