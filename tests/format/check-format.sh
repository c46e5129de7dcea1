#!/usr/bin/env bash
# check-format.sh SOURCE_DIR CLANG_FORMAT
# Fails when a .cpp or .h file of the project (build trees aside) differs from what clang-format
# makes of it; each difference is printed with its file and line.
set -euo pipefail

src=$1
clang_format=${2:-}
if [ -z "$clang_format" ] || [[ "$clang_format" == *-NOTFOUND ]] || ! command -v "$clang_format" >/dev/null; then
    echo "FAIL: clang-format 14 was not found (Debian package clang-format-14)"
    exit 1
fi
cd "$src"
mapfile -d '' files < <(find . \( -path ./build -o -path './build-*' -o -path ./.git \) -prune -o \
    -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
echo "$("$clang_format" --version): ${#files[@]} files"
if [ "${#files[@]}" -eq 0 ]; then
    exit 0
fi
if ! "$clang_format" --dry-run --Werror "${files[@]}"; then
    echo "FAIL: some files are not formatted; run: clang-format -i <file>"
    exit 1
fi
echo "PASS: all files formatted"
