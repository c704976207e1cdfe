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

# The 32-bit Wine needs a kernel that runs 32-bit code; some virtual machines
# have that switched off, and then only the 64-bit Wine works.
can_run_i386() {
    [ -x /usr/lib/wine/wine ] && /lib/ld-linux.so.2 --help >/dev/null 2>&1
}

arch=${RUXA_WINE_ARCH:-}
if [ -z "$arch" ]; then
    if can_run_i386; then arch=windows; else arch=windows64; fi
fi
case $arch in
    windows) wine=/usr/lib/wine/wine ;;
    windows64)
        wine=/usr/lib/wine/wine64
        if ! can_run_i386; then
            echo "winetest: this machine cannot run 32-bit code; testing the 64-bit twin build of the same sources"
        fi ;;
    *) echo "winetest: unknown RUXA_WINE_ARCH '$arch'" >&2; exit 2 ;;
esac

build=$build_root/$arch
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset "$arch" -B "$build" >/dev/null
fi
cmake --build "$build" -j2 >/dev/null || cmake --build "$build" -j1

export WINEPREFIX=$build_root/wine/$arch-prefix
export WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all
# No desktop menus, no add-on installers, and no crash debugger popping up
# over the screen when a test makes a program fault.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winedbg.exe=d"

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A display of our own; Xvfb picks a free number and tells us which.
: > "$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
i=0
while [ ! -s "$work/display" ]; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "winetest: Xvfb did not start" >&2; exit 1
    fi
    sleep 0.1
done
export DISPLAY=:$(cat "$work/display")

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "winetest: creating the Wine prefix $WINEPREFIX (once)"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w
fi

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
