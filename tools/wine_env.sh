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
# its 64-bit twin.  RUXA_WINE_BIN names a folder of stand-ins for the loaders
# and the server, of the same names, that run another Wine's instead
# (tools/wine10test.sh).
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
    [ -z "${RUXA_WINE_BIN:-}" ] || wine=$RUXA_WINE_BIN/${wine##*/}
}

# wine_environment PREFIX: a private prefix, no debug output, no desktop
# menus, no add-on installers, and no crash debugger popping up over the
# screen when a program faults.
wine_environment() {
    export WINEPREFIX=$1
    export WINESERVER=/usr/lib/wine/wineserver64
    [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
    [ -z "${RUXA_WINE_BIN:-}" ] || WINESERVER=$RUXA_WINE_BIN/wineserver
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
    stop_display
    rm -rf "$work"
}

# stop_display: our prefix's Wine processes, then the X server we started.
stop_display() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    for pid in $xvfb_pid ${xorg_pid:-}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    xvfb_pid=
    xorg_pid=
}

# start_two_monitors TOOL LAYOUT: in place of Xvfb, Xorg's dummy driver with
# two monitors, 1024 x 768 (the primary) and 800 x 600 beside it; LAYOUT is
# right or left (set_monitors).  Xvfb cannot do this: Wine would see both
# of its screens at 0,0.  Xorg must be started as root.
start_two_monitors() {
    xvfb_pid=
    xorg_pid=
    [ -n "${work:-}" ] || { work=$(mktemp -d); trap end_session EXIT; }
    cat > "$work/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "d0"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "m0"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "s0"
  Device "d0"
  Monitor "m0"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2048 1024
  EndSubSection
EndSection
CONF
    : > "$work/display"
    Xorg -displayfd 5 -config "$work/xorg.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" \
        5>"$work/display" >/dev/null 2>&1 &
    xorg_pid=$!
    waited=0
    while [ ! -s "$work/display" ]; do
        waited=$((waited + 1))
        if [ $waited -gt 100 ] || ! kill -0 "$xorg_pid" 2>/dev/null; then
            echo "$1: the two-monitor X server (Xorg, dummy driver) did not start; it needs root" >&2
            return 1
        fi
        sleep 0.1
    done
    export DISPLAY=:$(cat "$work/display")
    # The server answers before its outputs have settled; changed too soon,
    # Wine still sees one monitor.
    sleep 2
    xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary &&
        xrandr --addmode DUMMY1 800x600 &&
        set_monitors "$1" "$2"
}

# set_monitors TOOL LAYOUT: the second monitor right or left of the primary.
# Wine reads the monitors when its processes start, so its server stops.
set_monitors() {
    xrandr --output DUMMY1 --mode 800x600 --"$2"-of DUMMY0 || {
        echo "$1: could not put the second monitor $2 of the first" >&2; return 1; }
    # A full query makes the server probe its outputs again; Wine reads
    # only the current state, which without it can still show one monitor.
    xrandr >/dev/null
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
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

# set_dpi TOOL DPI: the display's DPI as Wine reports it to every program
# (the user's LogPixels), which Wine reads when its server starts; so the
# server stops.
set_dpi() {
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null 2>&1 || {
        echo "$1: could not set the display to $2 DPI" >&2; return 1; }
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
}
