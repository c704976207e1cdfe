#!/bin/sh
# The installer, run for real under Wine.  Each case starts from a fresh
# copy of a pristine private prefix (made once under build/wine/) and looks
# at what a user, the system or an administrator would see: files in the
# system and program folders, the registry, the list of installed programs
# as Wine's own uninstaller reports it, and the windows of the installed
# module.  Prints one line per case and "installer: N passed, N failed".
#
# Where this machine runs 32-bit code, the shipped x86 installer runs on a
# 64-bit and on a 32-bit Windows; everywhere the same script built on the
# x86-64 stub runs on a 64-bit Windows.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
. "$root/tools/wine_env.sh"

version=$(head -n 1 VERSION)
older=0.0.1
out=$root/build/installer
desktop='HKCU\Control Panel\Desktop'
# The platform's value there that names the current screen saver.
current_saver=SCRNSAVE.EXE
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ruxa'
ruxa_file='C:\windows\system32\RUXA.SCR'
# Nothing a case starts may hang the run: a program that waits for an answer
# (a message box, a window nobody closes) is ended after this many seconds.
limit=60

passed=0
failed=0

# --- building what the cases run -------------------------------------------

# Nothing of the caller's signing set-up reaches the builds below.
unset RUXA_SIGN_KEY RUXA_SIGN_CERT RUXA_SIGN_PASS_FILE RUXA_SIGN_TIMESTAMP_URL RUXA_RELEASE_URL RUXA_ATTACH_SIGNATURES

# A throwaway certificate authority and a code-signing certificate from it,
# made for this run.  The installers the cases run are signed with it,
# modules and all; the signer's key also goes into a PKCS#12 file with a
# password, for the release below.
ca=$out/ca
rm -rf "$ca"
mkdir -p "$ca"
{
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Ruxa test authority" -keyout "$ca/ca.key" \
        -addext basicConstraints=critical,CA:true -addext keyUsage=critical,keyCertSign -out "$ca/ca.pem" &&
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Ruxa test signer" -keyout "$ca/signer.key" \
        -CA "$ca/ca.pem" -CAkey "$ca/ca.key" -addext extendedKeyUsage=codeSigning -out "$ca/signer.pem" &&
    cat "$ca/signer.pem" "$ca/ca.pem" >"$ca/chain.pem" &&
    echo "throwaway password $$" >"$ca/password" &&
    openssl pkcs12 -export -inkey "$ca/signer.key" -in "$ca/signer.pem" -certfile "$ca/ca.pem" \
        -passout "file:$ca/password" -out "$ca/signer.p12"
} >"$ca/openssl.log" 2>&1 || { echo "installer: making the test certificates failed (see $ca/openssl.log)"; exit 1; }
export RUXA_SIGN_CERT="$ca/chain.pem" RUXA_SIGN_KEY="$ca/signer.key"
# The modules as the installers carry them.
shipped=$root/build/release/modules

make -s windows64 >/dev/null || { echo "installer: building the x86-64 tree failed"; exit 1; }
sh tools/release.sh installer amd64 "$out/ruxa-$version-setup-amd64.exe" &&
    sh tools/release.sh installer amd64 "$out/ruxa-$older-setup-amd64.exe" "$older" ||
    { echo "installer: building the installers failed"; exit 1; }
variants=amd64
if can_run_i386; then
    make -s windows >/dev/null || { echo "installer: building the i386 tree failed"; exit 1; }
    sh tools/release.sh installer x86 "$out/ruxa-$version-setup.exe" &&
        sh tools/release.sh installer x86 "$out/ruxa-$older-setup.exe" "$older" ||
        { echo "installer: building the installers failed"; exit 1; }
    variants="x86-on-64 x86-on-32 amd64"
else
    echo "installer: this machine cannot run 32-bit code; running the installer built on the x86-64 stub only"
fi
unset RUXA_SIGN_CERT RUXA_SIGN_KEY

# variant NAME: sets installer, old_installer, wine, winearch, module (the
# file that must be installed), probe and pristine.
variant() {
    case $1 in
        amd64)
            installer=$out/ruxa-$version-setup-amd64.exe old_installer=$out/ruxa-$older-setup-amd64.exe
            wine=/usr/lib/wine/wine64 winearch=win64 module=$shipped/x64/RUXA.SCR
            probe=$root/build/windows64/ruxa_window_probe.exe ;;
        x86-on-64)
            installer=$out/ruxa-$version-setup.exe old_installer=$out/ruxa-$older-setup.exe
            wine=/usr/lib/wine/wine64 winearch=win64 module=$shipped/x64/RUXA.SCR
            probe=$root/build/windows64/ruxa_window_probe.exe ;;
        x86-on-32)
            installer=$out/ruxa-$version-setup.exe old_installer=$out/ruxa-$older-setup.exe
            wine=/usr/lib/wine/wine winearch=win32 module=$shipped/x86/RUXA.SCR
            probe=$root/build/windows/ruxa_window_probe.exe ;;
    esac
    pristine=$root/build/wine/installer-$winearch-pristine
}

# --- one case ----------------------------------------------------------------

trap 'exit 130' INT TERM
start_session installer 1024x768x24

# begin NAME: a fresh prefix for the case.
begin() {
    name="$current: $1"
    problems=
    prefix=$root/build/wine/installer-case
    rm -rf "$prefix"
    cp -a "$pristine" "$prefix"
    wine_environment "$prefix"
    drive_c=$prefix/drive_c
}

