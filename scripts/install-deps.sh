#!/usr/bin/env bash
# Installs the Debian packages a part of the project needs, and only those
# that are missing; quiet when everything is present.
# Usage: scripts/install-deps.sh [GROUP...]   (default: run)
#   run     build and start the program
#   test    build and run the Linux tests (also on a real X server, and under strace)
#   faults  the sanitizer build and the fuzzer (clang)
#   win32   the Windows cross build and its tests under Wine
#   package the release archives (the Linux and the Windows build)
set -euo pipefail

want=()
for group in "${@:-run}"; do
    case "$group" in
    run) want+=(g++ make cmake qt6-base-dev fonts-liberation) ;;
    test) want+=(g++ make cmake qt6-base-dev fonts-liberation libgtest-dev xvfb xauth xdotool desktop-file-utils strace) ;;
    package) want+=(g++ make cmake qt6-base-dev g++-mingw-w64-i686) ;;
    faults) want+=(g++ make cmake libgtest-dev clang libclang-rt-14-dev strace) ;;
    win32)
        want+=(
            cmake make
            g++-mingw-w64-i686 # the 32-bit cross compiler, linker and windres
            googletest         # gtest sources, cross-compiled with the tests
            wine wine32:i386   # runs the tests; wine32 needs the i386 architecture
            fonts-wine         # Wine's own fonts: Marlett for the caption buttons, MS Sans Serif
            fonts-liberation   # Liberation Mono where "Courier New" is asked for
            xvfb xauth xdotool # a headless display and real X clicks
            unzip              # the release zip, unpacked by its test
        )
        ;;
    *)
        echo "unknown group: $group" >&2
        exit 2
        ;;
    esac
done

need_i386=0
if [[ " ${want[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_i386=1
fi

missing=()
for pkg in "${want[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || [[ " ${missing[*]} " == *" $pkg "* ]] || missing+=("$pkg")
done
[ $need_i386 -eq 0 ] && [ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if [ $need_i386 -eq 1 ]; then
    echo "Adding the i386 architecture for wine32"
    $sudo dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
