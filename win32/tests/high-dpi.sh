#!/usr/bin/env bash
# Runs the window's geometry test again at 144 DPI, in a copy of the test
# Wine prefix with that setting, so its own wine server reads it at start.
# Usage: high-dpi.sh win32_tests.exe
set -euo pipefail
tests=$1
: "${WINEPREFIX:?needs the test Wine prefix}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

copy=$(mktemp -d)
cleanup() {
    WINEPREFIX="$copy/prefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$copy/prefix" wineserver -w 2>/dev/null || true
    rm -rf "$copy"
}
trap cleanup EXIT
cp -a "$WINEPREFIX" "$copy/prefix"
export WINEPREFIX="$copy/prefix"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w
TOLMARIN_TEST_DPI=144 wine "$tests" --gtest_filter='Window.EveryControlAsDesigned'
