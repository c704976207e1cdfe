#!/bin/sh
# make verify-release DIST=FOLDER: rebuilds a published release from its
# sources and compares it, file by file, with the published one.
#
# FOLDER holds what was published: the installer, the zip, the source
# tarball, SHA256SUMS and, for a signed release, the detached signatures
# (and the winget manifest, where it was published too).  The source
# tarball names the commit it was made from; a clean clone of that commit,
# taken from this repository, builds the release again, dated by that
# commit as the maintainer's was.  The published signatures are attached at
# the steps where the maintainer signed (the modules before they are packed,
# the installer last), so the rebuild gives the published bytes exactly when
# the published files are what those sources build.
#
# Prints one line per file (and per module inside the zip): "identical", or
# where the first difference lies; exits with 1 on any difference.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)

[ $# -eq 1 ] && [ -n "$1" ] || { echo "usage: make verify-release DIST=FOLDER" >&2; exit 2; }
dist=$(cd "$1" 2>/dev/null && pwd) || { echo "verify-release: no folder '$1'" >&2; exit 2; }

set -- "$dist"/ruxa-*-src.tar.gz
[ $# -eq 1 ] && [ -f "$1" ] ||
    { echo "verify-release: $dist must hold exactly one source tarball (ruxa-VERSION-src.tar.gz)" >&2; exit 2; }
[ -f "$dist/SHA256SUMS" ] || { echo "verify-release: $dist holds no SHA256SUMS" >&2; exit 2; }
commit=$(gzip -dc "$1" | git get-tar-commit-id) ||
    { echo "verify-release: $(basename "$1") names no commit" >&2; exit 2; }

work=$root/build/verify
rm -rf "$work"
mkdir -p "$work"
clone=$work/ruxa
git clone -q --no-checkout --no-hardlinks "$root" "$clone" &&
    git -C "$clone" checkout -q --detach "$commit" 2>/dev/null ||
    { echo "verify-release: the commit $commit is not in this repository; fetch it (git fetch --tags) and try again" >&2; exit 2; }

# The manifest names the published folder; the rebuild writes it again from
# that address when one was published.
url=
for manifest in "$dist"/winget/*.installer.yaml; do
    [ -f "$manifest" ] || continue
    url=$(sed -n "s/^ *InstallerUrl: *'\{0,1\}\([^']*\)'\{0,1\} *\$/\1/p" "$manifest" | head -n 1)
    url=${url%/*}/
done

echo "verify-release: rebuilding commit $commit in $clone"
if ! env -u RUXA_SIGN_KEY -u RUXA_SIGN_CERT -u RUXA_SIGN_PASS_FILE -u RUXA_SIGN_TIMESTAMP_URL \
    RUXA_ATTACH_SIGNATURES="$dist" RUXA_RELEASE_URL="$url" \
    make -s -C "$clone" release >"$work/release.log" 2>&1; then
    cat "$work/release.log"
    echo "verify-release: the rebuild failed"
    exit 1
fi
grep '^release: .* does not fit the rebuilt file' "$work/release.log"
rebuilt=$clone/dist

differing=0
# compare NAME PUBLISHED REBUILT: one line on how the two files compare.
compare() {
    if [ ! -f "$2" ]; then
        printf '  %-40s not published (not compared)\n' "$1"
    elif [ ! -f "$3" ]; then
        printf '  %-40s not made by the rebuild\n' "$1"
        differing=$((differing + 1))
    elif cmp -s "$2" "$3"; then
        printf '  %-40s identical\n' "$1"
    else
        # cmp counts bytes from 1; the offset counts from 0.
        said=$(cmp "$2" "$3" 2>&1)
        case $said in
            *EOF*after\ byte*) at=$(echo "$said" | sed -n 's/.* after byte \([0-9]*\).*/\1/p') ;;
            *EOF*) at=0 ;;
            *) at=$(($(echo "$said" | sed -n 's/.* differ: byte \([0-9]*\),.*/\1/p') - 1)) ;;
        esac
        where=$(printf 'from offset %d (0x%x) on' "$at" "$at")
        # A module's or an installer's checksum, in its header, differs
        # whenever anything else does: say where the rest first differs.
        if [ "$(head -c 2 "$2")" = MZ ]; then
            sum=$(($(od -An -tu4 -j60 -N4 "$2") + 88))
            rest=$(cmp -l "$2" "$3" 2>/dev/null | awk -v sum="$sum" '$1 - 1 < sum || $1 - 1 >= sum + 4 { print $1 - 1; exit }')
            [ "$at" -lt "$sum" ] || [ "$at" -ge $((sum + 4)) ] || [ -z "$rest" ] ||
                where=$(printf 'in the PE checksum and from offset %d (0x%x) on' "$rest" "$rest")
        fi
        printf '  %-40s differs %s; published %d bytes, rebuilt %d\n' "$1" "$where" \
            "$(stat -c %s "$2")" "$(stat -c %s "$3")"
        differing=$((differing + 1))
    fi
}

names=$( (cd "$rebuilt" && find . -type f; cd "$dist" && find . -type f) | sed 's|^\./||' | sort -u)
for name in $names; do
    compare "$name" "$dist/$name" "$rebuilt/$name"
    case $name in
        *.zip)
            # The modules inside, so that a difference names the module.
            [ -f "$dist/$name" ] || continue
            rm -rf "$work/published" "$work/rebuilt"
            python3 -m zipfile -e "$dist/$name" "$work/published" 2>/dev/null
            python3 -m zipfile -e "$rebuilt/$name" "$work/rebuilt"
            for member in $( (cd "$work/rebuilt" && find . -type f; cd "$work/published" 2>/dev/null && find . -type f) |
                sed 's|^\./||' | sort -u); do
                # The zip itself has been counted.
                before=$differing
                compare "$name: $member" "$work/published/$member" "$work/rebuilt/$member"
                differing=$before
            done ;;
    esac
done

if [ $differing -eq 0 ]; then
    echo "verify-release: every file is identical to the one commit $commit builds"
    rm -rf "$work"
    exit 0
fi
echo "verify-release: $differing file(s) differ from what commit $commit builds (the rebuild is in $clone)"
exit 1
