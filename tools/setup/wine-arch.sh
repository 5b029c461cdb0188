#!/bin/sh
# Prints the Wine architecture the Wine tests, the demo and the benchmarks use:
#   win32  where this machine runs 32-bit code: they run the product itself;
#   win64  where it does not (some virtual machines run 64-bit user code only, and
#          a 32-bit execve fails with ENOEXEC): they run the 64-bit build of the
#          same sources (build/win64) in a 64-bit prefix.
# RELVAN_WINE_ARCH, when set, decides instead.
if [ -n "${RELVAN_WINE_ARCH:-}" ]; then
    echo "$RELVAN_WINE_ARCH"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo win32
else
    echo win64
fi