# expect WHAT CONDITION...: notes a problem when the condition fails.
expect() {
    what=$1
    shift
    "$@" || problems="$problems
    $what"
}

# end: stops the case's Wine and reports it.
end() {
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    if [ -z "$problems" ]; then
        echo "ok    $name"
        passed=$((passed + 1))
    else
        echo "FAIL  $name$problems"
        failed=$((failed + 1))
    fi
}

# --- what the cases look at ---------------------------------------------------

# The data of one registry value as reg prints it (REG_DWORD as 0x...), or
# nothing when it is missing.
value() {
    "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$(echo "$2" | sed 's/\./\\./g') *REG_[A-Z_]* *//p"
}
has_value() { "$wine" reg query "$1" /v "$2" >/dev/null 2>&1; }
has_key() { "$wine" reg query "$1" >/dev/null 2>&1; }
no_key() { ! has_key "$1"; }
no_value() { ! has_value "$1" "$2"; }
equals() { [ "$1" = "$2" ]; }
within() { [ "${1:-0}" -ge "$2" ] && [ "${1:-0}" -le "$3" ]; }
# How many entries of Wine's list of installed programs name Ruxa.
listed() { "$wine" uninstaller --list 2>/dev/null | tr -d '\r' | grep -c '^Ruxa|||Ruxa Screen Saver$'; }
# How many files of this name (any case) the prefix's drive holds.
files_named() { find "$drive_c" -iname "$1" | wc -l; }
installed() { cmp -s "$module" "$drive_c/windows/system32/RUXA.SCR"; }
missing() { [ ! -e "$1" ]; }
# shows_window CLASS TITLE [close]: the window appears (and is closed).
shows_window() { timeout $limit "$wine" "$probe" "$@" >/dev/null 2>&1; }

# run_setup INSTALLER [ARGUMENT...]: a silent install; true when it ended with 0.
run_setup() { setup=$1; shift; timeout $limit "$wine" "$setup" /S "$@" >/dev/null 2>&1; }

# run_uninstall [KEY]: the quiet uninstall command that the key names, as the
# list of installed programs and deployment tools run it; true when it ended
# with 0.  What it leaves to tidy up after it has ended is done when the
# prefix has no process left.
run_uninstall() {
    code=$(uninstall_code "${1:-$uninstall_key}")
    timeout $limit "$WINESERVER" -w || return 1
    [ "$code" = 0 ]
}

uninstaller='C:\Program Files\Ruxa\uninstall.exe'
uninstaller_file() { echo "$drive_c/Program Files/Ruxa/uninstall.exe"; }

colour_key='HKCU\Software\Ruxa'
store_colour() { "$wine" reg add "$colour_key" /v Color /t REG_BINARY /d 7f7f0000 /f >/dev/null 2>&1; }
colour_kept() { equals "$(value "$colour_key" Color)" 7F7F0000; }

user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ruxa'
unix_path() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
# The user's own program folder, as Windows names it.
user_programs() { "$wine" cmd /c 'echo %LOCALAPPDATA%\Programs' 2>/dev/null | tr -d '\r'; }

# runs_until_key FILE: the saver FILE runs with /s until a key ends it with 0.
runs_until_key() {
    timeout $limit "$wine" "$1" /s >/dev/null 2>&1 &
    started=$!
    expect "/s showed no \"Screen Saver\" window of class WindowsScreenSaverClass" \
        shows_window WindowsScreenSaverClass "Screen Saver"
    sleep 1
    expect "the saver ended before the key" kill -0 $started
    xdotool key space
    wait $started
    code=$?
    expect "the saver ended with exit code $code after a key, not 0" equals $code 0
}

# command_code COMMAND: runs a command line as Windows' own shell does
# (written into a batch file, so that its quotes reach Windows as they are)
# and prints its whole exit code, which Wine's own exit status cuts to the
# low 8 bits (3010 would be 194); "none" when it did not end within the
# limit, waiting for an answer in a window.
command_code() {
    printf '@%s\r\n@echo exit=%%errorlevel%%\r\n' "$1" >"$drive_c/command.cmd"
    result=$(timeout $limit "$wine" cmd /c 'C:\command.cmd' 2>/dev/null | tr -d '\r' | sed -n 's/^exit=//p')
    echo "${result:-none}"
}

