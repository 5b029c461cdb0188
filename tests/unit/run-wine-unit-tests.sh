#!/bin/bash
# Runs the Win32 unit tests (ctest label wine-unit) under Wine, in a
# throwaway 32-bit prefix with a headless display driver.
#
# Usage: tests/unit/run-wine-unit-tests.sh [BUILD_DIR] [CTEST_ARGS...]
#   BUILD_DIR defaults to build/win32 (configured with the win32 preset and
#   built). Further arguments go to ctest, e.g. -j2 or -R Profile.
set -euo pipefail

build_dir=${1:-build/win32}
shift || true

work=$(mktemp -d "${TMPDIR:-/tmp}/relvan-wine.XXXXXX")
export WINEPREFIX="$work/prefix"
export WINEARCH=win32
export WINEDEBUG=-all

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$WINEPREFIX"
unset DISPLAY
WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i >/dev/null 2>&1
# The null display driver: windows and dialogs work without any X server. It is
# taken up when the prefix's processes start again, after this server has ended.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
# One persistent server for the whole run, so that each test starts quickly.
wineserver -p
WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot >/dev/null 2>&1

ctest --test-dir "$build_dir" -L wine-unit --output-on-failure "$@"
