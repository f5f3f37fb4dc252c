#!/usr/bin/env bash
# The Windows part of the tests. Cross-builds the shipped 32-bit
# tolmarin.exe (build-win32/), a Release build as scripts/package.sh makes
# it. Then runs every Windows test under Wine on a headless X display:
#   - where this kernel runs 32-bit programs, the 32-bit build under wine32;
#   - where it does not, the same sources and tests built for 64-bit Windows
#     (build-win64/) under wine64, with no i386 package installed; the
#     shipped build's zip and setup are then checked without running them:
#     PE32, a GUI program, only Windows' own DLLs imported.
# Prints which way it went and why; exits non-zero on any failure.
# Usage: scripts/test-win32.sh
# Environment: TOLMARIN_WINE_ARCH=32|64 forces a way;
#   TOLMARIN_PRETEND_NO_IA32=1 makes the 32-bit probe fail as such a kernel would.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/test-report.sh"
source "$root/scripts/wine-arch.sh"

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Windows-1252 as the ANSI code page and en-US as the user's locale, which
# the tests' expected bytes assume.
export LC_ALL=C.UTF-8 LANG=C.UTF-8

if [ "${1:-}" = --under-xvfb ]; then
    # Second stage, on the display that xvfb-run made: a fresh prefix in the
    # build folder, one wine server for the whole run (each test then starts
    # in well under a second instead of bringing up Wine's services again).
    name=$2 build=$3
    export WINEPREFIX="$build/wineprefix"
    step "Preparing a Wine prefix" "$build/logs/wineprefix.log" "$root/scripts/wine-prefix-win32.sh" || exit 1
    "$WINESERVER" -p
    "$WINELOADER" cmd /c exit >/dev/null 2>&1
    status=0
    ctest_part "$name" "$build" --timeout 120 || status=$?
    "$WINESERVER" -k
    "$WINESERVER" -w
    exit $status
fi

jobs=$(nproc 2>/dev/null || echo 2)
wine_choose "$root/build-win32" || exit 2
say "Windows tests: $wine_arch-bit build under wine$wine_arch ($wine_why)"
"$root/scripts/install-deps.sh" "win$wine_arch" || {
    record 0 1
    exit 1
}

# Configures and builds a cross build; with tests, GoogleTest is first
# cross-built once into the build folder from Debian's sources.
cross_build() { # build folder, toolchain file, ON|OFF (tests), build type, targets...
    local build=$1 toolchain=$2 tests=$3 type=$4 gtest="$1/googletest-install"
    shift 4
    if [ "$tests" = ON ] && [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
        step "Cross-building GoogleTest" "$build/logs/googletest.log" bash -c '
            cmake -S /usr/src/googletest -B "$1/googletest" -DCMAKE_TOOLCHAIN_FILE="$2" \
                -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$3" -DBUILD_GMOCK=OFF \
                -Dgtest_disable_pthreads=ON &&
                cmake --build "$1/googletest" -j "$4" && cmake --install "$1/googletest"' \
            _ "$build" "$toolchain" "$gtest" "$jobs" || return 1
    fi
    # RelWithDebInfo here is optimised code without its debug info, which
    # would add about a third to the compile times. GoogleTest only for the
    # tests, so that configuring the shipped build warns of nothing.
    local with_gtest=()
    [ "$tests" = OFF ] || with_gtest=(-DGTest_DIR="$gtest/lib/cmake/GTest")
    step "Configuring $build" "$build/logs/configure.log" \
        cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTOLMARIN_QT=OFF \
        -DTOLMARIN_TESTS="$tests" "${with_gtest[@]}" \
        -DCMAKE_BUILD_TYPE="$type" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" || return 1
    local targets=()
    for target; do targets+=(--target "$target"); done
    step "Building in $build" "$build/logs/build.log" cmake --build "$build" -j "$jobs" "${targets[@]}"
}

# The suite runs on its own X display; results go to $TOLMARIN_RESULTS.
run_suite() { # name, build folder
    local status=0
    (
        unset DISPLAY
        TOLMARIN_STEP_SECONDS=$step_seconds \
            xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/test-win32.sh" --under-xvfb "$1" "$2"
    ) || status=$?
    step_seconds=0
    return $status
}

win32="$root/build-win32"
win64="$root/build-win64"
status=0
if [ "$wine_arch" = 32 ]; then
    # The zip and setup tests there run the shipped build itself.
    if cross_build "$win32" "$root/cmake/toolchain-mingw-i686.cmake" ON Release; then
        run_suite "Windows tests (32-bit build under wine32)" "$win32" || status=1
    else
        status=1
    fi
else
    if cross_build "$win32" "$root/cmake/toolchain-mingw-i686.cmake" OFF Release tolmarin; then
        version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win32/CMakeCache.txt")
        tools=(i686-w64-mingw32-objdump i686-w64-mingw32-windres)
        check "Shipped win32 zip: PE32, Windows GUI, system DLLs only" "$win32/logs/zip-check.log" \
            bash "$root/win32/tests/zip.sh" "$win32" "$version" 4 "${tools[@]}" || status=1
        check "Shipped setup: PE32, Windows GUI, version and icon" "$win32/logs/setup-check.log" \
            bash "$root/win32/tests/setup.sh" "$win32" "$version" 4 "${tools[@]}" || status=1
    else
        status=1
    fi
    if cross_build "$win64" "$root/cmake/toolchain-mingw-x86_64.cmake" ON RelWithDebInfo; then
        run_suite "Windows tests (64-bit build under wine64)" "$win64" || status=1
    else
        status=1
    fi
fi

if [ "${report_owner:-0}" = 1 ]; then
    report_summary || status=1
fi
exit $status
