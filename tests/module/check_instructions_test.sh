#!/bin/sh
# The instruction check on small modules of known content: it names each
# instruction that the oldest processors lack, with its function and count,
# and passes code they all run.  Prints "instructions: N passed, N failed".
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# case NAME MACHINE EXPECTED SOURCE: links SOURCE (assembly whose entry is
# Start) into a module and runs the check on it; EXPECTED is its exact
# output, empty for a module that must pass.
case_() {
    name=$1 machine=$2 expected=$3
    case $machine in
        i386) gcc=i686-w64-mingw32-gcc entry=_Start ;;
        x86-64) gcc=x86_64-w64-mingw32-gcc entry=Start ;;
        arm64) gcc="clang-14 --target=aarch64-w64-mingw32 -fuse-ld=lld -march=armv8.5-a+crc+sve+fp16" entry=Start ;;
    esac
    printf '%s\n' "$4" >"$work/m.s"
    # shellcheck disable=SC2086
    if ! $gcc -nostdlib -Wl,--entry=$entry -o "$work/m.exe" "$work/m.s" 2>"$work/log"; then
        echo "FAIL  $name: the module did not link: $(cat "$work/log")"; failed=$((failed + 1)); return
    fi
    output=$(sh "$root/tools/check_instructions.sh" "$work/m.exe" "$machine")
    code=$?
    want=0
    [ -n "$expected" ] && want=1
    if [ "$output" = "$expected" ] && [ $code -eq $want ]; then
        echo "ok    $name"; passed=$((passed + 1))
    else
        echo "FAIL  $name: exit $code, said:"; echo "$output" | sed 's/^/    /'; failed=$((failed + 1))
    fi
}

case_ "i386: conditional moves, Pentium and 486 additions, MMX and SSE registers are named by function" i386 \
"MMX register in Media (1)
SSE register in Media (1)
bswap in Start (1)
cmov in Start (2)
cmpxchg8b in Start (1)" '
.globl _Start
_Start: cmovl %eax, %ebx
        cmovge (%ecx), %edx
        lock cmpxchg8b (%esi)
        bswap %eax
        ret
_Media: movq %mm0, (%eax)
        addps %xmm1, %xmm0
        ret'
case_ "i386: code that a 386 runs passes" i386 "" '
.globl _Start
_Start: imul %ebx, %eax
        shrd $3, %edx, %eax
        fldl (%eax)
        rep stosl
        ret'
case_ "x86-64: SSSE3, POPCNT and AVX are named, SSE2 passes" x86-64 \
"AVX (VEX) vpaddd in Wide (1)
AVX register in Wide (1)
popcnt in Start (1)
pshufb in Start (1)" '
.globl Start
Start:  movdqa %xmm0, %xmm1
        paddd %xmm1, %xmm0
        pshufb %xmm1, %xmm0
        popcnt %rax, %rbx
        ret
Wide:   vpaddd %xmm1, %xmm2, %xmm3
        vmovdqa %ymm0, %ymm1
        ret'

case_ "arm64: large-system atomics, CRC32, half precision and SVE are named by function; ARMv8.0 and its hints pass" \
arm64 \
"FP16 fadd in Wide (1)
SVE add in Wide (1)
casal in Start (1)
crc32b in Start (1)
ldaddal in Start (2)" '
.globl Start
Start:  ldaxr x0, [x1]
        casal x0, x1, [x2]
        stlxr w3, x0, [x1]
        ldaddal w0, w1, [x2]
        ldaddal w0, w1, [x3]
        crc32b w0, w1, w2
        paciasp
        ret
Wide:   fadd s0, s1, s2
        fadd h0, h1, h2
        add v0.4h, v1.4h, v2.4h
        add z0.s, z1.s, z2.s
        ret'

echo "instructions: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
