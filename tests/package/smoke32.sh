#!/usr/bin/env bash
# smoke32.sh E2E_EXE PREFIX
# Runs the end-to-end Smoke cases of the 32-bit build (start velmora.exe, find its main window,
# close it, exit code 0) under 32-bit Wine in a prefix of their own. Where this machine cannot run
# 32-bit code natively it goes through qemu user emulation, which is slow but exercises the real
# 32-bit program. Where 32-bit code cannot run at all, it prints SKIPPED and exits 77.
set -uo pipefail

e2e=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/wine-session.sh
. "$here/../../scripts/wine-session.sh"

# Time for the Smoke cases themselves; the prefix is made before this starts counting.
limit=${VELMORA_SMOKE32_TIMEOUT:-900}

if [ ! -f "$e2e" ]; then
    echo "FAIL: $e2e was not built"
    exit 1
fi

mode=$(wine_session_32bit_mode)
if [ "$mode" = none ] || [ ! -x "$WINE32_LOADER" ]; then
    echo "SKIPPED: this machine runs no 32-bit x86 code (natively or through qemu); the 32-bit smoke did not run"
    exit 77
fi
echo "32-bit execution: $mode"

start=$SECONDS
# A 64-bit prefix, as on 64-bit Windows: its own services are 64-bit and start quickly; only the
# test driver and velmora.exe are 32-bit. (A 32-bit prefix made under qemu is not reliable.)
wine_session_start "$prefix" win64 || exit 1
echo "prefix ready in $((SECONDS - start)) s"

start=$SECONDS
cd "$(dirname "$e2e")" || exit 1
log="${prefix}-logs/smoke.log"
# The output goes to a file, not a pipe: Wine processes started during the run could hold a pipe
# open until the session ends.
timeout --kill-after=30 "$limit" "$WINE32_LOADER" "$(basename "$e2e")" --gtest_filter='Smoke.*' \
    </dev/null >"$log" 2>&1
rc=$?
cat "$log"
echo "Smoke cases ended with exit code $rc after $((SECONDS - start)) s"
if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "FAIL: the Smoke cases did not finish within $limit s"
elif [ "$rc" -eq 0 ] && ! grep -Eq '^\[  PASSED  \] [1-9][0-9]* test' "$log"; then
    echo "FAIL: no Smoke case ran"
    rc=1
fi
exit "$rc"
