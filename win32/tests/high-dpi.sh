#!/usr/bin/env bash
# Runs the window's geometry test again at 144 DPI, in a copy of the test
# Wine prefix with that setting, so its own wine server reads it at start.
# Usage: high-dpi.sh win32_tests.exe
set -euo pipefail
tests=$1
: "${WINEPREFIX:?needs the test Wine prefix}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The loader and server that scripts/test-win32.sh chose (wine32 or wine64).
: "${WINELOADER:=wine}" "${WINESERVER:=wineserver}"

copy=$(mktemp -d)
cleanup() {
    WINEPREFIX="$copy/prefix" "$WINESERVER" -k 2>/dev/null || true
    WINEPREFIX="$copy/prefix" "$WINESERVER" -w 2>/dev/null || true
    rm -rf "$copy"
}
trap cleanup EXIT
cp -a "$WINEPREFIX" "$copy/prefix"
export WINEPREFIX="$copy/prefix"
"$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
"$WINESERVER" -w
TOLMARIN_TEST_DPI=144 "$WINELOADER" "$tests" --gtest_filter='Window.EveryControlAsDesigned'
