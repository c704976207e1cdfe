#!/bin/sh
# make bench: the drive animation's cost per tick, natively and under Wine,
# side by side.  Not part of the tests.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
echo "== native"
build/native/bench_drive "${BENCH_TICKS:-20000}"
echo "== Wine"
RUXA_WINE_PROGRAM=ruxa_bench.exe sh tools/winetest.sh "${BENCH_WINE_TICKS:-3000}"
echo "== Wine, processor share: the saver drawing, held (every display off), and a minimal one-box program"
RUXA_WINE_PROGRAM=ruxa_bench.exe sh tools/winetest.sh cpu "${BENCH_CPU_SECONDS:-10}"
echo "== Wine, two monitors (Xorg's dummy driver; needs root)"
RUXA_WINE_MONITORS=2 RUXA_WINE_PROGRAM=ruxa_bench.exe sh tools/winetest.sh "${BENCH_WINE_TICKS:-3000}" tick
