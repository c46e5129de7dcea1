#!/usr/bin/env bash
# check-package.sh imports EXE OBJDUMP   -- EXE imports Windows system DLLs only
# check-package.sh size EXE MAX_BYTES    -- EXE is at most MAX_BYTES long
set -euo pipefail

# DLLs that every supported Windows has; anything else (a compiler runtime such as
# libstdc++-6.dll or libwinpthread-1.dll, say) would have to ship beside the program.
allowed=(
    kernel32 user32 gdi32 comctl32 shell32 advapi32 msvcrt comdlg32 uxtheme shlwapi
    ole32 oleaut32 gdiplus version winmm imm32 ntdll
)

mode=$1
exe=$2
case "$mode" in
imports)
    objdump=$3
    mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r')
    if [ "${#dlls[@]}" -eq 0 ]; then
        echo "FAIL: $objdump found no imported DLL in $exe"
        exit 1
    fi
    bad=0
    for dll in "${dlls[@]}"; do
        base=$(printf '%s' "${dll%.*}" | tr '[:upper:]' '[:lower:]')
        verdict="not a system DLL"
        for a in "${allowed[@]}"; do
            if [ "$base" = "$a" ]; then
                verdict=ok
                break
            fi
        done
        printf '  %-20s %s\n' "$dll" "$verdict"
        [ "$verdict" = ok ] || bad=1
    done
    if [ "$bad" -ne 0 ]; then
        echo "FAIL: $(basename "$exe") imports DLLs that are not part of Windows"
        exit 1
    fi
    echo "PASS: $(basename "$exe") imports ${#dlls[@]} system DLLs only"
    ;;
size)
    max=$3
    size=$(stat -c %s "$exe")
    echo "$(basename "$exe"): $size bytes ($((size / 1024)) KiB), limit $max bytes ($((max / 1024)) KiB)"
    if [ "$size" -gt "$max" ]; then
        echo "FAIL: $(basename "$exe") is larger than the limit"
        exit 1
    fi
    echo "PASS"
    ;;
*)
    echo "usage: $0 imports EXE OBJDUMP | size EXE MAX_BYTES" >&2
    exit 2
    ;;
esac
