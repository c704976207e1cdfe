#!/bin/sh
# root_wine.sh ROOT PROGRAM [ARGUMENT...]: runs PROGRAM of the Debian root
# ROOT (a Wine loader or server) as the host's Wine would run, in the
# caller's folder where the root sees it.  The environment is clean but for
# what a run of Wine needs and the tests' own settings: variables of the
# host's Wine set-up (a server path, a wrapper's PATH) would otherwise reach
# the root's Wine, and then nothing draws.
root=$1
program=$2
shift 2
folder=$PWD
[ -d "$root$folder" ] || folder=/
set -- "$program" "$@"
for name in RUXA_MONITOR_LAYOUT RUXA_EXPECTED_DPI WINEARCH WINEDLLOVERRIDES WINEDEBUG WINEPREFIX DISPLAY; do
    eval "value=\${$name:-}"
    [ -z "$value" ] || set -- "$name=$value" "$@"
done
exec chroot "$root" /usr/bin/env -i --chdir="$folder" PATH=/usr/bin:/bin HOME=/root "$@"
