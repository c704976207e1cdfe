#!/bin/sh
# All tests: the native unit tests, the file checks of the three modules (and
# the instruction check's own test), the Wine tests, those that need Wine 10,
# the ARM64 module under an emulated arm64 Wine and the installer tests.
# Prints one summary line per stage and a total; exits non-zero when
# anything failed.
set -u
cd "$(dirname "$0")/.."

passed=0
failed=0
count() {   # count STAGE LOG: add the stage's GoogleTest totals
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$2" | tail -1)
    f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*listed below.*/\1/p' "$2" | tail -1)
    passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
}

log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "== building"
make -s native windows windows64 arm64 || { echo "build failed"; exit 1; }

echo "== native tests"
build/native/ruxa_native_tests --gtest_brief=1 >"$log" 2>&1
code=$?
cat "$log"; count native "$log"
if [ $code -ne 0 ] && [ -z "$(sed -n '/^\[  FAILED  \]/p' "$log")" ]; then
    failed=$((failed + 1))
fi

# run_stage NAME SCRIPT: runs a test script that ends with the line
# "NAME: N passed, N failed", adds its figures and says how long it took.
# A run that failed without reporting a failing test still counts as one
# failure.
run_stage() {
    started=$(date +%s)
    sh "$2" >"$log" 2>&1
    code=$?
    cat "$log"
    echo "$1: the stage took $(($(date +%s) - started)) s"
    r=$(sed -n "s/^$1: \\([0-9]*\\) passed, \\([0-9]*\\) failed\$/\\1 \\2/p" "$log")
    if [ -n "$r" ]; then
        passed=$((passed + ${r% *})); failed=$((failed + ${r#* }))
    fi
    if [ $code -ne 0 ] && { [ -z "$r" ] || [ "${r#* }" = 0 ]; }; then
        failed=$((failed + 1))
    fi
}

echo "== the modules"
for module in "build/windows/RUXA.SCR i386" "build/windows64/RUXA.SCR x86-64" "build/arm64/RUXA.SCR arm64"; do
    # shellcheck disable=SC2086
    if sh tools/check_module.sh $module; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
run_stage instructions tests/module/check_instructions_test.sh

echo "== Wine tests"
run_stage wine tools/winetest.sh

echo "== Wine 10 tests"
run_stage wine10 tools/wine10test.sh

echo "== the ARM64 module under emulation"
run_stage arm64 tests/emulated/emulated_test.sh

echo "== installer tests"
run_stage installer tests/installer/installer_test.sh

echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
