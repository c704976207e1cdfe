#!/bin/sh
# Checks a built module's file: a GUI program for its processor (a PE32 for
# i386, a PE32+ for x86-64 or ARM64) of the subsystem version its oldest
# Windows accepts, small, stripped, with its version resource, that imports
# only what that Windows exports (the list in tools/module_imports.txt),
# exports the saver's two procedures under their plain names, and holds only
# instructions that the processors of that Windows execute
# (tools/check_instructions.sh).
#
#   sh tools/check_module.sh [MODULE [i386|x86-64|arm64]]
#
# By default the shipped i386 module, build/windows/RUXA.SCR.  The module is
# stripped; its symbols are read from MODULE.debug beside it.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
module=${1:-build/windows/RUXA.SCR}
machine=${2:-i386}
case $machine in
    i386)   objdump=i686-w64-mingw32-objdump;   format=pei-i386;   kind="PE32 i386"
            subsystem=4.0; oldest_name="Windows 95" ;;
    x86-64) objdump=x86_64-w64-mingw32-objdump; format=pei-x86-64; kind="PE32+ x86-64"
            subsystem=5.2; oldest_name="Windows XP x64" ;;
    # Binutils reads no ARM64 module; LLVM's tools do, in their own layout.
    arm64)  objdump=llvm-objdump-14; format=coff-arm64; kind="PE32+ ARM64"
            subsystem=6.2; oldest_name="ARM64 Windows 10" ;;
    *) echo "check_module: unknown processor '$machine' (i386, x86-64 or arm64)"; exit 2 ;;
esac
nm=${objdump%objdump}nm
[ "$machine" = arm64 ] && nm=llvm-nm-14
max_bytes=49152
ok=0
fail() { echo "check_module: $*"; ok=1; }

[ -f "$module" ] || { echo "check_module: $module is missing"; exit 1; }
headers=$($objdump -p "$module")

echo "$headers" | grep -q "file format $format\$" || fail "$module is not a $kind module"
[ "$machine" != arm64 ] || echo "$headers" | grep -Eq '^Magic[[:space:]]+020b' || fail "$module is not a PE32+ module"
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+00000002' || fail "not a GUI (windows) subsystem module"
version=$(echo "$headers" | awk '/^MajorSubsystemVersion/{major=$2} /^MinorSubsystemVersion/{minor=$2} END{print major "." minor}')
[ "$version" = "$subsystem" ] || fail "subsystem version $version, not $subsystem"
size=$(stat -c %s "$module")
[ "$size" -le $max_bytes ] || fail "$size bytes, more than $max_bytes"
# The COFF header's time stamp, 8 bytes into the header that the DOS
# header's offset at 0x3C points to.
word() { od -An -tu4 -j"$1" -N4 "$module" | tr -d ' '; }
stamp=$(word $(($(word 60) + 8)))
[ "$stamp" = 0 ] || fail "carries a link time stamp ($stamp)"
# Its symbols are kept beside it, in MODULE.debug.
[ "$(word $(($(word 60) + 12)))" = 0 ] || fail "carries a symbol table: it is not stripped"
# The version resource's key, in the UTF-16 that resources are written in.
LC_ALL=C grep -qa 'V.S._.V.E.R.S.I.O.N._.I.N.F.O' "$module" || fail "carries no version resource"

# Every import "LIBRARY function", looked up in the list: each must be there,
# with an oldest Windows that the module serves.
if [ "$machine" = arm64 ]; then
    imports=$(echo "$headers" | sed -n '/The Import Tables/,/Export Table/p' |
        awk '/DLL Name:/ { library = toupper($3) } /^ +[0-9]+  [A-Za-z_]/ { print library, $2 }' | sort -u)
