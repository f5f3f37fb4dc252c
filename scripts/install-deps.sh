#!/usr/bin/env bash
# Installs the Debian packages a part of the project needs, and only those
# that are missing; quiet when everything is present.
# Usage: scripts/install-deps.sh [GROUP...]   (default: run)
#   run     build and start the program
#   test    build and run the Linux tests (also on a real X server, and under strace)
#   faults  the sanitizer build and the fuzzer (clang)
#   win32   the Windows build and its tests under wine32 (adds the i386
#           architecture), for hosts that run 32-bit programs
#   win64   the same tests built for 64-bit Windows under wine64, plus the
#           shipped 32-bit build checked without running it: no i386 packages
#   package the release archives (the Linux and the Windows build) and the
#           Windows setup program
#   screenshot  what scripts/screenshot-win32.sh adds (imagemagick's import)
set -euo pipefail

want=()
for group in "${@:-run}"; do
    case "$group" in
    run) want+=(g++ make cmake qt6-base-dev fonts-liberation) ;;
    test) want+=(g++ make cmake qt6-base-dev fonts-liberation libgtest-dev xvfb xauth xdotool desktop-file-utils strace) ;;
    package) want+=(g++ make cmake qt6-base-dev g++-mingw-w64-i686 nsis) ;;
    faults) want+=(g++ make cmake libgtest-dev clang libclang-rt-14-dev strace) ;;
    win32 | win64)
        want+=(
            cmake make
            g++-mingw-w64-i686 # the shipped 32-bit build: cross compiler, linker, windres, objdump
            googletest         # gtest sources, cross-compiled with the tests
            fonts-wine         # Wine's own fonts: Marlett for the caption buttons, MS Sans Serif
            fonts-liberation   # Liberation Mono where "Courier New" is asked for
            xvfb xauth xdotool # a headless display and real X clicks
            unzip              # the release zip, unpacked by its test
            nsis               # the setup program, made and run by its test
            strace             # the Saves' fsyncs, as Wine makes them
        )
        if [ "$group" = win32 ]; then
            want+=(wine wine32:i386) # wine32 needs the i386 architecture
        else
            # The tests call wine64's loader themselves: no `wine` wrapper,
            # which would run wine32 wherever that is installed.
            want+=(g++-mingw-w64-x86-64 wine64)
        fi
        ;;
    screenshot) want+=(imagemagick) ;;
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
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
    if ! command -v sudo >/dev/null; then
        echo "These packages are missing: ${missing[*]}" >&2
        echo "There is no sudo to install them: run $0 $* once as root (su -c), then again as you." >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
note=""
[ $need_i386 -eq 0 ] || note=" (adding the i386 architecture)"
echo "Installing: ${missing[*]}$note"
echo "This takes a few minutes and shows nothing more until it is done."
# apt and dpkg chatter (progress, debconf's notes) goes to a log that is
# shown only when something fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! {
    { [ $need_i386 -eq 0 ] || $sudo dpkg --add-architecture i386; } &&
        $sudo apt-get update -qq &&
        $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
} >"$log" 2>&1; then
    cat "$log" >&2
    echo "Installing ${missing[*]} failed." >&2
    exit 1
fi
