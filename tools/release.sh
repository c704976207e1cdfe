#!/bin/sh
# make release: builds the three modules and writes dist/ from scratch:
#   ruxa-VERSION-setup.exe  the installer (x86 stub: it starts on every Windows
#                           and installs the module that fits the system)
#   ruxa-VERSION.zip        the three modules (x86, x64, arm64), the licence
#                           and a short README.txt, for installing by hand
#   ruxa-VERSION-src.tar.gz the tracked sources of the commit
#   SHA256SUMS              checksums of these and of the signatures
# when the maintainer gives a key, the detached signatures:
#   ruxa-VERSION-x86-RUXA.SCR.sig, ruxa-VERSION-x64-RUXA.SCR.sig,
#   ruxa-VERSION-arm64-RUXA.SCR.sig  the modules'
#   ruxa-VERSION-uninstall.exe.sig   the uninstaller's, which the installer
#                                    carries and writes
#   ruxa-VERSION-setup.exe.sig       the installer's
# and when RUXA_RELEASE_URL names the folder where the files will be
# published, the winget manifest in winget/.
#
# The release is reproducible: the same commit gives the same bytes, built
# in any folder at any time.  The one time recorded anywhere (file times in
# the zip and the tarball; the signatures' signing time; any tool that reads
# SOURCE_DATE_EPOCH) is the last commit's.  The modules' build leaves out the
# linker's time stamp and the installer stores no file times.
#
# Signing (Authenticode, SHA-256, by osslsigncode): the modules are signed
# before they go into the installer and the zip, the uninstaller while
# makensis builds the installer (before it goes in), the installer last.
#   RUXA_SIGN_KEY            the private key as a PEM file, or a PKCS#12 file
#                            holding the key and its certificate chain
#   RUXA_SIGN_CERT           with a PEM key: the certificate chain, signer
#                            first, as a PEM file
#   RUXA_SIGN_PASS_FILE      (optional) a file whose first line is the key's
#                            password
#   RUXA_SIGN_TIMESTAMP_URL  (optional) an RFC 3161 time-stamp server
# Keys and the password reach osslsigncode as file names only, never as
# arguments, which every user of the machine can list.
# RUXA_ATTACH_SIGNATURES=FOLDER instead attaches the signatures published in
# FOLDER at the same steps: a rebuild of a signed release (make
# verify-release) then gives the published bytes.
#
#   sh tools/release.sh
#   sh tools/release.sh installer x86|amd64 OUTFILE [VERSION]
#       only the installer, on the x86 or the x86-64 stub (the tests run the
#       x86-64 one where 32-bit code cannot run), optionally with another
#       version number (the tests install an older release first); signed,
#       modules and all, when a key is given; test builds of the installer
#       take extra makensis defines from RUXA_NSIS_DEFINES
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
# Files named relative to where the caller is.
caller=$PWD
absolute() { case $1 in /*|'') echo "$1" ;; *) echo "$caller/$1" ;; esac; }
cd "$root"

version=$(head -n 1 VERSION)
copyright=$(grep -m 1 '^Copyright ' LICENSE)
# One line on what Ruxa is: the installer's version resource and the winget
# manifest both carry it.
description="A classic screen saver: a small vehicle, seen from above, drives over the frozen desktop and leaves its tyre tracks."
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "release: needs a git checkout (the last commit's time dates the release)" >&2; exit 1; }
export SOURCE_DATE_EPOCH
# Zip records local times; the same time everywhere.
export TZ=UTC

fail() { echo "release: $*" >&2; exit 2; }

# nsi_define NAME: a value the installer script defines for itself (a quoted
# text, or a number such as an exit code), so that what the release says
# elsewhere cannot disagree with what it installs.
nsi_define() {
    found=$(sed -n -e "s/^!define $1 \"\\(.*\\)\"\$/\\1/p" -e "s/^!define $1 \\([0-9][0-9]*\\)\\( .*\\)\\{0,1\\}\$/\\1/p" \
        tools/release/ruxa.nsi)
    [ -n "$found" ] || fail "tools/release/ruxa.nsi no longer defines $1"
    echo "$found"
}
product=$(sed -n 's/^Name "\(.*\)"$/\1/p' tools/release/ruxa.nsi)
[ -n "$product" ] || fail "tools/release/ruxa.nsi no longer names the product"

# The signing set-up.  Half of one is an error, not an unsigned release.
sign_key=$(absolute "${RUXA_SIGN_KEY:-}")
attach=$(absolute "${RUXA_ATTACH_SIGNATURES:-}")
[ -z "${RUXA_SIGN_CERT:-}" ] || RUXA_SIGN_CERT=$(absolute "$RUXA_SIGN_CERT")
[ -z "${RUXA_SIGN_PASS_FILE:-}" ] || RUXA_SIGN_PASS_FILE=$(absolute "$RUXA_SIGN_PASS_FILE")
if [ -n "$sign_key" ]; then
    [ -z "$attach" ] || fail "RUXA_SIGN_KEY and RUXA_ATTACH_SIGNATURES exclude each other"
    [ -r "$sign_key" ] || fail "cannot read RUXA_SIGN_KEY '$sign_key'"
    if grep -q -e '-----BEGIN' "$sign_key"; then
        [ -r "${RUXA_SIGN_CERT:-}" ] ||
            fail "RUXA_SIGN_KEY is a PEM key: RUXA_SIGN_CERT must name its certificate chain (PEM)"
    else
        [ -z "${RUXA_SIGN_CERT:-}" ] ||
            fail "RUXA_SIGN_KEY is a PKCS#12 file, which holds the certificates: leave RUXA_SIGN_CERT unset"
    fi
    [ -z "${RUXA_SIGN_PASS_FILE:-}" ] || [ -r "$RUXA_SIGN_PASS_FILE" ] ||
        fail "cannot read RUXA_SIGN_PASS_FILE '$RUXA_SIGN_PASS_FILE'"
else
    for setting in RUXA_SIGN_CERT RUXA_SIGN_PASS_FILE RUXA_SIGN_TIMESTAMP_URL; do
        eval "[ -z \"\${$setting:-}\" ]" || fail "$setting is set but RUXA_SIGN_KEY is not: nothing to sign with"
    done
fi
if [ -n "$attach" ]; then
    [ -d "$attach" ] || fail "RUXA_ATTACH_SIGNATURES '$attach' is not a folder"
    attach=$(cd "$attach" && pwd)
fi

# The module of each build, built alone (the tests of the tree are not needed).
# The module has a build of its own (build/PRESET/module), which also makes
# the icon that the installer shows.
build_modules() {
    for preset in windows windows64 arm64; do
        [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
        cmake --build "build/$preset" --target ruxa -j2 >/dev/null
    done
    sh tools/check_module.sh build/windows/RUXA.SCR i386
    sh tools/check_module.sh build/windows64/RUXA.SCR x86-64
    sh tools/check_module.sh build/arm64/RUXA.SCR arm64
}

# sign IN OUT [SIGNATURE]: OUT is IN as it ships: signed when there is a
# key, with the published signature attached when verifying, else IN
# itself.  SIGNATURE names the detached signature in dist/.
sign() {
    in=$1 out=$2 signature=${3:-}
    log=build/release/osslsigncode.log
    rm -f "$out"
    if [ -n "$attach" ] && [ -n "$signature" ] && [ -f "$attach/$signature" ]; then
        # osslsigncode also checks the signer's chain against this machine's
        # authorities, which says nothing about the bytes: the comparison
        # with the published file does.  Its digest check tells early that
        # the signature is not this file's.
        osslsigncode attach-signature -sigin "$attach/$signature" -in "$in" -out "$out" >"$log" 2>&1 || true
        [ -f "$out" ] || { cat "$log" >&2; fail "could not attach $signature"; }
        if grep -q MISMATCH "$log"; then
            echo "release: $signature does not fit the rebuilt file: it signs other bytes" >&2
        fi
        cp "$attach/$signature" "dist/$signature"
    elif [ -n "$sign_key" ]; then
        if grep -q -e '-----BEGIN' "$sign_key"; then
            set -- -certs "$RUXA_SIGN_CERT" -key "$sign_key"
        else
            set -- -pkcs12 "$sign_key"
        fi
        [ -z "${RUXA_SIGN_PASS_FILE:-}" ] || set -- "$@" -readpass "$RUXA_SIGN_PASS_FILE"
        [ -z "${RUXA_SIGN_TIMESTAMP_URL:-}" ] || set -- "$@" -ts "$RUXA_SIGN_TIMESTAMP_URL"
        # Dated like the rest of the release: the same key signs the same
        # bytes the same way.  A time stamp, where asked for, adds the time
        # of signing, countersigned.
        osslsigncode sign "$@" -h sha256 -n "$product" -time "$SOURCE_DATE_EPOCH" \
            -in "$in" -out "$out" >"$log" 2>&1 ||
            { cat "$log" >&2; fail "signing $(basename "$in") failed"; }
        if [ -n "$signature" ]; then
            osslsigncode extract-signature -in "$out" -out "dist/$signature" >"$log" 2>&1 ||
                { cat "$log" >&2; fail "extracting the signature of $(basename "$in") failed"; }
        fi
    else
        cp "$in" "$out"
    fi
}

# The modules as they ship, into build/release/modules/x86, x64 and arm64.
ship_modules() {
    for module in x86:windows x64:windows64 arm64:arm64; do
        mkdir -p "build/release/modules/${module%:*}"
        sign "build/${module#*:}/RUXA.SCR" "build/release/modules/${module%:*}/RUXA.SCR" \
            "${1:+ruxa-$version-${module%:*}-RUXA.SCR.sig}"
    done
}

kib() { echo $(( ($(stat -c %s "$1") + 1023) / 1024 )); }

# installer STUB OUTFILE [VERSION]: from the shipped modules; itself
# unsigned, its uninstaller signed as the modules are (by this script, run
# by makensis as sign-uninstaller, with $uninstaller_signature where the
# release publishes the signature).
installer() {
    case $1 in
        x86) stub= ;;
        amd64) stub=-DAMD64 ;;
        *) echo "release: unknown stub '$1' (x86 or amd64)" >&2; exit 2 ;;
    esac
    mkdir -p "$(dirname "$2")"
    modules=$root/build/release/modules
    makensis -V2 -INPUTCHARSET UTF8 $stub \
        "-DVERSION=${3:-$version}" "-DCOPYRIGHT=$copyright" "-DDESCRIPTION=$description" \
        "-DMODULE_X86=$modules/x86/RUXA.SCR" "-DMODULE_X64=$modules/x64/RUXA.SCR" \
        "-DMODULE_ARM64=$modules/arm64/RUXA.SCR" "-DMODULE_X86_KB=$(kib "$modules/x86/RUXA.SCR")" \
        "-DMODULE_X64_KB=$(kib "$modules/x64/RUXA.SCR")" "-DMODULE_ARM64_KB=$(kib "$modules/arm64/RUXA.SCR")" \
        "-DLICENSE_FILE=$root/LICENSE" "-DICON=$root/build/windows/module/art/saver.ico" \
        "-DSIGN_UNINSTALLER=sh \"$root/tools/release.sh\" sign-uninstaller ${uninstaller_signature:--}" \
        "-DOUTFILE=$2" ${test_defines:-} tools/release/ruxa.nsi >/dev/null
}

# Windows text files end their lines with CR LF.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }

# yaml TEXT: TEXT as a single-quoted YAML scalar.
yaml() { printf "'%s'" "$(printf '%s' "$1" | sed "s/'/''/g")"; }

# winget_manifest SETUP URL: the multi-file manifest (schema 1.9.0) of the
# installer SETUP published at URL, into dist/winget/.  Every value comes
# from where the installer takes it: VERSION, LICENSE, the installer
# script's product name, publisher and uninstall key, this script's
# description, the setup's bytes and the commit's date.
winget_manifest() {
    id=Ruxa.Ruxa
    schema=1.9.0
    dir=dist/winget
    mkdir -p "$dir"
    key=$(nsi_define UNINSTALL_KEY)
    publisher=$(nsi_define PUBLISHER)
    sha=$(sha256sum "$1" | cut -d ' ' -f 1 | tr a-f A-F)
    date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
    common="PackageIdentifier: $id
PackageVersion: $(yaml "$version")"
    cat >"$dir/$id.yaml" <<EOF
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.version.$schema.schema.json
$common
DefaultLocale: en-US
ManifestType: version
ManifestVersion: $schema
EOF
    {
        echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.installer.$schema.schema.json"
        echo "$common"
        echo "InstallerType: nullsoft"
        echo "InstallModes:"
        echo "- interactive"
        echo "- silent"
        echo "UpgradeBehavior: install"
        # The name of the uninstall entry's key, which winget looks for.
        echo "ProductCode: $(yaml "${key##*\\}")"
        echo "ReleaseDate: $(yaml "$date")"
        # The installer's exit codes that winget should not take for a
        # plain failure.
        echo "ExpectedReturnCodes:"
        for code in EXIT_RESTART_REQUIRED:rebootRequiredToFinish EXIT_IN_USE:packageInUse \
            EXIT_BAD_COMMAND_LINE:invalidParameter; do
            echo "- InstallerReturnCode: $(nsi_define "${code%%:*}")"
            echo "  ReturnResponse: ${code#*:}"
        done
        # The one installer serves every processor (it installs the module
        # that fits), and winget looks for an entry of the machine's own
        # architecture first.  For all users it needs an administrator's
        # rights, which it does not ask a standard user for.
        echo "Installers:"
        for architecture in x86 x64 arm64; do
            for scope in user:/CurrentUser machine:/AllUsers; do
                echo "- Architecture: $architecture"
                echo "  Scope: ${scope%%:*}"
                echo "  InstallerUrl: $(yaml "${2%/}/$(basename "$1")")"
                echo "  InstallerSha256: $(yaml "$sha")"
                echo "  InstallerSwitches:"
                echo "    Silent: /S"
                echo "    SilentWithProgress: /S"
                echo "    Custom: ${scope#*:}"
                [ "${scope%%:*}" = user ] || echo "  ElevationRequirement: elevationRequired"
            done
        done
        echo "ManifestType: installer"
        echo "ManifestVersion: $schema"
    } >"$dir/$id.installer.yaml"
    cat >"$dir/$id.locale.en-US.yaml" <<EOF
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.defaultLocale.$schema.schema.json
$common
PackageLocale: en-US
Publisher: $(yaml "$publisher")
PackageName: $(yaml "$product")
License: $(yaml "$(head -n 1 LICENSE | sed 's/ [Ll]icen[cs]e$//')")
Copyright: $(yaml "$copyright")
ShortDescription: $(yaml "$description")
ManifestType: defaultLocale
ManifestVersion: $schema
EOF
}

# The signing set-up reaches makensis's call of sign-uninstaller through
# the environment, with every file named by its full path.
export RUXA_SIGN_KEY="$sign_key" RUXA_ATTACH_SIGNATURES="$attach"
if [ "${1:-}" = sign-uninstaller ]; then
    # sign-uninstaller SIGNATURE|- FILE: FILE signed in place.
    [ $# -eq 3 ] || { echo "usage: release.sh sign-uninstaller SIGNATURE|- FILE" >&2; exit 2; }
    [ "$2" != - ] || set -- "$1" "" "$3"
    sign "$3" "$3.signed" "$2"
    mv "$3.signed" "$3"
    exit 0
fi

if [ "${1:-}" = installer ]; then
    [ $# -ge 3 ] || { echo "usage: release.sh installer x86|amd64 OUTFILE [VERSION]" >&2; exit 2; }
    test_defines=${RUXA_NSIS_DEFINES:-}
    [ -z "$attach" ] || fail "RUXA_ATTACH_SIGNATURES is for the whole release"
    build_modules
    mkdir -p build/release
    ship_modules
    installer "$2" "$root/build/release/setup-$2.unsigned" "${4:-}"
    outfile=$(absolute "$3")
    mkdir -p "$(dirname "$outfile")"
    sign "$root/build/release/setup-$2.unsigned" "$outfile"
    rm -f "$root/build/release/setup-$2.unsigned"
    exit 0
fi

# What a test build forces never reaches a release.
[ -z "${RUXA_NSIS_DEFINES:-}" ] || fail "RUXA_NSIS_DEFINES makes test builds of the installer alone, never a release"
case ${RUXA_RELEASE_URL:-} in
    ''|https://*|http://*) ;;
    *) fail "RUXA_RELEASE_URL must be an http or https address (winget downloads from it)" ;;
esac

build_modules
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "release: warning: the work tree has uncommitted changes; the source tarball holds the commit only" >&2
fi
rm -rf dist build/release
mkdir -p dist build/release/zip
ship_modules dist
uninstaller_signature=ruxa-$version-uninstall.exe.sig
installer x86 "$root/build/release/setup.unsigned"
sign build/release/setup.unsigned "dist/ruxa-$version-setup.exe" "ruxa-$version-setup.exe.sig"

stage=build/release/zip
modules="x86/RUXA.SCR x64/RUXA.SCR arm64/RUXA.SCR"
for module in $modules; do
    mkdir -p "$stage/${module%/*}"
    cp "build/release/modules/$module" "$stage/$module"
done
crlf LICENSE "$stage/LICENSE"
sed "s/@VERSION@/$version/g" tools/release/README.txt >"$stage/README.in"
crlf "$stage/README.in" "$stage/README.txt"
rm "$stage/README.in"
# The zip keeps each file's mode, which the checkout's umask decides.
# shellcheck disable=SC2086
(cd "$stage" && chmod 644 $modules LICENSE README.txt &&
    zip -q -X -r "$root/dist/ruxa-$version.zip" $modules LICENSE README.txt)
strip-nondeterminism -t zip -T "$SOURCE_DATE_EPOCH" "dist/ruxa-$version.zip" >/dev/null

# git dates, owns (root) and orders the entries itself; gzip -n leaves out
# its own name and time.
git archive --format=tar --prefix="ruxa-$version/" HEAD | gzip -9n >"dist/ruxa-$version-src.tar.gz"

files="ruxa-$version-setup.exe ruxa-$version.zip ruxa-$version-src.tar.gz"
for signature in setup.exe uninstall.exe x86-RUXA.SCR x64-RUXA.SCR arm64-RUXA.SCR; do
    [ ! -f "dist/ruxa-$version-$signature.sig" ] || files="$files ruxa-$version-$signature.sig"
done
# shellcheck disable=SC2086
(cd dist && sha256sum $files >SHA256SUMS)

if [ -n "${RUXA_RELEASE_URL:-}" ]; then
    winget_manifest "dist/ruxa-$version-setup.exe" "$RUXA_RELEASE_URL"
else
    echo "release: no winget manifest: RUXA_RELEASE_URL (where the files will be published) is not set"
fi
if [ -f "dist/ruxa-$version-setup.exe.sig" ]; then signed=signed; else signed=unsigned; fi
echo "release: dist/ holds Ruxa $version, $signed (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH):"
# shellcheck disable=SC2086
(cd dist && stat -c '  %n  %s bytes' $files SHA256SUMS)
[ ! -d dist/winget ] || echo "  winget/  the manifest for $RUXA_RELEASE_URL"
