# Sourced by winetest.sh and run.sh: which Wine can run here, its quiet
# environment, a private Xvfb display and a private prefix, and stopping
# what was started.  Functions that print take the calling tool's name first.

# The 32-bit Wine needs a kernel that runs 32-bit code; some virtual machines
# have that switched off, and then only the 64-bit Wine works.
can_run_i386() {
    [ -x /usr/lib/wine/wine ] && /lib/ld-linux.so.2 --help >/dev/null 2>&1
}

# Sets arch (the build preset) and wine (the loader): RUXA_WINE_ARCH if set,
# else the shipped 32-bit module where this machine runs 32-bit code, else
# its 64-bit twin.
choose_wine() {
    arch=${RUXA_WINE_ARCH:-}
    if [ -z "$arch" ]; then
        if can_run_i386; then arch=windows; else arch=windows64; fi
    fi
    case $arch in
        windows) wine=/usr/lib/wine/wine ;;
        windows64)
            wine=/usr/lib/wine/wine64
            if ! can_run_i386; then
                echo "$1: this machine cannot run 32-bit code; using the 64-bit twin build of the same sources"
            fi ;;
        *) echo "$1: unknown RUXA_WINE_ARCH '$arch'" >&2; exit 2 ;;
    esac
}

# wine_environment PREFIX: a private prefix, no debug output, no desktop
# menus, no add-on installers, and no crash debugger popping up over the
# screen when a program faults.
wine_environment() {
    export WINEPREFIX=$1
    export WINESERVER=/usr/lib/wine/wineserver64
    [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winedbg.exe=d"
}

# start_session TOOL GEOMETRY: a temporary folder (work) and a display of
# our own (Xvfb picks a free number and tells us which); exports DISPLAY.
# When the shell exits, our prefix's Wine processes and the Xvfb are stopped
# and the folder is removed.
start_session() {
    work=$(mktemp -d)
    xvfb_pid=
    trap end_session EXIT
    : > "$work/display"
    Xvfb -displayfd 5 -screen 0 "$2" -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    waited=0
    while [ ! -s "$work/display" ]; do
        waited=$((waited + 1))
        if [ $waited -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
            echo "$1: Xvfb did not start" >&2; exit 1
        fi
        sleep 0.1
    done
    export DISPLAY=:$(cat "$work/display")
}

end_session() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}

# make_prefix TOOL: creates the prefix once.
make_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "$1: creating the Wine prefix $WINEPREFIX (once)"
        mkdir -p "$WINEPREFIX"
        "$wine" wineboot -i >/dev/null 2>&1
        "$WINESERVER" -w
    fi
}
