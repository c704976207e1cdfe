#!/bin/sh
# make run: the saver itself.  On a machine with a display it runs full
# screen over that display (move the mouse or press a key to end it).
# Without one it runs headless in a private Xvfb over a sample desktop for a
# few seconds and writes an animated GIF and the last frame as a PNG.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

. "$root/tools/wine_env.sh"
choose_wine run
if [ "$arch" = windows64 ]; then
    make -s windows64
fi
module=$root/build/$arch/RUXA.SCR
wine_environment "$root/build/wine/$arch-run-prefix"

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

start_session run 800x600x24
echo "run: no display; running headless on $DISPLAY for $seconds s"
make_prefix run

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
