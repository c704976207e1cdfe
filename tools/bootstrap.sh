#!/bin/sh
# Installs the Debian packages the build and the tests need, and only those
# that are missing.  Safe to run again: it does nothing when all are present.
set -eu

# Xorg's dummy driver and xrandr give the tests a desk with two monitors.
# The 64-bit Wine and cross compiler serve machines whose kernel cannot run
# 32-bit code: the tests then run a 64-bit twin build of the same sources.
# strip-nondeterminism dates the release zip by the last commit (git).
PACKAGES="g++-mingw-w64-i686 mingw-w64-i686-dev wine wine32:i386 libxrender1:i386 \
wine64 g++-mingw-w64-x86-64 mingw-w64-x86-64-dev \
xvfb xdotool imagemagick googletest libstb-dev cmake make g++ python3 nsis zip strip-nondeterminism git \
xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils ${RUXA_EXTRA_PACKAGES:-}"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
# The stand-in 'convert' some images carry is not ImageMagick; check for the real one.
if ! convert -version 2>/dev/null | grep -q ImageMagick; then
    case "$missing" in *imagemagick*) ;; *) missing="$missing imagemagick";; esac
fi

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" != 0 ]; then
    echo "bootstrap: these packages are missing:$missing" >&2
    echo "bootstrap: run as root:  sudo sh tools/bootstrap.sh   (or: sudo make bootstrap)" >&2
    exit 1
fi

echo "bootstrap: installing:$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
# Debian's imagemagick may sit behind a stand-in earlier on PATH.
hash -r 2>/dev/null || true
echo "bootstrap: done"
