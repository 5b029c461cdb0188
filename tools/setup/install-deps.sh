#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 (run as root).
# Idempotent and quiet: when every package is already there it prints nothing and
# touches nothing.
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ clang clang-format libclang-rt-14-dev
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
    wine wine32 wine64
    socat gcc-multilib
    googletest libgtest-dev libbenchmark-dev
    python3 procps
    xvfb x11-apps fonts-liberation fonts-wine
)

is_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# wine32 lives in the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: adding the i386 architecture"
    as_root dpkg --add-architecture i386
    NEED_UPDATE=1
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
    is_installed "$pkg" || missing+=("$pkg")
done

if [ "${#missing[@]}" -eq 0 ] && [ -z "${NEED_UPDATE:-}" ]; then
    exit 0
fi

if [ "${#missing[@]}" -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # A mirror in the middle of a sync can fail one index; try again, then go on with
    # the lists apt has (the packages come from the main archive).
    as_root apt-get update -qq || { sleep 20; as_root apt-get update -qq; } ||
        echo "install-deps: apt-get update reported errors; installing from the lists it has"
    # With one architecture's security index missing, the i386 and amd64 copies of a
    # library can only agree at the release's own version: install from there then.
    as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
        as_root apt-get install -y -qq --no-install-recommends \
            -t "$(. /etc/os-release && echo "$VERSION_CODENAME")" "${missing[@]}" >/dev/null
fi
