#!/usr/bin/env bash
# Installs what the Windows cross build and its tests under Wine need, and
# only what is missing. Quiet when everything is present.
set -euo pipefail

want=(
    cmake make
    g++-mingw-w64-i686   # the 32-bit cross compiler, linker and windres
    googletest           # gtest sources, cross-compiled with the tests
    wine wine32          # runs the tests; wine32 needs the i386 architecture
    fonts-wine           # Wine's own fonts: Marlett for the caption buttons, MS Sans Serif
    fonts-liberation     # Liberation Mono where "Courier New" is asked for
    xvfb xauth           # a headless display for the window's tests
    xdotool              # real X mouse clicks
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

need_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_i386=1
fi

missing=()
for pkg in "${want[@]}"; do
    case "$pkg" in wine32) name="wine32:i386" ;; *) name="$pkg" ;; esac
    status=$(dpkg-query -W -f='${Status}' "$name" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$name")
done
[ $need_i386 -eq 0 ] && [ ${#missing[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
if [ $need_i386 -eq 1 ]; then
    echo "Adding the i386 architecture for wine32"
    $sudo dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
