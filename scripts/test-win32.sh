#!/usr/bin/env bash
# The Windows part of the tests. Cross-builds the shipped 32-bit
# tolmarin.exe (build-win32/) and checks it without running it: PE32, a GUI
# program, only Windows' own DLLs imported. Then runs every Windows test
# under Wine on a headless X display:
#   - where this kernel runs 32-bit programs, the 32-bit build under wine32;
#   - where it does not, the same sources and tests built for 64-bit Windows
#     (build-win64/) under wine64, with no i386 package installed.
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
cross_build() { # build folder, toolchain file, ON|OFF (tests), targets...
    local build=$1 toolchain=$2 tests=$3 gtest="$1/googletest-install"
    shift 3
    if [ "$tests" = ON ] && [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
        step "Cross-building GoogleTest" "$build/logs/googletest.log" bash -c '
            cmake -S /usr/src/googletest -B "$1/googletest" -DCMAKE_TOOLCHAIN_FILE="$2" \
                -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$3" -DBUILD_GMOCK=OFF \
                -Dgtest_disable_pthreads=ON &&
                cmake --build "$1/googletest" -j "$4" && cmake --install "$1/googletest"' \
            _ "$build" "$toolchain" "$gtest" "$jobs" || return 1
    fi
    # The shipped build's code (-O2) without its debug info, which would
    # add about a third to the compile times. GoogleTest only for the tests,
    # so that configuring the shipped build warns of nothing.
    local with_gtest=()
    [ "$tests" = OFF ] || with_gtest=(-DGTest_DIR="$gtest/lib/cmake/GTest")
    step "Configuring $build" "$build/logs/configure.log" \
        cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTOLMARIN_QT=OFF \
        -DTOLMARIN_TESTS="$tests" "${with_gtest[@]}" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" || return 1
    local targets=()
    for target; do targets+=(--target "$target"); done
    step "Building in $build" "$build/logs/build.log" cmake --build "$build" -j "$jobs" "${targets[@]}"
}

# The shipped program must start on a bare Windows: a 32-bit GUI program
# that needs no DLL beyond those every Windows has.
check_shipped_exe() { # tolmarin.exe
    local dump dll bad=0
    dump=$(i686-w64-mingw32-objdump -p "$1") || return 1
    grep -E 'file format|^Magic|^Subsystem|DLL Name' <<<"$dump"
    grep -q 'file format pei-i386' <<<"$dump" || { echo "not a 32-bit x86 PE file"; bad=1; }
    grep -qE '^Magic[[:space:]]+010b' <<<"$dump" || { echo "not PE32"; bad=1; }
    grep -qE '^Subsystem[[:space:]]+00000002' <<<"$dump" || { echo "not a Windows GUI program"; bad=1; }
    while read -r dll; do
        case "${dll^^}" in
        KERNEL32.DLL | USER32.DLL | GDI32.DLL | MSVCRT.DLL | ADVAPI32.DLL | SHELL32.DLL | COMCTL32.DLL | \
            COMDLG32.DLL | OLE32.DLL | OLEAUT32.DLL | SHLWAPI.DLL | UXTHEME.DLL | VERSION.DLL | WS2_32.DLL) ;;
        *)
            echo "imports $dll, which Windows does not bring"
            bad=1
            ;;
        esac
    done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
    return $bad
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
    if cross_build "$win32" "$root/cmake/toolchain-mingw-i686.cmake" ON; then
        check "Shipped tolmarin.exe: PE32, Windows GUI, system DLLs only" "$win32/logs/pe-check.log" \
            check_shipped_exe "$win32/win32/tolmarin.exe" || status=1
        run_suite "Windows tests (32-bit build under wine32)" "$win32" || status=1
    else
        status=1
    fi
else
    if cross_build "$win32" "$root/cmake/toolchain-mingw-i686.cmake" OFF tolmarin; then
        check "Shipped tolmarin.exe: PE32, Windows GUI, system DLLs only" "$win32/logs/pe-check.log" \
            check_shipped_exe "$win32/win32/tolmarin.exe" || status=1
        # The release zip of the shipped build: its contents, without starting it.
        version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win32/CMakeCache.txt")
        check "Shipped win32 zip: contents" "$win32/logs/zip-check.log" \
            bash "$root/win32/tests/zip.sh" "$win32" "$version" 4 i686-w64-mingw32-objdump i686-w64-mingw32-windres ||
            status=1
    else
        status=1
    fi
    if cross_build "$win64" "$root/cmake/toolchain-mingw-x86_64.cmake" ON; then
        run_suite "Windows tests (64-bit build under wine64)" "$win64" || status=1
    else
        status=1
    fi
fi

if [ "${report_owner:-0}" = 1 ]; then
    report_summary || status=1
fi
exit $status