# exit_code PROGRAM [ARGUMENT...]: the exit code of a program (a Unix or a
# Windows path) run with these arguments.
exit_code() {
    case $1 in /*) program=Z:$(printf '%s' "$1" | tr / '\\') ;; *) program=$1 ;; esac
    shift
    command_code "\"$program\" $*"
}

# uninstall_code [KEY]: the exit code of the quiet uninstall command that
# the key names.
uninstall_code() { command_code "$(value "${1:-$uninstall_key}" QuietUninstallString)"; }

# start_saver FILE: FILE runs with /s, as the system starts it, and holds its
# file open; stop_saver ends it with a key.
start_saver() {
    timeout $limit "$wine" "$1" /s >/dev/null 2>&1 &
    saver_pid=$!
    expect "/s showed no saver window" shows_window WindowsScreenSaverClass "Screen Saver"
}
stop_saver() {
    expect "the saver ended before the key" kill -0 $saver_pid
    xdotool key space
    wait $saver_pid
}

# The renames and removals the system carries out at the next restart, and
# that restart.
pending() { value 'HKLM\System\CurrentControlSet\Control\Session Manager' PendingFileRenameOperations; }
restart() {
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    timeout $limit "$wine" wineboot -r >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
}

# The system's Blank saver, which the tests' prefixes lack: a stand-in.
blank_saver='C:\windows\system32\scrnsave.scr'
add_blank_saver() { printf 'MZ' >"$drive_c/windows/system32/scrnsave.scr"; }
default_desktop='HKU\.DEFAULT\Control Panel\Desktop'

# test_installer NAME DEFINE...: a test build of the installer on this
# variant's stub, with makensis defines that force what Wine cannot show.
test_installer() {
    test_setup=$out/ruxa-$version-setup-$1-$current.exe
    shift
    case $current in amd64) stub=amd64 ;; *) stub=x86 ;; esac
    # Signed like the others, so that the shipped modules stay the same.
    RUXA_SIGN_CERT="$ca/chain.pem" RUXA_SIGN_KEY="$ca/signer.key" RUXA_NSIS_DEFINES="$*" \
        sh tools/release.sh installer $stub "$test_setup" >/dev/null ||
        expect "building the test installer ($*) failed" false
}

# Cases that do not depend on the variant run on the first one only.
first_variant() { [ "$current" = "${variants%% *}" ]; }

# --- the cases ---------------------------------------------------------------

for current in $variants; do
    variant "$current"
    if [ ! -f "$pristine/system.reg" ]; then
        echo "installer: creating the pristine $winearch prefix (once)"
        export WINEARCH=$winearch
        wine_environment "$pristine"
        make_prefix installer
        "$WINESERVER" -k >/dev/null 2>&1
        "$WINESERVER" -w >/dev/null 2>&1
        unset WINEARCH
    fi

    begin "a silent install puts the module, the current saver and the uninstall entry in place"
    expect "the installer did not end with 0" run_setup "$installer"
    expect "$ruxa_file is not the module that fits" installed
    expect "more than one RUXA.SCR on the drive" equals "$(files_named RUXA.SCR)" 1
    expect "no uninstaller in Program Files" [ -f "$(uninstaller_file)" ]
    expect "$current_saver is not $ruxa_file" equals "$(value "$desktop" "$current_saver")" "$ruxa_file"
    expect "ScreenSaveActive is not 1" equals "$(value "$desktop" ScreenSaveActive)" 1
    expect "DisplayName" equals "$(value "$uninstall_key" DisplayName)" "Ruxa Screen Saver"
    expect "DisplayVersion" equals "$(value "$uninstall_key" DisplayVersion)" "$version"
    expect "Publisher" equals "$(value "$uninstall_key" Publisher)" "the Ruxa crew"
    expect "DisplayIcon" equals "$(value "$uninstall_key" DisplayIcon)" "$ruxa_file,0"
    expect "UninstallString" equals "$(value "$uninstall_key" UninstallString)" "\"$uninstaller\""
    expect "QuietUninstallString" equals "$(value "$uninstall_key" QuietUninstallString)" \
        "\"$uninstaller\" /S _?=C:\\Program Files\\Ruxa"
    size_kb=$(( ($(stat -c %s "$module") + $(stat -c %s "$(uninstaller_file)")) / 1024 ))
    estimated=$(printf '%d' "$(value "$uninstall_key" EstimatedSize)" 2>/dev/null)
    expect "EstimatedSize is ${estimated:-missing} KB, not about $size_kb" \
        within "$estimated" $((size_kb - 2)) $((size_kb + 2))
    expect "NoModify" equals "$(value "$uninstall_key" NoModify)" 0x1
    expect "NoRepair" equals "$(value "$uninstall_key" NoRepair)" 0x1
    if [ "$winearch" = win64 ]; then
        expect "the entry is in the 32-bit registry view" \
            no_key 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Ruxa'
    fi
    expect "Wine's list of installed programs does not show Ruxa once" equals "$(listed)" 1
    end

    begin "the installed module runs as the system starts it: /s until a key, /c the dialog"
    run_setup "$installer"
    saver=$(value "$desktop" "$current_saver")
    expect "no current saver after the install" [ -n "$saver" ]
    runs_until_key "$saver"
    timeout $limit "$wine" "$saver" /c >/dev/null 2>&1 &
    started=$!
    expect "/c showed no \"Ruxa Screen Saver\" dialog" shows_window '#32770' "Ruxa Screen Saver" close
    wait $started
    code=$?
    expect "the dialog ended with exit code $code when closed, not 0" equals $code 0
    end

    begin "installing over an older and over the same version leaves one module and one entry"
    expect "the older installer did not end with 0" run_setup "$old_installer"
    expect "the older version is not listed" equals "$(value "$uninstall_key" DisplayVersion)" "$older"
    expect "the upgrade did not end with 0" run_setup "$installer"
    expect "installing the same version again did not end with 0" run_setup "$installer"
    expect "$ruxa_file is not the module that fits" installed
    expect "more than one RUXA.SCR on the drive" equals "$(files_named RUXA.SCR)" 1
    expect "more than one uninstaller on the drive" equals "$(files_named uninstall.exe)" 1
    expect "DisplayVersion is not $version" equals "$(value "$uninstall_key" DisplayVersion)" "$version"
    entries=$("$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
        tr -d '\r' | grep -c '^ *DisplayName *REG_SZ *Ruxa Screen Saver$')
    expect "$entries uninstall keys name Ruxa, not 1" equals "$entries" 1
    expect "Wine's list of installed programs does not show Ruxa once" equals "$(listed)" 1
    end

    begin "a silent uninstall removes everything, clears Ruxa as the saver and keeps the colour and the lock on resume"
    run_setup "$installer"
    store_colour
    # The logon screen's settings (another profile, loaded) lock on resume;
    # the user's do not.
    add_blank_saver
    "$wine" reg add "$desktop" /v ScreenSaverIsSecure /d 0 /f >/dev/null 2>&1
    "$wine" reg add "$default_desktop" /v "$current_saver" /d "$ruxa_file" /f >/dev/null 2>&1
    "$wine" reg add "$default_desktop" /v ScreenSaverIsSecure /d 1 /f >/dev/null 2>&1
    expect "the uninstall did not end with 0" run_uninstall
    expect "the locking .DEFAULT profile's saver is not the Blank saver" \
        equals "$(value "$default_desktop" "$current_saver")" "$blank_saver"
    expect "the module is still in the system folder" missing "$drive_c/windows/system32/RUXA.SCR"
    expect "no RUXA.SCR may be left on the drive" equals "$(files_named RUXA.SCR)" 0
    expect "the uninstaller is still there" missing "$(uninstaller_file)"
    expect "the install folder is still there" missing "$drive_c/Program Files/Ruxa"
    expect "the uninstall key is still there" no_key "$uninstall_key"
    expect "Wine's list of installed programs still shows Ruxa" equals "$(listed)" 0
    expect "$current_saver still names Ruxa" no_value "$desktop" "$current_saver"
    expect "the colour under $colour_key is gone" colour_kept
    end

    begin "an uninstall keeps a saver picked since, and a second run does no harm"
    run_setup "$installer"
    store_colour
    other='C:\windows\system32\other.scr'
    "$wine" reg add "$desktop" /v "$current_saver" /d "$other" /f >/dev/null 2>&1
    cp "$(uninstaller_file)" "$drive_c/uninstall-copy.exe"
    expect "the uninstall did not end with 0" run_uninstall
    expect "$current_saver no longer names the other saver" equals "$(value "$desktop" "$current_saver")" "$other"
    expect "the module is still in the system folder" missing "$drive_c/windows/system32/RUXA.SCR"
    expect "the uninstall key is still there" no_key "$uninstall_key"
    # The same uninstaller again, in place, with everything already gone.
    timeout $limit "$wine" 'C:\uninstall-copy.exe' /S '_?=C:\Program Files\Ruxa' >/dev/null 2>&1
    code=$?
    expect "the second run ended with exit code $code, not 0" equals $code 0
    expect "$current_saver no longer names the other saver after the second run" \
        equals "$(value "$desktop" "$current_saver")" "$other"
    expect "ScreenSaveActive changed" equals "$(value "$desktop" ScreenSaveActive)" 1
    expect "the colour under $colour_key is gone" colour_kept
    expect "the second run left an uninstall key" no_key "$uninstall_key"
    expect "the second run left a module" equals "$(files_named RUXA.SCR)" 0
    end

    begin "/CurrentUser installs into the user's profile only, runs, and its uninstall removes it"
    expect "the installer did not end with 0" run_setup "$installer" /CurrentUser
    place=$(value "$user_key" InstallLocation)
    expect "the HKCU entry's folder is '$place', not the user's programs" \
        equals "$place" "$(user_programs)\Ruxa"
    expect "no module in the user's folder that fits" cmp -s "$module" "$(unix_path "$place\RUXA.SCR")"
    expect "more than one RUXA.SCR on the drive" equals "$(files_named RUXA.SCR)" 1
    expect "a module in the system folder" missing "$drive_c/windows/system32/RUXA.SCR"
    expect "an HKLM entry" no_key "$uninstall_key"
    expect "an HKLM entry in the 32-bit view" \
        no_key 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Ruxa'
    expect "DisplayName" equals "$(value "$user_key" DisplayName)" "Ruxa Screen Saver"
    expect "UninstallString" equals "$(value "$user_key" UninstallString)" "\"$place\uninstall.exe\""
    saver=$(value "$desktop" "$current_saver")
    expect "$current_saver '$saver' is not a full path to the installed module" \
        cmp -s "$module" "$(unix_path "$saver")"
    case $saver in [A-Z]:\\*) ;; *) problems="$problems
    $current_saver '$saver' is not fully qualified" ;; esac
    expect "Wine's list of installed programs does not show Ruxa once" equals "$(listed)" 1
    [ -n "$saver" ] && runs_until_key "$saver"
    store_colour
    # Locks on resume, but this system has no Blank saver to keep the lock.
    "$wine" reg add "$desktop" /v ScreenSaverIsSecure /d 1 /f >/dev/null 2>&1
    expect "the uninstall did not end with 0" run_uninstall "$user_key"
    expect "a RUXA.SCR is left on the drive" equals "$(files_named RUXA.SCR)" 0
    expect "the user's Ruxa folder is still there" missing "$(unix_path "$place")"
    expect "the HKCU entry is still there" no_key "$user_key"
    expect "$current_saver still names Ruxa" no_value "$desktop" "$current_saver"
    expect "Wine's list of installed programs still shows Ruxa" equals "$(listed)" 0
    expect "the colour under $colour_key is gone" colour_kept
    end

    begin "an upgrade goes to the recorded folder, unless /D= asks for another"
    run_setup "$old_installer" '/D=C:\Ruxa-old'
    expect "the upgrade did not end with 0" run_setup "$installer"
    expect "an upgrade without /D= left the recorded folder" \
        equals "$(value "$uninstall_key" InstallLocation)" 'C:\Ruxa-old'
    expect "the upgrade with /D= did not end with 0" run_setup "$installer" '/D=C:\Ruxa-new'
    expect "the upgrade with /D= went to '$(value "$uninstall_key" InstallLocation)', not C:\Ruxa-new" \
        equals "$(value "$uninstall_key" InstallLocation)" 'C:\Ruxa-new'
    expect "UninstallString" equals "$(value "$uninstall_key" UninstallString)" '"C:\Ruxa-new\uninstall.exe"'
    expect "no uninstaller in C:\Ruxa-new" [ -f "$drive_c/Ruxa-new/uninstall.exe" ]
    expect "more than one uninstaller on the drive" equals "$(files_named uninstall.exe)" 1
    expect "$ruxa_file is not the module that fits" installed
    end

    begin "removing for all users keeps the lock of an account not signed in, and skips a profile it cannot load"
    test_installer pause-in-profile -DTEST_PAUSE_IN_PROFILE
    run_setup "$test_setup"
    add_blank_saver
    # Two more accounts in the system's list of profiles, neither signed in:
    # one locks on resume with Ruxa as its saver, in a hive file made here
    # (in Wine's format, which is what Wine loads), the other's hive is
    # damaged.
    profiles='HKLM\Software\Microsoft\Windows NT\CurrentVersion\ProfileList'
    mkdir -p "$drive_c/users/signed-out" "$drive_c/users/damaged"
    printf '%s\n' 'WINE REGISTRY Version 2' '' '[Control Panel\\Desktop] 0' \
        '"SCRNSAVE.EXE"="C:\\windows\\system32\\RUXA.SCR"' '"ScreenSaverIsSecure"="1"' \
        >"$drive_c/users/signed-out/NTUSER.DAT"
    echo "not a hive" >"$drive_c/users/damaged/NTUSER.DAT"
    for account in signed-out:1001 damaged:1002; do
        "$wine" reg add "$profiles\\S-1-5-21-7-7-7-${account#*:}" /v ProfileImagePath /t REG_EXPAND_SZ \
            /d "%SystemDrive%\\users\\${account%:*}" /f >/dev/null 2>&1
    done
    uninstall_code >"$drive_c/uninstall.code" &
    uninstalling=$!
    # The test build stops while the signed-out account's hive is loaded.
    hive='HKU\Ruxa removal S-1-5-21-7-7-7-1001'
    loaded="$hive\\Control Panel\\Desktop"
    expect "the uninstaller did not load the signed-out account's hive" \
        shows_window '#32770' "Ruxa Screen Saver Uninstall"
    expect "the signed-out account's saver is '$(value "$loaded" "$current_saver")', not the Blank saver" \
        equals "$(value "$loaded" "$current_saver")" "$blank_saver"
    shows_window '#32770' "Ruxa Screen Saver Uninstall" press 1
    wait $uninstalling
    expect "the uninstall ended with $(cat "$drive_c/uninstall.code"), not 0" equals "$(cat "$drive_c/uninstall.code")" 0
    # (Wine leaves an empty key where a damaged hive failed to load.)
    expect "the hive is still loaded" no_key "$hive"
    expect "the module is still in the system folder" missing "$drive_c/windows/system32/RUXA.SCR"
    end

    first_variant || continue

    begin "a running saver: the upgrade and the uninstall finish at the next restart and end with 3010"
    run_setup "$old_installer"
    # The running module differs from the new one, so the restart shows which is in place.
    printf x >>"$drive_c/windows/system32/RUXA.SCR"
    start_saver "$ruxa_file"
    code=$(exit_code "$installer" /S)
    expect "the upgrade under a running saver ended with $code, not 3010" equals "$code" 3010
    expect "the new version is not recorded" equals "$(value "$uninstall_key" DisplayVersion)" "$version"
    case $(pending) in *'RUXA.SCR.new\0!\??\C:\windows\system32\RUXA.SCR'*) ;; *) problems="$problems
    the new module does not wait to replace the running one: '$(pending)'" ;; esac
    stop_saver
    restart
    expect "after the restart $ruxa_file is not the new module" installed
    expect "after the restart RUXA.SCR.new is left" equals "$(files_named RUXA.SCR.new)" 0
    add_blank_saver
    "$wine" reg add "$desktop" /v ScreenSaverIsSecure /d 1 /f >/dev/null 2>&1
    start_saver "$ruxa_file"
    code=$(uninstall_code)
    expect "the uninstall under a running saver ended with $code, not 3010" equals "$code" 3010
    expect "the uninstall key is still there" no_key "$uninstall_key"
    expect "the locking user's saver is not the Blank saver" \
        equals "$(value "$desktop" "$current_saver")" "$blank_saver"
    case $(pending) in *'RUXA.SCR'*) ;; *) problems="$problems
    the running module's removal is not scheduled: '$(pending)'" ;; esac
    stop_saver
    restart
    expect "after the restart a RUXA.SCR is left" equals "$(files_named RUXA.SCR)" 0
    end

    begin "silent runs that cannot do what was asked end with its code and show no window"
    test_installer user -DTEST_ACCOUNT_TYPE=User
    user_setup=$test_setup
    test_installer other-account -DTEST_OTHER_ACCOUNT
    other_setup=$test_setup
    code=$(exit_code "$user_setup" /S /AllUsers)
    expect "/AllUsers asked by a standard user ended with $code, not 740" equals "$code" 740
    code=$(exit_code "$other_setup" /S /CurrentUser)
    expect "/CurrentUser asked under another account ended with $code, not 1639" equals "$code" 1639
    expect "a refused install left a module" equals "$(files_named RUXA.SCR)" 0
    expect "a refused install left an entry" no_key "$uninstall_key"
    expect "a refused install left a per-user entry" no_key "$user_key"
    # A drive where no folder can be made (even by root): /proc.
    ln -s /proc "$prefix/dosdevices/r:"
    code=$(exit_code "$installer" /S /CurrentUser '/D=R:\Ruxa')
    expect "an install into a folder that cannot be written ended with $code, not 1603" equals "$code" 1603
    expect "an install that wrote no module left a per-user entry" no_key "$user_key"
    code=$(exit_code "$installer" /S '/D=R:\Ruxa')
    expect "an install whose uninstaller cannot be written ended with $code, not 1603" equals "$code" 1603
    expect "an install without an uninstaller left an entry" no_key "$uninstall_key"
    # Under another account the install is for all users, and the current
    # saver, the desktop user's setting, stays.
    code=$(exit_code "$other_setup" /S)
    expect "an install under another account ended with $code, not 0" equals "$code" 0
    expect "under another account $ruxa_file is not the module that fits" installed
    expect "under another account the entry is not for all users" has_key "$uninstall_key"
    expect "under another account $current_saver was set" no_value "$desktop" "$current_saver"
    # The forced account type is the installer's own checks' alone:
    # MultiUser still sees an administrator and installs for all users.
    run_setup "$user_setup"
    code=$(uninstall_code)
    expect "removing an all-users install as a standard user ended with $code, not 740" equals "$code" 740
    expect "a refused uninstall removed the entry" has_key "$uninstall_key"
    expect "a refused uninstall removed the module" installed
    end

    begin "interactively under another account, with the settings dialog open: no \"just for me\", saying why, and a restart completes the upgrade"
    run_setup "$installer"
    timeout $limit "$wine" "$ruxa_file" /c >/dev/null 2>&1 &
    expect "/c showed no dialog" shows_window '#32770' "Ruxa Screen Saver"
    timeout $limit "$wine" "$other_setup" >/dev/null 2>&1 &
    # Next on the welcome page, "I Agree" on the licence.  Past the welcome
    # page, the window's title ends with a blank.
    expect "no welcome page" shows_window '#32770' "Ruxa Screen Saver Setup" press 1
    setup_window="Ruxa Screen Saver Setup "
    expect "no licence page" shows_window '#32770' "$setup_window" press 1
    control() { timeout $limit "$wine" "$probe" '#32770' "$setup_window" control "$1" 2>/dev/null | tr -d '\r'; }
    expect "\"Install just for me\" is $(control "Install just for me"), not disabled and unchecked" \
        equals "$(control "Install just for me")" "disabled unchecked"
    expect "\"Install for anyone\" is $(control "Install for anyone"), not enabled and checked" \
        equals "$(control "Install for anyone")" "enabled checked"
    expect "the Choose Users page does not say why" shows_window '#32770' "$setup_window" control "Setup runs under another account"
    # Next on Choose Users, Install on the components.
    expect "no Choose Users page" shows_window '#32770' "$setup_window" press 1
    expect "no components page" shows_window '#32770' "$setup_window" press 1
    expect "the finish page does not say that RUXA.SCR is in use and a restart completes the upgrade" \
        shows_window '#32770' "$setup_window" control "Ruxa's RUXA.SCR is in use"
    end

    begin "Windows on ARM64 gets the ARM64 module, in the native system folder or the profile, also over a running module of an earlier release (3010)"
    # Earlier releases installed the i386 module there, as this installer
    # does on an i386 processor (the x86-64 one where the i386 one cannot
    # run here).
    case $current in amd64) earlier=34404 ;; *) earlier=332 ;; esac
    test_installer earlier -DTEST_NATIVE_MACHINE=$earlier
    run_setup "$test_setup"
    test_installer arm64 -DTEST_NATIVE_MACHINE=43620
    start_saver "$ruxa_file"
    code=$(exit_code "$test_setup" /S)
    expect "the upgrade under a running saver ended with $code, not 3010" equals "$code" 3010
    stop_saver
    restart
    arm64_installed() { cmp -s "$shipped/arm64/RUXA.SCR" "$(unix_path "$1")"; }
    expect "$ruxa_file is not the ARM64 module" arm64_installed "$ruxa_file"
    expect "more than one RUXA.SCR on the drive" equals "$(files_named RUXA.SCR)" 1
    expect "/CurrentUser did not end with 0" run_setup "$test_setup" /CurrentUser
    expect "no ARM64 module in the user's folder" arm64_installed "$(value "$user_key" InstallLocation)\RUXA.SCR"
    end

    name="$current: the installer script loads every library it calls from the system folder"
    checked=$(sh tests/installer/check_system_calls.sh 2>&1) || problems="
$checked"
    end
done

# --- the release, rebuilt ------------------------------------------------------

release_failed=$failed
not() { ! "$@"; }
# Two clean clones of this commit, in folders of different names and built
# at different times, each with its own build trees, give the same bytes.
name="release: two clean clones of HEAD build byte-identical modules and dist/, unsigned without a key"
problems=
clones=$root/build/reproducible
rm -rf "$clones"
mkdir -p "$clones"
for clone in one second-clone; do
    git clone -q --no-hardlinks "$root" "$clones/$clone" &&
        git -C "$clones/$clone" checkout -q --detach "$(git rev-parse HEAD)" &&
        make -s -C "$clones/$clone" release >"$clones/$clone.log" 2>&1 ||
        expect "make release in the clone '$clone' failed (see $clones/$clone.log)" false
done
for file in $(cd "$clones/one" && ls dist/* build/windows/RUXA.SCR build/windows64/RUXA.SCR 2>/dev/null); do
    expect "$file differs between the two builds" cmp -s "$clones/one/$file" "$clones/second-clone/$file"
done
expect "the two dist/ folders list different files" \
    equals "$(ls "$clones/one/dist")" "$(ls "$clones/second-clone/dist" 2>/dev/null)"
expect "no source tarball in dist/" [ -f "$clones/one/dist/ruxa-$version-src.tar.gz" ]
expect "dist/ holds signatures or a manifest without a key" \
    equals "$(cd "$clones/one/dist" && ls -d ./*.sig winget 2>/dev/null)" ""
end

# Clone one again, now signed, with the throwaway authority's PKCS#12 key and
# its password file, and with an address to publish at.
one=$clones/one
dist=$one/dist
url=https://example.org/ruxa/$version
name="release: signed, osslsigncode verifies the installers and the modules they and the zip carry; no secret in dist/"
problems=
(cd "$one" && RUXA_SIGN_KEY=$ca/signer.p12 RUXA_SIGN_PASS_FILE=$ca/password RUXA_RELEASE_URL=$url make -s release) \
    >"$clones/signed.log" 2>&1 || expect "the signed make release failed (see $clones/signed.log)" false
signed() { osslsigncode verify -CAfile "$ca/ca.pem" -in "$1" >/dev/null 2>&1; }
python3 -m zipfile -e "$dist/ruxa-$version.zip" "$clones/zip"
for file in "$dist/ruxa-$version-setup.exe" "$clones/zip/"*/RUXA.SCR "$shipped/"*/RUXA.SCR "$out/ruxa-$version-setup"*.exe; do
    expect "osslsigncode does not verify ${file#"$root/"} with the test authority" signed "$file"
done
expect "SHA256SUMS does not list the five signatures, or does not check" sh -c \
    'cd "$1" && [ "$(grep -c " ruxa-$2-.*\.sig\$" SHA256SUMS)" = 5 ] && sha256sum --quiet -c SHA256SUMS' - "$dist" "$version"
sed -n 2p "$ca/signer.key" >"$ca/key-line"
for secret in password key-line; do
    expect "dist/ or the log holds the $secret" not grep -rqF -f "$ca/$secret" "$dist" "$clones/signed.log"
done
end

name="release: the winget manifest parses, keeps winget's schema and names the signed release's version, date, installer and hash"
problems=
# Debian's interpreter, where the bootstrap's python3-yaml and python3-jsonschema
# are: another python3 may stand first on PATH.
manifest=$(/usr/bin/python3 - "$dist/winget" "$root/tests/installer/winget-schemas" <<'EOF' 2>&1
import json, jsonschema, sys, yaml
version, installer, locale = (yaml.safe_load(open(sys.argv[1] + "/Ruxa.Ruxa" + name))
                              for name in (".yaml", ".installer.yaml", ".locale.en-US.yaml"))
for manifest, kind in ((version, "version"), (installer, "installer"), (locale, "defaultLocale")):
    assert (manifest["ManifestType"], manifest["PackageIdentifier"], manifest["PackageVersion"]) == \
        (kind, "Ruxa.Ruxa", version["PackageVersion"]), kind
print("\n".join(f"{key} {value}" for key, value in dict(version=version["PackageVersion"], date=installer["ReleaseDate"],
      type=installer["InstallerType"], code=installer["ProductCode"], name=locale["PackageName"],
      publisher=locale["Publisher"]).items()))
print("returns", " ".join(f"{code['InstallerReturnCode']}:{code['ReturnResponse']}"
                          for code in installer["ExpectedReturnCodes"]))
for entry in installer["Installers"]:
    print("installer", entry["Scope"], entry["InstallerSha256"].lower(), entry["InstallerUrl"],
          entry["InstallerSwitches"]["Silent"], entry["InstallerSwitches"].get("Custom", ""))
    print("entry", entry["Architecture"], entry["Scope"], entry.get("ElevationRequirement", "-"))
# winget's own schema (as winget publishes it) for the version each file declares.
for manifest in version, installer, locale:
    kind, release = manifest["ManifestType"], manifest["ManifestVersion"]
    schema = json.load(open(f"{sys.argv[2]}/v{release}/manifest.{kind}.{release}.json"))
    for error in jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker()).iter_errors(manifest):
        print("invalid", kind, "/".join(map(str, error.absolute_path)) + ":", error.message)
EOF
)
expect "the manifest does not parse: $manifest" [ $? -eq 0 ]
field() { printf '%s\n' "$manifest" | sed -n "s/^$1 //p"; }
expect "PackageVersion '$(field version)' is not $version" equals "$(field version)" "$version"
expect "ReleaseDate '$(field date)' is not the commit's" \
    equals "$(field date)" "$(date -u -d "@$(git log -1 --format=%ct)" +%Y-%m-%d)"
