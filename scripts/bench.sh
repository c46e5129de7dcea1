#!/usr/bin/env bash
# Velmora's benchmarks: each figure against its floor (the least work the same result needs),
# as a Markdown table.
#
#   bash scripts/bench.sh            # builds what it needs, runs everything, prints the table
#   bash scripts/bench.sh --write    # the same, and writes the table into docs/PERFORMANCE.md
#
# The Windows figures come from the 64-bit build under 64-bit Wine when this machine cannot run
# 32-bit code itself (32-bit Wine would then run under qemu emulation, far too slow to time),
# from the 32-bit build otherwise. The BMP reader's figure is Google Benchmark, native.
#
# Environment: VELMORA_JOBS (build jobs, default 2), VELMORA_BENCH_RUNS (timed runs per figure,
# default 5), VELMORA_BENCH_ONLY (one of startup cold preview capture backup). With WINEPREFIX and
# DISPLAY both set, the Wine session already running there is used instead of a new one (its
# display should be at least 3840 x 2200).
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${VELMORA_JOBS:-2}
runs=${VELMORA_BENCH_RUNS:-5}
only=${VELMORA_BENCH_ONLY:-all}
write=0
[ "${1:-}" = --write ] && write=1

# A display large enough for a 3840 x 2160 desktop.
export WINE_SESSION_SCREEN=${WINE_SESSION_SCREEN:-3840x2200x24}
. "$root/scripts/wine-session.sh"

if [ "$(wine_session_32bit_mode)" = native ]; then
    preset=win32 arch=win32 objdump=i686-w64-mingw32-objdump
else
    preset=win64 arch=win64 objdump=x86_64-w64-mingw32-objdump
fi
build=$root/build/bench-$preset
native=$root/build/bench-native-release
log=$root/build/logs
mkdir -p "$log"

echo "building $preset and the native benchmark..." >&2
cmake --preset "$preset" -B "$build" -DVELMORA_WINDOWS_TESTS=OFF >"$log/bench-configure.log"
cmake --build "$build" -j "$jobs" --target velmora_bench >"$log/bench-build.log"
cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >>"$log/bench-configure.log"
cmake --build "$native" -j "$jobs" --target bmp_benchmark >>"$log/bench-build.log"
# The shipped program's size is the 32-bit one's, when its compiler is at hand.
product=""
if command -v i686-w64-mingw32-g++-posix >/dev/null; then
    cmake --preset win32 -B "$root/build/bench-win32" -DVELMORA_WINDOWS_TESTS=OFF \
        >>"$log/bench-configure.log"
    cmake --build "$root/build/bench-win32" -j "$jobs" --target velmora >>"$log/bench-build.log"
    product=$root/build/bench-win32/velmora.exe
fi

rows=()
# Google Benchmark prints "ReadBmpOf/64/48  <time> ns ..."; the ratio of the two times.
bmp=$("$native/bench/bmp_benchmark" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '/_median/ { gsub(/"/, "", $1); print $1, $3 }')
small=$(awk '/ReadBmpOf\/64\/48_median/ { print $2 }' <<<"$bmp")
large=$(awk '/ReadBmpOf\/3840\/2160_median/ { print $2 }' <<<"$bmp")
rows+=("$(awk -v s="$small" -v l="$large" 'BEGIN {
    printf "| ReadBmp of a 3840 x 2160 picture (floor: the same call on 64 x 48), native | %.1f ns | %.1f ns | %.2f | <= 2 |", l, s, l / s }')")

size_row() {
    local exe=$1 what=$2 dump=$3 bytes dlls
    bytes=$(stat -c %s "$exe")
    dlls=$("$dump" -p "$exe" | awk '/DLL Name:/ { print $3 }' | sort -f | paste -sd ' ')
    printf '| %s size (imports: %s) | %d KiB | - | - | <= 1024 KiB, system DLLs only |' \
        "$what" "$dlls" $(((bytes + 1023) / 1024))
}
[ -n "$product" ] && rows+=("$(size_row "$product" "velmora.exe, 32-bit" i686-w64-mingw32-objdump)")
rows+=("$(size_row "$build/velmora.exe" "velmora.exe, $preset (the build timed here)" "$objdump")")

if [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ]; then
    echo "using the Wine session of $WINEPREFIX on $DISPLAY" >&2
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
else
    # A session of our own: display, prefix, teardown at exit.
    unset DISPLAY
    wine_session_start "$root/build/bench-wineprefix" "$arch" >&2
fi
if [ "$arch" = win64 ]; then loader=$WINE64_LOADER; else loader=$WINE32_LOADER; fi
"$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

echo "timing (about ten minutes)..." >&2
mapfile -t wine_rows < <("$loader" "$build/bench/velmora_bench.exe" "$build/velmora.exe" \
    "$build/bench/floor_list.exe" "$build/bench/floor_window.exe" "$runs" "$only" 2>"$log/bench-wine.log" |
    tr -d '\r')

cpu=$(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)
table=$(
    echo "| figure | Velmora | floor | ratio | goal |"
    echo "|---|---|---|---|---|"
    printf '%s\n' "${wine_rows[@]}" "${rows[@]}"
    echo
    echo "Measured $(date -u +%Y-%m-%d) on $cpu, $(nproc) cores, $("$loader" --version), $preset" \
        "build under ${loader##*/}; median of $runs runs after one warm-up."
)
echo "$table"

if [ "$write" = 1 ]; then
    doc=$root/docs/PERFORMANCE.md
    awk -v table="$table" '
        /<!-- table begin -->/ { print; print table; skip = 1; next }
        /<!-- table end -->/ { skip = 0 }
        !skip { print }' "$doc" >"$doc.new"
    mv "$doc.new" "$doc"
    echo "written into docs/PERFORMANCE.md" >&2
fi
