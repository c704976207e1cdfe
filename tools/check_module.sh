#!/bin/sh
# Checks a built module's file: a GUI program for its processor (a PE32 for
# i386, or a PE32+ for x86-64) that imports only Windows system libraries and
# exports the saver's two procedures under their plain names.
#
#   sh tools/check_module.sh [MODULE [i386|x86-64]]
#
# By default the shipped i386 module, build/windows/RUXA.SCR.
set -u
module=${1:-build/windows/RUXA.SCR}
machine=${2:-i386}
case $machine in
    i386)   objdump=i686-w64-mingw32-objdump;   format=pei-i386;   kind="PE32 i386" ;;
    x86-64) objdump=x86_64-w64-mingw32-objdump; format=pei-x86-64; kind="PE32+ x86-64" ;;
    *) echo "check_module: unknown processor '$machine' (i386 or x86-64)"; exit 2 ;;
esac
ok=0
fail() { echo "check_module: $*"; ok=1; }

[ -f "$module" ] || { echo "check_module: $module is missing"; exit 1; }
headers=$($objdump -p "$module")

echo "$headers" | grep -q "file format $format\$" || fail "$module is not a $kind module"
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+00000002' || fail "not a GUI (windows) subsystem module"

imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for dll in $imports; do
    case $dll in
        kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|msvcrt.dll) ;;
        *) fail "imports $dll, which is not a Windows system library" ;;
    esac
done

# Functions that the oldest systems lack are looked up at run time: imported
# by name, they would stop the module from loading there at all.
for entry in EnumDisplayMonitors GetMonitorInfoA GetMonitorInfoW MonitorFromWindow MonitorFromPoint \
    SetProcessDPIAware SetProcessDpiAwareness SetProcessDpiAwarenessContext; do
    echo "$headers" | grep -Eq "^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+$entry\$" &&
        fail "imports $entry, which older systems lack"
done

# The export table lists each name as "[ordinal] name" after its header line.
exports=$(echo "$headers" | sed -n '/Ordinal\/Name Pointer/,/^$/p' | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort)
[ "$exports" = "$(printf 'ScreenSaverConfigureDialog\nScreenSaverProc')" ] ||
    fail "exports are '$(echo $exports)', not exactly ScreenSaverConfigureDialog and ScreenSaverProc"

# Only what the module runs: the in-memory stand-ins of the tools and tests
# stay out.  The symbol table must be readable (it names the drive's step)
# for their absence to mean anything.
symbols=$(${objdump%objdump}nm -C "$module" 2>/dev/null)
echo "$symbols" | grep -q ' StepDrive(' || fail "the symbol table cannot be read"
for name in FloodFillSurface PaintVehiclePicture CopyRect MakeSurface DrawDriveFrameOnSurfaces; do
    echo "$symbols" | grep -q " $name(" && fail "carries $name, which only the tools and tests use"
done

[ $ok -eq 0 ] && echo "check_module: $module is a $kind GUI module; imports: $(echo $imports); exports: $(echo $exports)"
exit $ok