expect "InstallerType is not nullsoft" equals "$(field type)" nullsoft
# The codes that the cases above saw the installer end with.
expect "ExpectedReturnCodes are '$(field returns)'" \
    equals "$(field returns)" "3010:rebootRequiredToFinish 32:packageInUse 1639:invalidParameter"
expect "the manifest breaks winget's schema: $(field invalid)" equals "$(field invalid)" ""
expect "the installers are not x86, x64 and arm64 each for user and machine, machine needing elevation: $(field entry)" \
    equals "$(field entry | sort | tr '\n' ' ')" "$(printf '%s user -\n%s machine elevationRequired\n' \
        arm64 arm64 x64 x64 x86 x86 | sort | tr '\n' ' ')"
setup_hash=$(sha256sum "$dist/ruxa-$version-setup.exe" | cut -d ' ' -f 1)
expect "an installer entry's hash or address is not the setup's" \
    equals "$(field installer | cut -d ' ' -f 2,3 | sort -u)" "$setup_hash $url/ruxa-$version-setup.exe"
end

# Each scope's install, run with exactly the manifest's silent switches,
# leaves the entry where winget looks for ProductCode.  The shipped signed
# installer where this machine runs 32-bit code, else the x86-64 stub's.
if can_run_i386; then current=x86-on-64; else current=amd64; fi
variant $current
[ "$current" = amd64 ] || installer=$dist/ruxa-$version-setup.exe
code=$(field code)
for scope in $(field installer | cut -d ' ' -f 1 | sort -u); do
    switches=$(field installer | sed -n "s/^$scope [^ ]* [^ ]* //p" | sort -u)
    case $scope in user) hive=HKCU other=HKLM ;; *) hive=HKLM other=HKCU ;; esac
    begin "winget's $scope scope: '$switches' writes the uninstall entry ProductCode names, in $hive"
    # shellcheck disable=SC2086
    timeout $limit "$wine" "$installer" $switches >/dev/null 2>&1
    expect "the installer ended with exit code $?, not 0" [ $? -eq 0 ]
    entry="$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code"
    expect "no uninstall entry $entry naming the manifest's PackageName" \
        equals "$(value "$entry" DisplayName)" "$(field name)"
    expect "the entry's DisplayVersion is not the manifest's" equals "$(value "$entry" DisplayVersion)" "$(field version)"
    expect "the entry's Publisher is not the manifest's" equals "$(value "$entry" Publisher)" "$(field publisher)"
    expect "an entry in $other as well" no_key "$other\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code"
    expect "the uninstaller it wrote is not signed" signed "$(unix_path "$(value "$entry" InstallLocation)\\uninstall.exe")"
    end
