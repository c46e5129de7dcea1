# Wine sessions for Velmora's tests and for running the program: a virtual display when there is
# none, one Wine prefix per run with its services started up front, and a teardown that ends
# exactly what the session started.
#
# Source this file, then:
#   wine_session_start PREFIX [win64|win32]   # display, prefix, .reg association, services
#   wine_session_stop                                # wineserver -k for each prefix, Xvfb by its pid
#   wine_session_32bit_mode                          # prints native, emulated or none
# wine_session_start installs wine_session_stop as the EXIT trap (the INT and TERM traps end the
# script, which runs it too). A caller that has its own EXIT trap calls wine_session_stop from it.
#
# Processes started here get their output sent to log files inside the prefix's folder: a Wine
# service that inherited a caller's pipe (ctest's, for one) would keep that pipe open after the
# test ends, and the caller would wait for it forever.

WINE64_LOADER=${WINE64_LOADER:-/usr/lib/wine/wine64}
WINE32_LOADER=${WINE32_LOADER:-/usr/lib/wine/wine}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
WINE_SESSION_SCREEN=${WINE_SESSION_SCREEN:-1600x1000x24}
WINE_SESSION_LANG=${WINE_SESSION_LANG:-zh_CN.UTF-8}

ws_xvfb_pid=""
ws_prefixes=()

ws_log() { printf '[wine-session] %s\n' "$*" >&2; }

# Starts Xvfb on a free display number when DISPLAY is unset, and waits until it accepts clients.
wine_session_display() {
    if [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    local n=90 log
    while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do
        n=$((n + 1))
    done
    log=${WINE_SESSION_LOG_DIR:-/tmp}/xvfb-${n}.log
    Xvfb ":${n}" -screen 0 "$WINE_SESSION_SCREEN" -nolisten tcp </dev/null >"$log" 2>&1 &
    ws_xvfb_pid=$!
    local i
    for i in $(seq 1 100); do
        if [ -S "/tmp/.X11-unix/X${n}" ]; then
            export DISPLAY=":${n}"
            ws_log "virtual display ${DISPLAY} (${WINE_SESSION_SCREEN}), Xvfb pid ${ws_xvfb_pid}"
            return 0
        fi
        if ! kill -0 "$ws_xvfb_pid" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    ws_log "Xvfb did not start; its log:"
    cat "$log" >&2 || true
    ws_xvfb_pid=""
    return 1
}

# Tells how this machine runs 32-bit x86 programs: "native", "emulated" (qemu user emulation
# through binfmt_misc) or "none". Registers qemu's handler when the kernel cannot run them itself,
# qemu-i386-static is installed and we are root.
wine_session_32bit_mode() {
    local loader=/lib/ld-linux.so.2 binfmt=/proc/sys/fs/binfmt_misc
    if [ ! -x "$loader" ]; then
        echo none
        return 0
    fi
    # A registered handler takes 32-bit programs before the kernel's own ELF loader does.
    if [ -e "$binfmt/qemu-i386" ] && grep -qx enabled "$binfmt/qemu-i386" 2>/dev/null; then
        echo emulated
        return 0
    fi
    if "$loader" --version >/dev/null 2>&1; then
        echo native
        return 0
    fi
    if [ "$(id -u)" -ne 0 ] || [ ! -x /usr/bin/qemu-i386-static ]; then
        echo none
        return 0
    fi
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" >/dev/null 2>&1 || true
    fi
    if [ -e "$binfmt/qemu-i386" ]; then
        echo 1 >"$binfmt/qemu-i386" 2>/dev/null || true
    elif [ -w "$binfmt/register" ]; then
        # The F flag opens the interpreter now, so it also serves programs in other mount namespaces.
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            >"$binfmt/register" 2>/dev/null || true
    fi
    if "$loader" --version >/dev/null 2>&1; then
        ws_log "32-bit code runs through qemu user emulation: expect about a minute per process start"
        echo emulated
    else
        echo none
    fi
}

# Runs LOADER with the session's environment, its output going to a log file in the prefix's folder.
ws_wine_logged() {
    local name=$1
    shift
    "$ws_loader" "$@" </dev/null >>"$ws_logdir/$name.log" 2>&1
}

# wine_session_start PREFIX [ARCH]
# ARCH is the prefix's architecture: win64 (the default) runs 64-bit programs with WINE64_LOADER
# and 32-bit ones with WINE32_LOADER, as 64-bit Windows does; win32 runs 32-bit programs only.
# The prefix is made by the loader of its own architecture; one made before is updated in place.
wine_session_start() {
    local prefix=$1 arch=${2:-win64} loader
    case "$arch" in
    win64) loader=$WINE64_LOADER ;;
    win32) loader=$WINE32_LOADER ;;
    *)
        ws_log "unknown prefix architecture: $arch"
        return 1
        ;;
    esac
    ws_loader=$loader
    mkdir -p "$(dirname "$prefix")"
    prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
    ws_logdir="${prefix}-logs"
    mkdir -p "$ws_logdir"
    : "${WINE_SESSION_LOG_DIR:=$ws_logdir}"

    trap wine_session_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM

    wine_session_display || return 1

    # A prefix of the other architecture cannot be reused.
    if [ -f "$prefix/system.reg" ] && ! grep -q "^#arch=${arch}\$" "$prefix/system.reg"; then
        ws_log "removing $prefix: it was made for another architecture"
        rm -rf "$prefix"
    fi

    export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export LANG=$WINE_SESSION_LANG
    unset LC_ALL
    ws_prefixes+=("$prefix")

    local start=$SECONDS
    mkdir -p "$prefix"
    # A persistent server, started first with its output in a file: the services started later
    # keep running between the test programs instead of starting again for each of them.
    if ! "$WINESERVER" -p </dev/null >>"$ws_logdir/wineserver.log" 2>&1; then
        ws_log "wineserver did not start; see $ws_logdir/wineserver.log"
        return 1
    fi
    if ! ws_wine_logged wineboot wineboot -i; then
        ws_log "wineboot failed for $prefix; its log:"
        tail -n 40 "$ws_logdir/wineboot.log" >&2 || true
        return 1
    fi

    # A .reg file opens in the Registry Editor, which imports it after asking the user.
    # The import also starts the services that stay for the session.
    local reg="$prefix/drive_c/velmora-session.reg"
    printf '%s\r\n' 'REGEDIT4' '' \
        '[HKEY_CLASSES_ROOT\.reg]' '@="regfile"' '' \
        '[HKEY_CLASSES_ROOT\regfile\shell\open\command]' '@="regedit.exe \"%1\""' '' >"$reg"
    if ! ws_wine_logged regedit regedit /S 'C:\velmora-session.reg'; then
        ws_log "could not import the .reg association; see $ws_logdir/regedit.log"
        return 1
    fi
    ws_log "prefix $prefix ($arch, $loader, LANG=$LANG) ready in $((SECONDS - start)) s"
}

# Ends every Wine prefix that this session started and the Xvfb it started.
wine_session_stop() {
    local prefix
    for prefix in "${ws_prefixes[@]}"; do
        WINEPREFIX=$prefix "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
        WINEPREFIX=$prefix "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    done
    ws_prefixes=()
    if [ -n "$ws_xvfb_pid" ]; then
        kill "$ws_xvfb_pid" 2>/dev/null || true
        wait "$ws_xvfb_pid" 2>/dev/null || true
        ws_log "stopped Xvfb (pid $ws_xvfb_pid)"
        ws_xvfb_pid=""
        unset DISPLAY
    fi
}
