#!/bin/sh
# The cases that only a newer Wine shows, run under Debian 13's Wine 10:
# DPI per window, with unaware windows scaled by the system, and a child
# window drawn by another process shown in its parent, as Windows 10 and 11
# do and Debian 12's Wine 8 does not.
#   - The Wine tests' own program, run by winetest.sh a second time: the
#     awareness of each mode (DpiAwareness*), and the scaled cases
#     (Scaled*: among them the preview inside a settings page of another
#     process) at 96, 144 and 192 DPI.
#   - The installer's welcome page at 150 %: as crisp as at 100 %.
# Prints "wine10: N passed, N failed".
#
# Wine 10 runs in a Debian 13 root made once with debootstrap and kept in
# build/wine10-root; the host's own packages stay as they are.  The whole
# stage runs in a mount namespace of its own: the root's mounts (proc, /dev,
# the X socket folder and the build tree) exist only while it runs, and go
# with it, also when it is cut short.  Needs root.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${RUXA_BUILD_ROOT:-build}
case $build_root in /*) ;; *) build_root=$root/$build_root ;; esac
newroot=$build_root/wine10-root

# The stage cannot run: say why, and count it as a failure.
cannot() {
    echo "wine10: $*" >&2
    echo "wine10: 0 passed, 1 failed"
    exit 1
}

[ "$(id -u)" = 0 ] || cannot "making and entering the Debian 13 root needs root"
if [ "${RUXA_WINE10_NAMESPACE:-}" != 1 ]; then
    unshare --mount --propagation private true 2>/dev/null ||
        cannot "no mount namespace of its own for the root's mounts (unshare --mount failed)"
    RUXA_WINE10_NAMESPACE=1 exec unshare --mount --propagation private sh "$0" "$@"
fi

# make_root: debootstrap into a folder of its own, then Wine 10 (32- and
# 64-bit), the fonts the dialogs use, and the tools the tests call on the
# display from inside Wine (xdotool, ImageMagick's import).  Only a
# finished root takes the cached one's place.
make_root() {
    [ -f "$newroot/.ready" ] && return 0
    echo "wine10: making the Debian 13 root with Wine 10 in $newroot (once)"
    part=$newroot.part
    made=$build_root/wine10-root.log
    rm -rf "$part" "$newroot"
    mkdir -p "$build_root"
    # From the mirror that serves the host's Debian.
    mirror=$(apt-cache policy 2>/dev/null | sed -n 's|^ *[0-9]* \([^ ]*\) bookworm/main .*|\1|p' | head -n 1)
    [ -n "$mirror" ] || cannot "no Debian mirror in the host's package sources to make the root from"
    debootstrap --variant=minbase trixie "$part" "$mirror" >"$made" 2>&1 ||
        cannot "debootstrap of Debian 13 (trixie) from $mirror failed; its last lines ($made):
$(tail -n 5 "$made")"
    cp /etc/resolv.conf "$part/etc/resolv.conf" 2>/dev/null
    mount -t proc proc "$part/proc" || cannot "could not mount proc in the new root"
    chroot "$part" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive sh -c '
        dpkg --add-architecture i386 && apt-get update -qq &&
        apt-get install -y -qq --no-install-recommends wine wine64 wine32:i386 libwine:i386 fonts-liberation2 \
            xdotool imagemagick && apt-get clean && rm -rf /var/lib/apt/lists/*' >>"$made" 2>&1
    code=$?
    umount "$part/proc"
    [ $code -eq 0 ] || cannot "installing Wine 10 in the new root failed; its last lines ($made):
$(tail -n 5 "$made")"
    touch "$part/.ready"
    mv "$part" "$newroot"
}

make_root

# While the stage runs, the root sees the host's processes and devices, the
# X servers' sockets (Xvfb starts outside), and the build tree at its own
# path, so that the host's paths name the same files inside.
unmount_root() {
    for mounted in "$newroot$build_root" "$newroot/tmp/.X11-unix" "$newroot/dev" "$newroot/proc"; do
        umount "$mounted" 2>/dev/null
    done
}
trap unmount_root EXIT
trap 'exit 130' INT TERM
mkdir -p -m 1777 /tmp/.X11-unix
mkdir -p "$newroot/tmp/.X11-unix" "$newroot$build_root"
{ mount -t proc proc "$newroot/proc" && mount --bind /dev "$newroot/dev" &&
    mount --bind /tmp/.X11-unix "$newroot/tmp/.X11-unix" && mount --bind "$build_root" "$newroot$build_root"; } ||
    cannot "could not mount proc, /dev, the X socket folder and the build tree in the root"

# Stand-ins for the host's Wine programs that run the root's.
bin=$build_root/wine10-bin
mkdir -p "$bin"
for program in wine wine64 wineserver; do
    printf '#!/bin/sh\nexec sh "%s" "%s" /usr/lib/wine/%s "$@"\n' "$root/tools/root_wine.sh" "$newroot" "$program" \
        >"$bin/$program"
    chmod +x "$bin/$program"
done
export RUXA_WINE_BIN=$bin
. "$root/tools/wine_env.sh"
choose_wine wine10
prefix=$build_root/wine/wine10-$arch-prefix
version=$(WINEPREFIX=$prefix "$wine" --version 2>&1)
case $version in wine-10.*) ;; *) cannot "the root's Wine is '$version', not Wine 10" ;; esac

passed=0
failed=0
log=$(mktemp)
# The Wine tests' program, run a second time.
RUXA_WINE_PREFIX=$prefix RUXA_WINE_RUNS="ruxa_wine_tests.exe ruxa_wine_tests.exe@144 ruxa_wine_tests.exe@192" \
    sh "$root/tools/winetest.sh" --gtest_filter='DpiAwareness*:Scaled*' >"$log" 2>&1
code=$?
sed 's/^wine: \([0-9]* passed\)/wine10 tests: \1/' "$log"
counts=$(sed -n 's/^wine: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$log")
if [ -n "$counts" ]; then
    passed=$((passed + ${counts% *}))
    failed=$((failed + ${counts#* }))
fi
if [ $code -ne 0 ] && { [ -z "$counts" ] || [ "${counts#* }" = 0 ]; }; then
    failed=$((failed + 1))
fi
# A case that skipped itself here would hide what only Wine 10 shows.
if grep -q '^\[  SKIPPED \]' "$log"; then
    echo "wine10: cases skipped themselves under Wine 10:"
    grep '^\[  SKIPPED \] [A-Za-z]' "$log"
    failed=$((failed + 1))
fi
rm -f "$log"

# The installer's welcome page at 100 % and at 150 %.  Laid out by the
# system at each DPI, its text is as crisp at 150 % as at 100 %, in as few
# colours; stretched as a bitmap, the smoothed edges of its letters bring
# many more (16 and 233 measured).  The picture on the left is always
# smoothed: the installer fits it to its place itself.
setup=$build_root/installer/wine10-setup.exe
mkdir -p "$build_root/installer"
case $arch in windows) stub=x86 ;; *) stub=amd64 ;; esac
wine_environment "$prefix"
start_session wine10 1024x768x24
trap 'end_session; unmount_root' EXIT
# page_colours DPI: the number of colours of the welcome page's text (the
# upper two thirds of its right two thirds) at DPI, and the page's size;
# nothing when it did not show.
page_colours() {
    set_dpi wine10 "$1" || return
    timeout 60 "$wine" "$setup" >/dev/null 2>&1 &
    shown=$!
    timeout 60 "$wine" "$build_root/$arch/ruxa_window_probe.exe" '#32770' "Ruxa Screen Saver Setup" >/dev/null 2>&1 &&
        sleep 1 &&
        id=$(xdotool search --onlyvisible --name '^Ruxa Screen Saver Setup$' | head -n 1) &&
        import -window "$id" "$work/page$1.png" &&
        size=$(identify -format '%w %h' "$work/page$1.png") && width=${size% *} height=${size#* } &&
        convert "$work/page$1.png" -crop "$((width * 2 / 3))x$((height * 2 / 3))+$((width / 3))+0" +repage \
            -format "%k ${width}x$height" info:
    "$WINESERVER" -k >/dev/null 2>&1
    wait $shown
}
if sh "$root/tools/release.sh" installer $stub "$setup" >"$work/release.log" 2>&1; then
    at100=$(page_colours 96)
    at150=$(page_colours 144)
    echo "wine10: the text of the installer's welcome page has ${at100%% *} colours at 100 % (the page ${at100#* }), ${at150%% *} at 150 % (${at150#* })"
    if [ -n "$at100" ] && [ -n "$at150" ] && [ $((${at150%% *} * 2)) -le $((${at100%% *} * 3)) ]; then
        echo "ok    the installer's welcome page at 150 % is as crisp as at 100 %"
        passed=$((passed + 1))
    else
        echo "FAIL  the installer's welcome page at 150 % is blurred (more than 1.5 times the colours at 100 %), or did not show"
        failed=$((failed + 1))
    fi
else
    echo "FAIL  building the installer failed:"
    tail -n 5 "$work/release.log"
    failed=$((failed + 1))
fi

echo "wine10: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
