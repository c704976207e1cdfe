#!/bin/sh
# The ARM64 module run as users run it, under Debian 12's arm64 Wine and the
# aarch64 emulator (tools/arm64_wine.sh): the frames of its full-screen saver
# and of its preview in a settings page are the i386 module's, pixel for
# pixel; its dialog stores a picked colour; input ends the saver; and it
# loads its libraries from the system folder only.  Prints "arm64: N passed,
# N failed".
#
#   RUXA_ARM64_TICKS  ticks of the frame comparison (default 300)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build
arm64=$build/arm64
ticks=${RUXA_ARM64_TICKS:-300}
. "$root/tools/wine_env.sh"
. "$root/tools/arm64_wine.sh"

passed=0
failed=0
pass() { echo "ok    $*"; passed=$((passed + 1)); }
fail() { echo "FAIL  $*"; failed=$((failed + 1)); }
finish() { echo "arm64: $passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }
# The driver's report lines, and whether it reported no failure.
driver_ok() { sed 's/^/      /' "$1"; ! grep -q '^FAIL' "$1"; }
dos() { echo "Z:$1" | tr / '\\'; }

# The frames to match are the shipped i386 module's; on a machine that
# cannot run 32-bit code, its x86-64 twin's.
choose_wine arm64
reference=i386
[ "$arch" = windows ] || reference=x86-64
for file in "$arm64/RUXA.SCR" "$arm64/ruxa_module_driver.exe" "$arm64/planted.dll" "$build/$arch/RUXA.SCR" \
            "$build/$arch/ruxa_module_driver.exe"; do
    [ -f "$file" ] || { fail "$file is missing (make arm64 $arch)"; finish; }
done
wine_environment "$build/wine/$arch-prefix"
trap 'exit 130' INT TERM
start_session arm64 640x480x24
make_prefix arm64
set_dpi arm64 96 || { fail "the $arch prefix is not at 96 DPI"; finish; }
mkdir -p "$work/reference-s" "$work/reference-p" "$work/arm64-s" "$work/arm64-p" "$work/planted"
# The known desktop: the sample desktop on the root window, which is what a
# saver started with no other window open finds on the screen (display
# reports a failure when it has set it).  An X client stays connected
# meanwhile: the server resets, and blanks the root window, whenever its
# last client leaves, as Wine's do between the runs.
xdotool sleep 86400 &
holder=$!
trap 'kill $holder; end_session' EXIT
python3 "$root/tools/sample_desktop.py" "$work/desktop.ppm" 640 480 && convert "$work/desktop.ppm" "rgb:$work/desktop.rgb" ||
    { fail "no known desktop"; finish; }
display -window root "$work/desktop.ppm" 2>/dev/null
for mode in s p; do
    (cd "$build/$arch" && timeout 300 "$wine" ruxa_module_driver.exe frames "$(dos "$build/$arch/RUXA.SCR")" \
        "$(dos "$work/reference-$mode")" "$ticks" "/$mode") >"$work/reference-$mode.log" 2>&1
done
"$WINESERVER" -k >/dev/null 2>&1; "$WINESERVER" -w >/dev/null 2>&1

wine_environment "$build/wine/arm64-prefix"
arm64_wine_fetch arm64 "$build/arm64-wine" || { fail "no arm64 Wine to run the module in"; finish; }
make_prefix arm64
arm64_drive m "$arm64"
arm64_drive t "$work"
run() { (cd "$work" && timeout 300 "$wine" "$@") 2>&1; }

# 1 and 2. /s over the known desktop, and /p in a 320 x 240 settings page,
# with the known seed (module_driver.cpp): every frame is the reference
# module's, and the first one of /s is the desktop as it was.
compare_frames() {   # compare_frames MODE SIZE
    mode=$1 ref=$work/reference-$1 arm=$work/arm64-$1
    run 'M:\ruxa_module_driver.exe' frames 'M:\RUXA.SCR' "T:\\arm64-$mode" "$ticks" "/$mode" >"$arm.log"
    frames=$(wc -l <"$arm/frames.txt" 2>/dev/null || echo 0)
    echo "      $reference: $(head -1 "$ref.log")"
    echo "      arm64: $(head -1 "$arm.log")"
    if ! driver_ok "$ref.log" >/dev/null || ! driver_ok "$arm.log" >/dev/null ||
       ! grep -q "^frames: $ticks ticks of $2," "$arm.log"; then
        grep -h '^FAIL' "$ref.log" "$arm.log" | sed 's/^/      /'
        fail "/$mode frames: a run did not go through its $ticks ticks in a window of $2"
    elif [ "$mode" = s ] && ! { convert -size "$2" -depth 8 "bgra:$arm/frame-first.bgra" -alpha off "rgb:$arm/first.rgb" &&
                                cmp -s "$work/desktop.rgb" "$arm/first.rgb"; }; then
        fail "/s frames: the ARM64 module did not freeze the known desktop"
    elif [ "$frames" -ne $((ticks + 1)) ] || ! cmp -s "$ref/frames.txt" "$arm/frames.txt" ||
         ! cmp -s "$ref/frame-first.bgra" "$arm/frame-first.bgra" || ! cmp -s "$ref/frame-last.bgra" "$arm/frame-last.bgra"
    then
        first=$(paste -d' ' "$ref/frames.txt" "$arm/frames.txt" | awk '$2 != $4 {print $1; exit}')
        mkdir -p "$build/arm64-frames"
        for side in "$ref" "$arm"; do
            convert -size "$2" -depth 8 "bgra:$side/frame-last.bgra" -alpha off \
                "$build/arm64-frames/${side##*/}-last.png" 2>/dev/null
        done
        fail "/$mode frames: the ARM64 module's differ from the $reference module's from tick ${first:-?} on" \
             "(the last ones: build/arm64-frames/)"
    else
        pass "/$mode frames: $frames frames over $ticks ticks, $2 each ($((frames * ${2%x*} * ${2#*x})) pixels)," \
             "the same as the $reference module's"
    fi
}
compare_frames s 640x480
compare_frames p 320x240

# 3. /c: a swatch picked and OK store the colour, as the registry shows it
# to anyone.
color() { run reg query 'HKCU\Software\Ruxa' /v Color | sed -n 's/.*REG_BINARY *\([0-9A-Fa-f]*\).*/\1/p' | tr -d '\r'; }
run reg add 'HKCU\Software\Ruxa' /v Color /t REG_BINARY /d 7F000000 /f >/dev/null
run 'M:\ruxa_module_driver.exe' dialog 'M:\RUXA.SCR' >"$work/dialog.log"
stored=$(color)
if driver_ok "$work/dialog.log" && [ "$stored" = 007F7F00 ]; then
    pass "/c: the teal swatch picked and OK store it (Color = $stored)"
else
    fail "/c: Color is '$stored' after picking teal (007F7F00) and OK"
fi

# 4 and 5. /s started from a folder that holds libraries named as the system
# libraries it loads, and on the PATH: a key ends it with 0 once its window
# showed, and it loads those libraries from the system folder only.
cp "$arm64/RUXA.SCR" "$work/planted/"
for name in WTSAPI32.DLL SHCORE.DLL; do cp "$arm64/planted.dll" "$work/planted/$name"; done
(cd "$work/planted" && WINEPATH='T:\planted' WINEDEBUG=+loaddll \
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;wtsapi32,shcore=n,b" timeout 120 "$wine" 'T:\planted\RUXA.SCR' /s \
    >/dev/null 2>"$work/loads.log") &
saver=$!
shown=
for _ in $(seq 300); do
    xdotool search --name '^Screen Saver$' >/dev/null 2>&1 && { shown=yes; break; }
    sleep 0.1
done
sleep 1
xdotool key space
wait $saver
code=$?
sleep 0.5
if [ -n "$shown" ] && [ $code -eq 0 ] && ! xdotool search --name '^Screen Saver$' >/dev/null 2>&1; then
    pass "/s: its window showed, and a key ended it with 0"
else
    fail "/s: window shown: ${shown:-no}; exit code $code after a key"
fi
# Wine's trace names each library it loaded, its backslashes doubled.
loads=$(sed -n 's/.*trace:loaddll:build_module Loaded L"\([^"]*\)".*/\1/p' "$work/loads.log" |
    sed 's/\\\\/\//g' | tr 'A-Z' 'a-z')
system=c:/windows/system32
if printf '%s\n' "$loads" | grep -qx "$system/wtsapi32.dll" && printf '%s\n' "$loads" | grep -qx "$system/shcore.dll" &&
   ! printf '%s\n' "$loads" | grep -v '/ruxa\.scr$' | grep -q planted; then
    pass "/s: loads WTSAPI32 and SHCORE from the system folder, not the copies beside it"
else
    fail "/s loaded: $(printf '%s\n' "$loads" | paste -sd' ' -)"
fi

finish
