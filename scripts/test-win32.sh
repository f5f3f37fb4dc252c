#!/usr/bin/env bash
# Cross-builds tolmarin.exe and its tests for 32-bit Windows and runs every
# test under Wine on a headless X display. Exits non-zero on any failure.
# Usage: scripts/test-win32.sh [build-dir]   (default: build-win32)
set -euo pipefail

# A fresh Wine prefix for every run, inside the build folder.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Windows-1252 as the ANSI code page and en-US as the user's locale, which
# the tests' expected bytes assume.
export LC_ALL=C.UTF-8 LANG=C.UTF-8

if [ "${1:-}" = --under-xvfb ]; then
    # Second stage, on the display that xvfb-run made.
    build=$2
    export WINEPREFIX="$build/wineprefix"
    echo "Preparing a Wine prefix (the first start takes a few seconds)"
    "$(dirname "$0")/wine-prefix-win32.sh"
    # One wine server for the whole run: each test then starts in well under
    # a second instead of bringing up Wine's services again.
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1
    status=0
    (cd "$build" && ctest --output-on-failure --timeout 120) || status=$?
    wineserver -k
    wineserver -w
    exit $status
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-win32}")
toolchain="$root/cmake/toolchain-mingw-i686.cmake"
jobs=$(nproc 2>/dev/null || echo 2)

"$root/scripts/install-deps.sh" win32

# GoogleTest for the cross compiler, built once from Debian's sources.
gtest="$build/googletest-install"
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "Cross-building GoogleTest"
    cmake -S /usr/src/googletest -B "$build/googletest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" -DBUILD_GMOCK=OFF \
        -Dgtest_disable_pthreads=ON >/dev/null
    cmake --build "$build/googletest" -j "$jobs" >/dev/null
    cmake --install "$build/googletest" >/dev/null
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTOLMARIN_QT=OFF -DTOLMARIN_TESTS=ON \
    -DGTest_DIR="$gtest/lib/cmake/GTest" >/dev/null
cmake --build "$build" -j "$jobs"

unset DISPLAY
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/test-win32.sh" --under-xvfb "$build"
