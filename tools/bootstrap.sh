#!/bin/sh
# Installs the Debian packages the build and the tests need, and only those
# that are missing.  Safe to run again: it does nothing when all are present.
set -eu

# Xorg's dummy driver and xrandr give the tests a desk with two monitors.
# The 64-bit Wine and cross compiler serve machines whose kernel cannot run
# 32-bit code: the tests then run a 64-bit twin build of the same sources.
# strip-nondeterminism dates the release zip by the last commit (git).
# openssl makes the tests' throwaway signing certificates; python3-yaml reads
# the winget manifest back and python3-jsonschema checks it against winget's
# schema.  LLVM 14 (clang, lld, llvm-dlltool) builds the ARM64 module.
# debootstrap makes the Debian 13 root in which a second, newer Wine runs
# some of the tests.
PACKAGES="g++-mingw-w64-i686 mingw-w64-i686-dev wine wine32:i386 libxrender1:i386 \
wine64 g++-mingw-w64-x86-64 mingw-w64-x86-64-dev \
xvfb xdotool imagemagick googletest libstb-dev cmake make g++ python3 nsis zip strip-nondeterminism git \
openssl python3-yaml python3-jsonschema clang-14 lld-14 llvm-14 debootstrap \
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

# osslsigncode signs the release and attaches published signatures to a
# rebuild.  A release's detached signatures are in the form that 2.9 writes
# and reads, from Debian 12's backports: Debian 12's own 2.5 writes them
# otherwise and cannot attach those of 2.9.
backports=
signer=$(dpkg-query -W -f='${Status} ${Version}' osslsigncode 2>/dev/null || true)
case $signer in
    "install ok installed "*) dpkg --compare-versions "${signer##* }" ge 2.9 || backports=yes ;;
    *) backports=yes ;;
esac
[ -z "$backports" ] || missing="$missing osslsigncode/bookworm-backports"

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
if [ -n "$backports" ] && ! apt-cache policy | grep -q ' bookworm-backports/main '; then
    # From the mirror that serves Debian 12 itself.  Backports are installed
    # only where asked for by name: nothing else moves to them.
    mirror=$(apt-cache policy | sed -n 's|^ *[0-9]* \([^ ]*\) bookworm/main .*|\1|p' | head -n 1)
    [ -n "$mirror" ] || { echo "bootstrap: no Debian 12 (bookworm) source to take bookworm-backports from" >&2; exit 1; }
    {
        echo "Types: deb"
        echo "URIs: $mirror"
        echo "Suites: bookworm-backports"
        echo "Components: main"
        if [ -f /usr/share/keyrings/debian-archive-keyring.gpg ]; then
            echo "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
        fi
    } >/etc/apt/sources.list.d/bookworm-backports.sources
    apt-get update -qq
fi
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
# Debian's imagemagick may sit behind a stand-in earlier on PATH.
hash -r 2>/dev/null || true
echo "bootstrap: done"
