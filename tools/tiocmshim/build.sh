#!/usr/bin/env bash
# Builds the 32- and 64-bit copies of the shim under <out>/lib/<triplet>/, so that
#   LD_PRELOAD='<out>/$LIB/libtiocmshim.so'
# lets the dynamic loader pick the twin that matches each Wine process.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: build.sh <output dir>}"
src="$here/tiocmshim.c"
flags=(-shared -fPIC -O2 -Wall -Wextra -Werror)
for variant in "32 i386-linux-gnu" "64 x86_64-linux-gnu"; do
    set -- $variant
    lib="$out/lib/$2/libtiocmshim.so"
    if [ ! -f "$lib" ] || [ "$src" -nt "$lib" ]; then
        mkdir -p "$(dirname "$lib")"
        gcc -m"$1" "${flags[@]}" -o "$lib" "$src" -ldl
    fi
done
