#!/bin/bash
# Runs the Windows unit tests (ctest label wine-unit) under Wine, in a
# throwaway prefix with a headless display driver, of the architecture this
# machine can run (tools/setup/wine-arch.sh).
#
# Usage: tests/unit/run-wine-unit-tests.sh [BUILD_DIR] [CTEST_ARGS...]
#   BUILD_DIR defaults to build/win32 or build/win64, whichever that is
#   (configured with the preset of that name and built). Further arguments go
#   to ctest, e.g. -j2 or -R Profile.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
arch=$("$here/../../tools/setup/wine-arch.sh")
build_dir=${1:-build/$arch}
shift || true
if [ "$arch" = win64 ]; then
    PATH="$here/../../tools/setup/wine64:$PATH"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/relvan-wine.XXXXXX")
export WINEPREFIX="$work/prefix"
export WINEARCH=$arch
export WINEDEBUG=-all

socat_pid=
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$socat_pid" ]; then kill "$socat_pid" 2>/dev/null || true; fi
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

# A serial line for the link component's test (LinkControlWineTest): COM41 is
# the component's end, COM42 the test's device end; two ptys joined by socat.
socat pty,raw,echo=0,link="$work/com41" pty,raw,echo=0,link="$work/com42" >/dev/null 2>&1 &
socat_pid=$!
for _ in $(seq 100); do
    [ -e "$work/com41" ] && [ -e "$work/com42" ] && break
    sleep 0.1
done
ln -sf "$(readlink -f "$work/com41")" "$WINEPREFIX/dosdevices/com41"
ln -sf "$(readlink -f "$work/com42")" "$WINEPREFIX/dosdevices/com42"

ctest --test-dir "$build_dir" -L wine-unit --output-on-failure "$@"
