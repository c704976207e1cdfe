#!/bin/sh
# Runs the Wine tests: builds what they need, starts a private Xvfb display
# and uses a private WINEPREFIX under the build tree, runs the test programs
# and stops what it started.  Arguments go to every test program (for
# example --gtest_filter=Paint*).
#
#   RUXA_BUILD_ROOT  build tree (default: build)
#   RUXA_WINE_PROGRAM  run this program of the build instead of the tests
#   RUXA_WINE_ARCH   windows (the shipped 32-bit module) or windows64 (its
#                    64-bit twin); by default the 32-bit one where this
#                    machine can run 32-bit code, else the twin.
# Another Wine's run (tools/wine10test.sh) also sets RUXA_WINE_BIN (wine_env.sh),
#   RUXA_WINE_PREFIX  its own prefix
#   RUXA_WINE_RUNS    the programs to run (as the list below)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${RUXA_BUILD_ROOT:-build}
case $build_root in /*) ;; *) build_root=$root/$build_root ;; esac

. "$root/tools/wine_env.sh"
choose_wine winetest

build=$build_root/$arch
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset "$arch" -B "$build" >/dev/null
fi
cmake --build "$build" -j2 >/dev/null || cmake --build "$build" -j1

wine_environment "${RUXA_WINE_PREFIX:-$build_root/wine/$arch-prefix}"
trap 'exit 130' INT TERM
# RUXA_WINE_MONITORS=2: the program runs over two monitors (below).
if [ "${RUXA_WINE_MONITORS:-1}" = 2 ]; then
    start_two_monitors winetest right || exit 1
else
    start_session winetest 1024x768x24
fi
make_prefix winetest
# Every run starts at 96 DPI, also after one that was cut short in a run at
# another DPI.
set_dpi winetest 96 || exit 1
dpi=96

# Another program of the build (the benchmark) runs the same way.
if [ -n "${RUXA_WINE_PROGRAM:-}" ]; then
    set +e
    (cd "$build" && "$wine" "$build/$RUXA_WINE_PROGRAM" "$@")
    exit $?
fi

status=0
passed=0
failed=0
# The tests of scaled displays (named Scaled*) run again with the display at
# 144 and at 192 DPI: those of them that a filter given to this script
# names, and none where it names none.
scaled_filter='Scaled*'
for argument in "$@"; do
    case $argument in
        --gtest_filter=*) scaled_filter=$(echo "${argument#--gtest_filter=}" | tr ':' '\n' | grep '^Scaled' |
                              paste -sd: -) ;;
    esac
done
# The monitor tests run last, over two monitors (Xorg's dummy driver) in
# place of Xvfb: the second right of the primary, then left of it, where the
# virtual screen starts at a negative x.
for run in ${RUXA_WINE_RUNS:-ruxa_wine_tests.exe ruxa_host_tests.exe ruxa_wine_tests.exe@144 \
           ruxa_wine_tests.exe@192 ruxa_monitor_tests.exe:right ruxa_monitor_tests.exe:left}; do
    program=${run%%[:@]*}
    layout=
    run_dpi=96
    case $run in
        *:*) layout=${run#*:} ;;
        *@*) run_dpi=${run#*@} ;;
    esac
    [ -f "$build/$program" ] || continue
    filter=
    if [ "$run_dpi" != 96 ]; then
        [ -n "$scaled_filter" ] || continue
        filter=--gtest_filter=$scaled_filter
    fi
    if [ "$run_dpi" != "$dpi" ]; then
        if ! set_dpi winetest "$run_dpi"; then
            status=1
            failed=$((failed + 1))
            continue
        fi
        dpi=$run_dpi
        [ "$dpi" = 96 ] || echo "winetest: the display at $dpi DPI"
    fi
    if [ -n "$layout" ]; then
        if [ -z "${xorg_pid:-}" ]; then
            stop_display
            if ! start_two_monitors winetest "$layout"; then
                status=1
                failed=$((failed + 1))
                break
            fi
        fi
        if ! set_monitors winetest "$layout"; then
            status=1
            failed=$((failed + 1))
            continue
        fi
        echo "winetest: two monitors, the second $layout of the primary"
    fi
    log=$work/$program$layout$dpi.log
    set +e
    # A hung test must not hang the run: each program gets ten minutes.
    (cd "$build" && RUXA_MONITOR_LAYOUT=$layout RUXA_EXPECTED_DPI=$dpi timeout 600 "$wine" "$build/$program" \
        --gtest_color=no "$@" ${filter:+"$filter"}) >"$log" 2>&1
    code=$?
    set -e
    cat "$log"
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -1)
    f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*listed below.*/\1/p' "$log" | tail -1)
    passed=$((passed + ${p:-0}))
    failed=$((failed + ${f:-0}))
    if [ "$code" -ne 0 ]; then
        status=1
        if [ -z "$p" ] && [ -z "$f" ]; then
            echo "winetest: $program ended with exit code $code before reporting" >&2
            failed=$((failed + 1))
        fi
    fi
done

echo "wine: $passed passed, $failed failed"
exit $status
