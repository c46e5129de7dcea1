#!/usr/bin/env bash
# Builds every preset and runs every test of Velmora:
#   native  g++ with AddressSanitizer and UndefinedBehaviorSanitizer: the portable core's tests and
#           the format check
#   fuzz    clang-14 libFuzzer targets, each fuzzed for a bounded time
#   win64   the Windows tests and the end-to-end tests under 64-bit Wine
#   win32   the shipped program: its imports and size, and the end-to-end Smoke cases under 32-bit
#           Wine (through qemu where this machine cannot run 32-bit code itself)
# Installs whatever is missing first. Every stage runs even when an earlier one failed; the exit
# status is non-zero when any stage failed. Each stage's output is also kept in build/logs/.
#
# Environment: VELMORA_JOBS (build jobs, default 2), VELMORA_STAGES (a space-separated subset of:
# native fuzz win32 win64), VELMORA_SKIP_INSTALL=1 to skip the package check.
set -uo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${VELMORA_JOBS:-2}
stages=${VELMORA_STAGES:-native fuzz win32 win64}
logs=$root/build/logs
mkdir -p "$logs"

summary=()
failures=0
tests_passed=0
tests_failed=0
tests_skipped=0
run_start=$SECONDS

wants() { [[ " $stages " == *" $1 "* ]]; }

# run_logged LOG COMMAND...: runs COMMAND with its output in LOG and shown as it comes. The
# command writes to the file, not to a pipe, so a Wine service it starts cannot hold our output
# open after it ends.
run_logged() {
    local log=$1
    shift
    : >"$log"
    "$@" </dev/null >>"$log" 2>&1 &
    local pid=$!
    tail -n +1 -f --pid="$pid" "$log"
    wait "$pid"
}

# stage NAME COMMAND...: one timed step of the run.
stage() {
    local name=$1
    shift
    local start=$SECONDS rc
    printf '\n==== %s\n' "$name"
    run_logged "$logs/$name.log" "$@"
    rc=$?
    local took=$((SECONDS - start))
    if [ "$rc" -eq 0 ]; then
        summary+=("$(printf '%-14s %-6s %5d s' "$name" ok "$took")")
    else
        summary+=("$(printf '%-14s %-6s %5d s  (exit %d, log build/logs/%s.log)' "$name" FAILED "$took" "$rc" "$name")")
        failures=$((failures + 1))
    fi
    printf '==== %s: %s in %d s\n' "$name" "$([ "$rc" -eq 0 ] && echo ok || echo FAILED)" "$took"
    count_tests "$logs/$name.log"
    return "$rc"
}

# Adds up ctest's own counts from a stage's log.
count_tests() {
    local line total failed skipped
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
    [ -n "$line" ] || return 0
    failed=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .*\(Skipped\)' "$1")
    tests_failed=$((tests_failed + failed))
    tests_skipped=$((tests_skipped + skipped))
    tests_passed=$((tests_passed + total - failed - skipped))
}

build_preset() {
    cmake --preset "$1" && cmake --build --preset "$1" -j "$jobs"
}

ctest_preset() {
    local preset=$1
    shift
    ctest --preset "$preset" --output-on-failure --no-tests=error "$@"
}

# The 64-bit Wine tests run in a session of their own: display, prefix, services, teardown.
win64_tests() {
    (
        . "$root/scripts/wine-session.sh"
        wine_session_start "$root/build/win64/wineprefix" win64 || exit 1
        ctest_preset win64
    )
}

# The 32-bit checks: the Smoke test makes its own 32-bit session (or reports SKIPPED).
win32_tests() {
    ctest_preset win32 -L 'package|smoke32'
}

if [ "${VELMORA_SKIP_INSTALL:-0}" != 1 ]; then
    if ! stage install-deps bash "$root/scripts/install-deps.sh"; then
        echo "Cannot install what the build needs; stopping."
        exit 1
    fi
fi

if wants native; then
    stage native-build build_preset native && stage native-test ctest_preset native
fi
if wants fuzz; then
    stage fuzz-build build_preset fuzz && stage fuzz-test ctest_preset fuzz
fi
win32_built=1
if wants win32; then
    stage win32-build build_preset win32 || win32_built=0
fi
if wants win64; then
    stage win64-build build_preset win64 && stage win64-test win64_tests
fi
if wants win32 && [ "$win32_built" -eq 1 ]; then
    stage win32-test win32_tests
fi

printf '\n==== Summary (jobs: %s)\n' "$jobs"
printf '%s\n' "${summary[@]}"
printf 'total %d s; stages failed: %d\n' "$((SECONDS - run_start))" "$failures"
if [ "$tests_skipped" -gt 0 ]; then
    printf 'ctest: %d passed, %d failed, %d skipped\n' "$tests_passed" "$tests_failed" "$tests_skipped"
else
    printf 'ctest: %d passed, %d failed\n' "$tests_passed" "$tests_failed"
fi
[ "$failures" -eq 0 ]
