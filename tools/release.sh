#!/bin/sh
# make release: builds both modules and writes dist/ from scratch:
#   ruxa-VERSION-setup.exe  the installer (x86 stub: it starts on every Windows
#                           and installs the module that fits the system)
#   ruxa-VERSION.zip        both modules, the licence and a short README.txt,
#                           for installing by hand
#   ruxa-VERSION-src.tar.gz the tracked sources of the commit
#   SHA256SUMS              checksums of the three
#
# The release is reproducible: the same commit gives the same bytes, built
# in any folder at any time.  The one time recorded anywhere (file times in
# the zip and the tarball; any tool that reads SOURCE_DATE_EPOCH) is the last
# commit's.  The modules' build leaves out the linker's time stamp and the
# installer stores no file times.
#
#   sh tools/release.sh
#   sh tools/release.sh installer x86|amd64 OUTFILE [VERSION]
#       only the installer, on the x86 or the x86-64 stub (the tests run the
#       x86-64 one where 32-bit code cannot run), optionally with another
#       version number (the tests install an older release first); extra
#       makensis defines for test builds in RUXA_NSIS_DEFINES
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

version=$(head -n 1 VERSION)
copyright=$(grep -m 1 '^Copyright ' LICENSE)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "release: needs a git checkout (the last commit's time dates the release)" >&2; exit 1; }
export SOURCE_DATE_EPOCH
# Zip records local times; the same time everywhere.
export TZ=UTC

# The module of each build, built alone (the tests of the tree are not needed).
# The module has a build of its own (build/PRESET/module), which also makes
# the icon that the installer shows.
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
        "-DLICENSE_FILE=$root/LICENSE" "-DICON=$root/build/windows/module/art/saver.ico" \
        "-DOUTFILE=$2" ${RUXA_NSIS_DEFINES:-} tools/release/ruxa.nsi >/dev/null
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
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "release: warning: the work tree has uncommitted changes; the source tarball holds the commit only" >&2
fi
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
# The zip keeps each file's mode, which the checkout's umask decides.
chmod 644 "$stage/x86/RUXA.SCR" "$stage/x64/RUXA.SCR" "$stage/LICENSE" "$stage/README.txt"
(cd "$stage" && zip -q -X -r "$root/dist/ruxa-$version.zip" x86/RUXA.SCR x64/RUXA.SCR LICENSE README.txt)
strip-nondeterminism -t zip -T "$SOURCE_DATE_EPOCH" "dist/ruxa-$version.zip" >/dev/null

# git dates, owns (root) and orders the entries itself; gzip -n leaves out
# its own name and time.
git archive --format=tar --prefix="ruxa-$version/" HEAD | gzip -9n >"dist/ruxa-$version-src.tar.gz"

(cd dist && sha256sum "ruxa-$version-setup.exe" "ruxa-$version.zip" "ruxa-$version-src.tar.gz" >SHA256SUMS)
echo "release: dist/ holds Ruxa $version (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH):"
(cd dist && stat -c '  %n  %s bytes' "ruxa-$version-setup.exe" "ruxa-$version.zip" "ruxa-$version-src.tar.gz" SHA256SUMS)
