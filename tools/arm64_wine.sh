# Sourced after wine_env.sh by the tests of the ARM64 module: Debian 12's
# arm64 Wine under the aarch64 emulator (qemu-aarch64, from
# bookworm-backports), fetched once into a cache under the build tree with an
# apt configuration of its own: nothing is installed into this machine's
# package set, and no foreign architecture is added to it.
#
#   arm64_wine_fetch TOOL CACHE   fetches and unpacks (once), and sets wine
#                                 and WINESERVER to the emulated loader and
#                                 server

# The packages: Wine itself, and the libraries its core loads (the rest of
# its dependencies serve sound, video, printing, networking and the like).
ARM64_WINE_PACKAGES="wine64 libwine libc6 libgcc-s1 libunwind8 liblzma5 libx11-6 libx11-data libxcb1 libxau6 \
libxdmcp6 libbsd0 libmd0 libxext6 libxrender1 libfontconfig1 fontconfig-config libfreetype6 libpng16-16 zlib1g \
libbrotli1 libbz2-1.0 libexpat1 libudev1 libusb-1.0-0"

arm64_wine_fetch() {
    cache=$2
    root=$cache/root
    emulator=$cache/qemu-aarch64
    if [ "$(cat "$cache/fetched" 2>/dev/null)" != "$ARM64_WINE_PACKAGES" ]; then
        echo "$1: fetching Debian 12's arm64 Wine and the aarch64 emulator into $cache (once)"
        rm -rf "$cache"
        mkdir -p "$cache/apt/lists/partial" "$cache/apt/archives/partial" "$cache/apt/parts" "$cache/debs" "$root"
        : > "$cache/apt/status"
        # The mirror that serves Debian 12 to this machine, as the bootstrap
        # finds it; deb.debian.org where there is none.
        mirror=$(apt-cache policy 2>/dev/null | sed -n 's|^ *[0-9]* \([^ ]*\) bookworm/main .*|\1|p' | head -n 1)
        keyring=/usr/share/keyrings/debian-archive-keyring.gpg
        cat > "$cache/apt/sources.list" <<EOF
deb [arch=arm64 signed-by=$keyring] ${mirror:-http://deb.debian.org/debian} bookworm main
deb [arch=amd64 signed-by=$keyring] ${mirror:-http://deb.debian.org/debian} bookworm-backports main
EOF
        cat > "$cache/apt/apt.conf" <<EOF
Dir::Etc::SourceList "$cache/apt/sources.list";
Dir::Etc::SourceParts "$cache/apt/parts";
Dir::Etc::Preferences "$cache/apt/preferences";
Dir::Etc::PreferencesParts "$cache/apt/parts";
Dir::State::Lists "$cache/apt/lists";
Dir::State::status "$cache/apt/status";
Dir::Cache "$cache/apt";
Dir::Cache::archives "$cache/apt/archives";
APT::Architecture "arm64";
APT::Architectures { "arm64"; "amd64"; };
Acquire::Languages "none";
Debug::NoLocking "true";
EOF
        # As root, apt would hand the downloads to a user that cannot write
        # into the build tree.
        [ "$(id -u)" != 0 ] || echo 'APT::Sandbox::User "root";' >> "$cache/apt/apt.conf"
        packages=
        for p in $ARM64_WINE_PACKAGES; do packages="$packages $p:arm64"; done
        # shellcheck disable=SC2086
        if ! (export APT_CONFIG="$cache/apt/apt.conf"; apt-get -qq update &&
              cd "$cache/debs" && apt-get -qq download $packages qemu-user:amd64) >"$cache/apt.log" 2>&1; then
            grep -v '^W: Download is performed unsandboxed' "$cache/apt.log" >&2
            echo "$1: could not fetch the arm64 Wine" >&2
            return 1
        fi
        for deb in "$cache"/debs/*.deb; do
            case $deb in
                */qemu-user_*) dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/qemu-aarch64 > "$emulator" &&
                               chmod +x "$emulator" ;;
                *) dpkg-deb -x "$deb" "$root" ;;
            esac || { echo "$1: could not unpack $deb" >&2; return 1; }
        done
        mv "$root/usr/lib/wine/wine64" "$root/usr/lib/wine/wine64.aarch64"
        mv "$root/usr/lib/wine/wineserver64" "$root/usr/lib/wine/wineserver.aarch64"
        rm -rf "$cache/debs" "$cache/apt/archives"
        echo "$ARM64_WINE_PACKAGES" > "$cache/fetched"
    fi
    # No binfmt registration: the loader and the server are scripts that
    # start the emulator on the real binaries, with the unpacked folder as
    # its root.  Wine starts its own processes (services, explorer, ...)
    # through the loader's name, which -0 keeps, so they are emulated too.
    for name in wine64:wine64 wineserver:wineserver wineserver64:wineserver; do
        printf '#!/bin/sh\nexec "%s" -L "%s" -0 "$0" "%s" "$@"\n' "$emulator" "$root" \
            "$root/usr/lib/wine/${name#*:}.aarch64" > "$root/usr/lib/wine/${name%:*}"
        chmod +x "$root/usr/lib/wine/${name%:*}"
    done
    wine=$root/usr/lib/wine/wine64
    export WINESERVER=$root/usr/lib/wine/wineserver
}

# arm64_drive LETTER FOLDER: the prefix's drive LETTER is FOLDER.  The
# emulator shows the unpacked folder as /, so drive Z: no longer reaches
# this machine's files.
arm64_drive() {
    ln -sfn "$2" "$WINEPREFIX/dosdevices/$1:"
}
