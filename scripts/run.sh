#!/usr/bin/env bash
# Builds Velmora and starts it under Wine.
#   With a display (DISPLAY set): the program opens there; the script returns when it is closed.
#   Without one: a virtual display is started, the program runs for a few seconds, a screenshot
#   of the whole screen is written to build/velmora-screenshot.png (or the path given as the
#   first argument), then the program and the display are ended.
# The product is the 32-bit build/win32/velmora.exe. Where this machine runs 32-bit code only
# through emulation (far too slow to use the program), the 64-bit build of the same sources,
# build/win64/velmora.exe, runs instead, and the script says so.
# Environment: VELMORA_JOBS (build jobs, default 2), VELMORA_SCREENSHOT_DELAY (seconds between the
# start and the screenshot, default 15).
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${VELMORA_JOBS:-2}
delay=${VELMORA_SCREENSHOT_DELAY:-15}
shot=${1:-$root/build/velmora-screenshot.png}

log() { printf '[run] %s\n' "$*"; }

bash "$root/scripts/install-deps.sh"
. "$root/scripts/wine-session.sh"

mode=$(wine_session_32bit_mode)
if [ "$mode" = native ]; then
    preset=win32
else
    preset=win64
    log "this machine runs 32-bit code only through emulation ($mode): running the 64-bit build instead"
fi

log "building the $preset preset"
cmake --preset "$preset" >"$root/build/run-configure-$preset.log" 2>&1 ||
    { cat "$root/build/run-configure-$preset.log"; exit 1; }
cmake --build --preset "$preset" -j "$jobs" --target velmora
exe=$root/build/$preset/velmora.exe

had_display=${DISPLAY:-}
# The prefix is kept between runs, so only the first run waits for Wine to set it up.
wine_session_start "$root/build/$preset/wineprefix-run" win64
if [ "$preset" = win32 ]; then
    loader=$WINE32_LOADER
else
    loader=$WINE64_LOADER
fi

cd "$(dirname "$exe")"
if [ -n "$had_display" ]; then
    log "starting $exe on $DISPLAY"
    "$loader" "$exe"
    exit 0
fi

log "starting $exe on the virtual display $DISPLAY"
"$loader" "$exe" </dev/null >"$root/build/velmora-run.log" 2>&1 &
pid=$!
sleep "$delay"
if ! kill -0 "$pid" 2>/dev/null; then
    log "velmora.exe ended before the screenshot; its output:"
    cat "$root/build/velmora-run.log"
    exit 1
fi
mkdir -p "$(dirname "$shot")"
import -display "$DISPLAY" -window root "$shot"
log "screenshot: $shot"
kill "$pid" 2>/dev/null || true
# wine_session_stop (the EXIT trap) ends the program's Wine processes and the display.
