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

wine_environment "$build_root/wine/$arch-prefix"
trap 'exit 130' INT TERM
start_session winetest 1024x768x24
make_prefix winetest

# Another program of the build (the benchmark) runs the same way.
if [ -n "${RUXA_WINE_PROGRAM:-}" ]; then
    set +e
    (cd "$build" && "$wine" "$build/$RUXA_WINE_PROGRAM" "$@")
    exit $?
fi

status=0
passed=0
failed=0
for program in ruxa_wine_tests.exe ruxa_host_tests.exe; do
    [ -f "$build/$program" ] || continue
    log=$work/$program.log
    set +e
    # A hung test must not hang the run: each program gets ten minutes.
    (cd "$build" && timeout 600 "$wine" "$build/$program" --gtest_color=no "$@") >"$log" 2>&1
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