else
    imports=$(echo "$headers" | sed -n '/The Import Tables/,/The Export Tables/p' |
        awk -F'\t' '/DLL Name:/ { split($2, name, ": "); library = toupper(name[2]) }
                    /^\t[0-9a-f]+\t/ { split($3, entry, " "); print library, entry[2] }' | sort -u)
fi
[ -n "$imports" ] || fail "the import table cannot be read"
late=$(echo "$imports" | awk -v machine="$machine" '
    FILENAME != "-" { if ($0 !~ /^#/ && NF >= 3) { key = $1 " " $2; $1 = $2 = ""; sub(/^ +/, ""); oldest[key] = $0 }
                      next }
    !($0 in oldest) { unlisted = unlisted $0 " (not listed)\n"; next }
    { w = oldest[$0]
      if (machine == "i386") served = w == "95"
      else if (machine == "x86-64") served = w ~ /^(95|98|NT 4|2000|XP|XP x64)$/
      else served = w ~ /^(95|98|NT 4|2000|XP|XP x64|Vista|7|8|8.1|10)$/
      if (!served) printf "%s (%s)\n", $0, w }
    END { printf "%s", unlisted }' "$root/tools/module_imports.txt" -)
[ -z "$late" ] ||
    fail "imports what $oldest_name lacks; look it up at run time (or, if it is there, list it in" \
        "tools/module_imports.txt with the oldest Windows that has it): $(echo "$late" | paste -sd, - | sed 's/,/, /g')"

# The export table lists each name as "[ordinal] name" after its header line
# (binutils), or as "ordinal address name" (LLVM).
if [ "$machine" = arm64 ]; then
    exports=$(echo "$headers" | sed -n '/^Export Table:/,/^$/p' |
        awk '/^ +[0-9]+ +0x[0-9a-f]+ +[A-Za-z_]/ { print $3 }' | sort)
else
    exports=$(echo "$headers" | sed -n '/Ordinal\/Name Pointer/,/^$/p' | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort)
fi
[ "$exports" = "$(printf 'ScreenSaverConfigureDialog\nScreenSaverProc')" ] ||
    fail "exports are '$(echo $exports)', not exactly ScreenSaverConfigureDialog and ScreenSaverProc"

# Only what the module runs: the in-memory stand-ins of the tools and tests
# stay out, and so does the C++ runtime.  The symbol table must be readable
# (it names the drive's step) for their absence to mean anything.
symbols=$($nm -C "$module.debug" 2>/dev/null)
echo "$symbols" | grep -q ' StepDrive(' || fail "the symbol table ($module.debug) cannot be read"
for name in FloodFillSurface PaintVehiclePicture CopyRect MakeSurface DrawDriveFrameOnSurfaces; do
    echo "$symbols" | grep -q " $name(" && fail "carries $name, which only the tools and tests use"
done
echo "$symbols" | grep -Eq ' (std::|__cxa_|__gxx_personality|operator new|operator delete)' &&
    fail "carries parts of the C++ runtime"
# The module starts at its own entry, without the C runtime's start-up code,
# so nothing would run a static constructor or a thread-local callback.
echo "$symbols" | grep -Eq ' (_GLOBAL__sub_I_|__dyn_tls_init|__mingw_TLScallback)' &&
    fail "carries a static constructor or thread-local start-up that nothing runs"

# Every instruction must run on the oldest processor of the module's oldest
# Windows: for i386 the 386 that Windows 95 runs on, for x86-64 the first
# x86-64 processors, which have SSE2 and nothing newer, for ARM64 ARMv8.0.
instructions=$(sh "$root/tools/check_instructions.sh" "$module.debug" "$machine") ||
    fail "instructions that $oldest_name's processors may lack: $(echo "$instructions" | paste -sd, - | sed 's/,/, /g')"

[ $ok -eq 0 ] && echo "check_module: $module is a $kind GUI module of $size bytes for $oldest_name on;" \
    "imports from $(echo "$imports" | awk '{print $1}' | sort -u | tr '\n' ' ')(all listed); exports: $(echo $exports)"
exit $ok
