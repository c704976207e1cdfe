#!/bin/sh
# Lists the instructions of a linked module (with its symbols) that the
# oldest processors its Windows runs on lack, by function, and fails when
# there is any.
#
#   sh tools/check_instructions.sh MODULE.debug i386|x86-64|arm64
#
# i386: Windows 95 runs on a 386, and the 9x family on every 486, Pentium
# and Pentium MMX, AMD K5/K6, Cyrix and WinChip: nothing newer than the
# 386 (none of the 486's additions, none of the Pentium Pro's conditional
# moves or floating-point compares into the flags, no MMX, SSE or AVX
# register).  x86-64: the first x86-64
# processors stop at SSE2 (no SSE3 and later, no AVX, no BMI, no
# POPCNT/LZCNT, no CMPXCHG16B).  arm64: every Windows-on-ARM processor runs
# ARMv8.0, and nothing later is assumed: none of ARMv8.1 and after (the
# large-system atomics, pointer authentication outside the hint space, ...),
# none of ARMv8.0's optional extensions (CRC32, cryptography), no SVE.  The
# disassembler, told of no extension, decodes exactly ARMv8.0; a word it
# cannot decode is named as it decodes with every extension.  The hints
# (pointer-authentication and branch-target hints among them) stay: ARMv8.0
# runs them as no-operations.
#
# Prints one line per function and kind, "kind in function (count)", and
# exits 1 when there is one; prints nothing and exits 0 otherwise.
set -u
module=$1
machine=${2:-i386}
case $machine in
    i386)   objdump=i686-w64-mingw32-objdump ;;
    x86-64) objdump=x86_64-w64-mingw32-objdump ;;
    arm64)  objdump=llvm-objdump-14 ;;
    *) echo "check_instructions: unknown processor '$machine' (i386, x86-64 or arm64)" >&2; exit 2 ;;
esac
[ -f "$module" ] || { echo "check_instructions: $module is missing" >&2; exit 2; }

if [ "$machine" = arm64 ]; then
    every=+v8.7a,+sve2,+sme,+crc,+aes,+sha2,+sha3,+sm4,+fullfp16,+fp16fml,+dotprod,+i8mm,+bf16,+mte,+ls64,+rand
    base=$($objdump -d --no-show-raw-insn -C "$module") &&
        named=$($objdump -d --no-show-raw-insn -C --mattr=$every "$module") ||
        { echo "check_instructions: $module cannot be disassembled" >&2; exit 2; }
    found=$(printf '%s\n@base\n%s\n' "$named" "$base" | awk '
        /^@base$/ { base = 1; next }
        /^[0-9a-f]+ <.*>:$/ { function_name = substr($0, index($0, "<") + 1); sub(/>:$/, "", function_name); sub(/^\(anonymous namespace\)::/, "", function_name); sub(/\(.*/, "", function_name); next }
        !/^ *[0-9a-f]+:[ \t]/ { next }
        { address = $1; n = split($0, field, "\t") }
        !base { mnemonic[address] = field[2]; operands[address] = field[3]; next }
        field[2] == "<unknown>" {
            kind = mnemonic[address]
            if (kind == "" || kind == "<unknown>") kind = "undecodable word"
            else if (operands[address] ~ /(^|[ {,])[zp][0-9]+[.\/]/) kind = "SVE " kind
            else if (kind ~ /^f/ && operands[address] ~ /(^|[ ,])h[0-9]+(,|$)|\.[48]h/) kind = "FP16 " kind
            count[kind " in " function_name]++
        }
        END { for (k in count) printf "%s (%d)\n", k, count[k] }' | LC_ALL=C sort)
    [ -z "$found" ] && exit 0
    echo "$found"
    exit 1
fi

listing=$($objdump -d --no-show-raw-insn -C "$module") ||
    { echo "check_instructions: $module cannot be disassembled" >&2; exit 2; }
found=$(echo "$listing" | awk -v machine="$machine" '
    BEGIN {
        # Beyond the 386 (i386) or beyond SSE2 (x86-64), by mnemonic.
        if (machine == "i386")
            split("bswap cmpxchg xadd invd wbinvd invlpg cpuid rsm " \
                  "fcomi fcomip fucomi fucomip cmpxchg8b rdtsc rdtscp rdpmc sysenter sysexit syscall sysret ud2", late)
        else
            split("addsubpd addsubps haddpd haddps hsubpd hsubps lddqu movddup movshdup movsldup fisttp fisttps fisttpl fisttpll monitor mwait " \
                  "pabsb pabsw pabsd palignr phaddw phaddd phaddsw phsubw phsubd phsubsw pmaddubsw pmulhrsw pshufb psignb psignw psignd " \
                  "blendpd blendps blendvpd blendvps dppd dpps extractps insertps movntdqa mpsadbw packusdw pblendvb pblendw pcmpeqq " \
                  "pextrb pextrd pextrq phminposuw pinsrb pinsrd pinsrq pmaxsb pmaxsd pmaxud pmaxuw pminsb pminsd pminud pminuw " \
                  "pmuldq pmulld ptest roundpd roundps roundsd roundss pcmpestri pcmpestrm pcmpistri pcmpistrm pcmpgtq crc32 popcnt " \
                  "lzcnt tzcnt andn bextr blsi blsmsk blsr bzhi mulx pdep pext rorx sarx shlx shrx movbe adcx adox cmpxchg16b " \
                  "rdrand rdseed xgetbv aesenc aesenclast aesdec aesdeclast aesimc aeskeygenassist pclmulqdq sha1rnds4 sha256rnds2", late)
        for (i in late) named[late[i]] = 1
    }
    /^[0-9a-f]+ <.*>:$/ { function_name = substr($0, index($0, "<") + 1); sub(/>:$/, "", function_name); sub(/^\(anonymous namespace\)::/, "", function_name); sub(/\(.*/, "", function_name); next }
    /^ *[0-9a-f]+:\t/ {
        n = split($0, field, "\t")
        text = field[n]
        # Prefixes first, then the mnemonic.
        while (text ~ /^(lock|rep|repz|repnz|repe|repne|data16|data32|addr16|addr32|notrack|bnd|ds|cs|ss|es|fs|gs) /)
            sub(/^[a-z0-9]+ +/, "", text)
        mnemonic = text
        sub(/[ \t].*/, "", mnemonic)
        kind = ""
        if (machine == "i386" && mnemonic ~ /^f?cmov/) kind = substr(mnemonic, 1, index(mnemonic, "cmov") + 3)
        else if (mnemonic in named) kind = mnemonic
        else if (text ~ /%[yz]mm[0-9]/ || text ~ /%k[0-7]/) kind = "AVX register"
        else if (machine == "i386" && text ~ /%xmm[0-9]/) kind = "SSE register"
        else if (machine == "i386" && text ~ /%mm[0-7]/) kind = "MMX register"
        else if (machine == "x86-64" && mnemonic ~ /^v/ && text ~ /%xmm[0-9]/) kind = "AVX (VEX) " mnemonic
        if (kind != "") count[kind " in " function_name]++
    }
    END { for (k in count) printf "%s (%d)\n", k, count[k] }' | LC_ALL=C sort)
[ -z "$found" ] && exit 0
echo "$found"
exit 1
