#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Velmora needs, and only those
# that are missing: when everything is there it returns within a second or two.
# Also generates the zh_CN.UTF-8 locale (the Wine tests run with code page 936) and, where
# this machine cannot execute 32-bit x86 code itself, installs qemu's user-mode emulator so
# that 32-bit Wine can still run (wine-session.sh registers it when it is needed).
set -euo pipefail

packages=(
    cmake ninja-build g++ gcc googletest libbenchmark-dev
    clang-14 libclang-rt-14-dev clang-format-14
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64 wine32:i386
    xvfb xauth fonts-wqy-microhei imagemagick locales
)

log() { printf '[install-deps] %s\n' "$*"; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        log "not root and no sudo: cannot run: $*"
        return 1
    fi
}

is_installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

apt_updated=0
apt_install() {
    export DEBIAN_FRONTEND=noninteractive
    if [ "$apt_updated" -eq 0 ]; then
        as_root apt-get update -q
        apt_updated=1
    fi
    as_root apt-get install -y -q --no-install-recommends "$@"
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "enabling the i386 architecture for 32-bit Wine"
    as_root dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
    is_installed "$p" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    log "installing: ${missing[*]}"
    apt_install "${missing[@]}"
else
    log "all packages present"
fi

# 32-bit programs: the i386 loader that wine32 brings either runs here, or it needs qemu.
# With qemu's binfmt handler already registered, 32-bit code runs through it whatever the kernel
# can do, so qemu is needed then too.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1 || [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    if ! is_installed qemu-user-static; then
        log "this machine does not run 32-bit code itself: installing qemu-user-static"
        apt_install qemu-user-static
    fi
fi

if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    log "generating the zh_CN.UTF-8 locale"
    as_root localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
