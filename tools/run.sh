#!/bin/sh
# make run: the saver itself.  On a machine with a display it runs full
# screen over that display (move the mouse or press a key to end it).
# Without one it runs headless in a private Xvfb over a sample desktop for a
# few seconds and writes an animated GIF and the last frame as a PNG.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

can_run_i386() {
    [ -x /usr/lib/wine/wine ] && /lib/ld-linux.so.2 --help >/dev/null 2>&1
}
if can_run_i386; then
    arch=windows; wine=/usr/lib/wine/wine
else
    arch=windows64; wine=/usr/lib/wine/wine64
    echo "run: this machine cannot run 32-bit code; running the 64-bit twin build of the same sources"
    make -s windows64
fi
module=$root/build/$arch/RUXA.SCR

export WINEPREFIX=$root/build/wine/$arch-run-prefix
export WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winedbg.exe=d"

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1 && [ -z "${RUXA_HEADLESS:-}" ]; then
    echo "run: starting the saver on $DISPLAY; move the mouse or press a key to end it"
    set +e
    "$wine" "$module" /s
    echo "run: the saver ended with exit code $?"
    exit 0
fi

out=$root/build/run
mkdir -p "$out"
rm -f "$out"/frame-*.png
seconds=${RUXA_RUN_SECONDS:-6}
work=$(mktemp -d)
xvfb_pid=
cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 5 -screen 0 800x600x24 -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
while [ ! -s "$work/display" ]; do sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
echo "run: no display; running headless on $DISPLAY for $seconds s"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w
fi

# The sample desktop: a picture on the root window, which is what a saver
# started with no other window open finds on the screen.
python3 tools/sample_desktop.py "$work/desktop.ppm" 800 600
display -window root "$work/desktop.ppm" 2>/dev/null || true

"$wine" "$module" /s &
saver=$!
sleep 2
frames=$((seconds * 5))
i=0
while [ $i -lt $frames ]; do
    import -window root "$(printf '%s/frame-%03d.png' "$out" $i)"
    i=$((i + 1))
    sleep 0.2
done
xdotool key space
set +e
wait $saver
code=$?
set -e
convert -delay 20 -loop 0 "$out"/frame-*.png -resize 50% -layers Optimize "$out/ruxa.gif"
cp "$(ls "$out"/frame-*.png | tail -1)" "$out/ruxa-last-frame.png"
rm -f "$out"/frame-*.png
echo "run: the saver ended with exit code $code after a key press"
echo "run: animation: $out/ruxa.gif"
echo "run: last frame: $out/ruxa-last-frame.png"