done

# make verify-release, run in the second clone, on what clone one published.
verify() { make -s -C "$clones/second-clone" verify-release DIST="$1" >"$clones/verify.log" 2>&1; }
said() { grep -q "^  $1  *$2" "$clones/verify.log"; }

name="verify-release: a second clean clone rebuilds the signed release, identical file by file"
problems=
verify "$dist"
expect "verify-release ended with $?, not 0 (see $clones/verify.log)" [ $? -eq 0 ]
for file in $(cd "$dist" && find . -type f | sed 's|^\./||'); do
    expect "$file is not reported identical" said "$file" identical
done
end

name="verify-release: with one source byte changed, it names the modules that differ and fails"
problems=
changed=$clones/changed
cp -r "$dist" "$changed"
two=$clones/second-clone
git -C "$two" checkout -q -b changed &&
    sed -i '0,/"Ruxa Screen Saver"/s//"Ruxa Screen Savex"/' "$two/resources/ruxa.rc" &&
    GIT_COMMITTER_DATE="$(git log -1 --format=%ct) +0000" git -C "$two" -c user.name=test -c user.email=test@example.org \
        commit -q -a -m "one byte" &&
    git -C "$two" archive --format=tar --prefix="ruxa-$version/" HEAD | gzip -9n >"$changed/ruxa-$version-src.tar.gz" ||
    expect "changing one byte of the sources failed" false
verify "$changed"
expect "verify-release ended with 0" [ $? -ne 0 ]
for module in x86/RUXA.SCR x64/RUXA.SCR arm64/RUXA.SCR; do
    expect "the zip's $module is not reported as differing" said "ruxa-$version.zip: $module" differs
done
expect "the source tarball is not reported identical" said "ruxa-$version-src.tar.gz" identical
end

name="verify-release: with a signature file swapped for another's, it fails"
problems=
swapped=$clones/swapped
cp -r "$dist" "$swapped"
cp "$dist/ruxa-$version-x64-RUXA.SCR.sig" "$swapped/ruxa-$version-x86-RUXA.SCR.sig"
verify "$swapped"
expect "verify-release ended with 0" [ $? -ne 0 ]
expect "the zip's x86/RUXA.SCR is not reported as differing" said "ruxa-$version.zip: x86/RUXA.SCR" differs
expect "the installer is not reported as differing" said "ruxa-$version-setup.exe" differs
end

[ "$failed" -ne "$release_failed" ] || rm -rf "$clones"

echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
