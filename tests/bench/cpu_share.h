// Benchmark under Wine: what the full-screen saver costs in processor time
// while it draws, while it is held (every display off), and what a minimal
// program costs that copies one 64 x 64 box to the screen per timer tick.
#ifndef RUXA_TESTS_BENCH_CPU_SHARE_H
#define RUXA_TESTS_BENCH_CPU_SHARE_H

// Runs the three phases, `seconds` each, one after the other in this
// process, and prints each one's share of one core: this process's (from
// GetProcessTimes) and this prefix's wineserver's (from /proc, where it can
// be found).  Returns 0, or 1 when the saver could not be held.
int MeasureCpuShares(int seconds);

#endif
