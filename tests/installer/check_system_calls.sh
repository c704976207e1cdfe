#!/bin/sh
# Every library that the installer's System-plugin calls load comes from the
# system folder.  The installer runs elevated from wherever it was saved
# (usually Downloads), and where Windows cannot restrict the library search
# (no SetDefaultDllDirectories: XP, Vista, 7 without its update) a bare name
# is looked for there first.  A call may name a library that Windows always
# maps from the system folder (a KnownDLL on every Windows from 2000 to 11),
# or a full path under $SYSDIR.
#
#   sh tests/installer/check_system_calls.sh [SCRIPT]
#
# Checks the script as makensis sees it, with the included headers and their
# macros expanded, for the x86 and the x86-64 stub.  Prints each call that
# breaks the rule and exits 1 when there is one.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
script=${1:-$root/tools/release/ruxa.nsi}

# KnownDLLs on every Windows the installer runs on.
known="advapi32 comdlg32 gdi32 kernel32 ole32 oleaut32 rpcrt4 shell32 user32"
# The installer's own start loads these from the system folder, before any
# script runs (the NSIS stub's preload list); the finish page of the modern
# interface calls uxtheme on a high-contrast display.
preloaded="uxtheme"

bad=0
calls=0
for stub in x86 amd64; do
    define=
    [ $stub = amd64 ] && define=-DAMD64
    expanded=$(makensis -INPUTCHARSET UTF8 $define -DVERSION=0.0.0 -DOUTFILE=none.exe \
        -PPO "$script" 2>&1) || {
        echo "check_system_calls: makensis could not read $script:"
        printf '%s\n' "$expanded" | tail -5
        exit 1
    }
    # The procedure part of each call, without its quotes: "dll::name(...)",
    # "*struct" or "$var->method".
    procs=$(printf '%s\n' "$expanded" |
        sed -n 's/^[[:space:]]*System::\(Call\|Get\)[[:space:]]\{1,\}\(\/NOUNLOAD[[:space:]]\{1,\}\)\{0,1\}["'\''`]\{0,1\}\([^"'\''`[:space:]]*\).*/\3/p')
    for proc in $procs; do
        calls=$((calls + 1))
        case $proc in
            \**|*'->'*) continue ;;   # memory and interface calls load nothing
            *::*) ;;
            *) echo "check_system_calls ($stub): cannot tell which library ${proc%%(*} loads"; bad=1; continue ;;
        esac
        library=$(printf '%s' "${proc%%::*}" | tr 'A-Z' 'a-z')
        case $library in
            '$sysdir\'*.dll) continue ;;
        esac
        ok=
        for name in $known $preloaded; do
            [ "$library" = "$name" ] && ok=1
        done
        if [ -z "$ok" ]; then
            echo "check_system_calls ($stub): ${proc%%(*} loads $library by its bare name, not from \$SYSDIR"
            bad=1
        fi
    done
done
if [ $calls -eq 0 ]; then
    echo "check_system_calls: found no System-plugin call in $script; the check cannot be reading it"
    exit 1
fi
[ $bad -eq 0 ] && echo "check_system_calls: all $calls System-plugin calls load from the system folder"
[ $bad -eq 0 ]
