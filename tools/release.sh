#!/bin/sh
# make release: builds both modules and writes dist/ from scratch:
#   ruxa-VERSION-setup.exe  the installer (x86 stub: it starts on every Windows
#                           and installs the module that fits the system)
#   ruxa-VERSION.zip        both modules, the licence and a short README.txt,
#                           for installing by hand
#   SHA256SUMS              checksums of the two
#
#   sh tools/release.sh
#   sh tools/release.sh installer x86|amd64 OUTFILE [VERSION]
#       only the installer, on the x86 or the x86-64 stub (the tests run the
#       x86-64 one where 32-bit code cannot run), optionally with another
#       version number (the tests install an older release first)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

version=$(head -n 1 VERSION)
copyright=$(grep -m 1 '^Copyright ' LICENSE)

# The module of each build, built alone (the tests of the tree are not needed).
build_modules() {
    for preset in windows windows64; do
        [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
        cmake --build "build/$preset" --target ruxa -j2 >/dev/null
    done
    sh tools/check_module.sh build/windows/RUXA.SCR i386
    sh tools/check_module.sh build/windows64/RUXA.SCR x86-64
}

kib() { echo $(( ($(stat -c %s "$1") + 1023) / 1024 )); }

# installer STUB OUTFILE [VERSION]
installer() {
    case $1 in
        x86) stub= ;;
        amd64) stub=-DAMD64 ;;
        *) echo "release: unknown stub '$1' (x86 or amd64)" >&2; exit 2 ;;
    esac
    mkdir -p "$(dirname "$2")"
    makensis -V2 -INPUTCHARSET UTF8 $stub \
        "-DVERSION=${3:-$version}" "-DCOPYRIGHT=$copyright" \
        "-DMODULE_X86=$root/build/windows/RUXA.SCR" "-DMODULE_X64=$root/build/windows64/RUXA.SCR" \
        "-DMODULE_X86_KB=$(kib build/windows/RUXA.SCR)" "-DMODULE_X64_KB=$(kib build/windows64/RUXA.SCR)" \
        "-DLICENSE_FILE=$root/LICENSE" "-DICON=$root/build/windows/art/saver.ico" \
        "-DOUTFILE=$2" tools/release/ruxa.nsi >/dev/null
}

# Windows text files end their lines with CR LF.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }

if [ "${1:-}" = installer ]; then
    [ $# -ge 3 ] || { echo "usage: release.sh installer x86|amd64 OUTFILE [VERSION]" >&2; exit 2; }
    build_modules
    installer "$2" "$3" "${4:-}"
    exit 0
fi

build_modules
rm -rf dist build/release
mkdir -p dist build/release/zip/x86 build/release/zip/x64
installer x86 "$root/dist/ruxa-$version-setup.exe"

stage=build/release/zip
cp build/windows/RUXA.SCR "$stage/x86/RUXA.SCR"
cp build/windows64/RUXA.SCR "$stage/x64/RUXA.SCR"
crlf LICENSE "$stage/LICENSE"
sed "s/@VERSION@/$version/g" tools/release/README.txt >"$stage/README.in"
crlf "$stage/README.in" "$stage/README.txt"
rm "$stage/README.in"
(cd "$stage" && zip -q -X -r "$root/dist/ruxa-$version.zip" x86/RUXA.SCR x64/RUXA.SCR LICENSE README.txt)

(cd dist && sha256sum "ruxa-$version-setup.exe" "ruxa-$version.zip" >SHA256SUMS)
echo "release: dist/ holds Ruxa $version:"
(cd dist && stat -c '  %n  %s bytes' "ruxa-$version-setup.exe" "ruxa-$version.zip" SHA256SUMS)
