#!/usr/bin/env bash
# Takes docs/screenshot-win32.png: tolmarin.exe under Wine on Xvfb, with a
# few entries, a picked date and a branch typed in. Uses the build that
# scripts/test-win32.sh tested here: the 32-bit one under wine32, or where
# this host cannot run 32-bit programs (or TOLMARIN_WINE_ARCH=64) the 64-bit
# one under wine64.
# Usage: scripts/screenshot-win32.sh [build-dir]   (after scripts/test-win32.sh)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-arch.sh"
if [ "${1:-}" = --under-xvfb ]; then
    build=$2
else
    wine_choose "$root/build-win32"
    build=$(realpath -m "${1:-$root/build-win$wine_arch}")
fi
exe="$build/win32/tolmarin.exe"
probe="$build/win32/tests/win32_probe.exe"
[ -f "$exe" ] && [ -f "$probe" ] || { echo "build first: scripts/test-win32.sh" >&2; exit 1; }

if [ "${1:-}" != --under-xvfb ]; then
    "$root/scripts/install-deps.sh" "win$wine_arch" screenshot
    unset DISPLAY
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --under-xvfb "$build"
fi

export WINEPREFIX="$build/wineprefix-screenshot" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8 LANG=C.UTF-8
"$root/scripts/wine-prefix-win32.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/"
# Sample entries, stored in Windows-1252 as the program itself would.
printf '%s\r\n' \
    "07 Mar 2016  Main             Audit                         " \
    "14 Mar 2016  Head Office      Quarterly review              " \
    "02 Jun 2017  Zürich Süd       Prüfung der Bücher            " \
    "19 Sep 2018  Harbour Road     Staff training                " \
    "31 Jan 2020  Main             Year-end stock count          " |
    iconv -f UTF-8 -t CP1252 >"$work/TOLM.LyS"
printf '%s\r\n' "Main" "Head Office" "Zürich Süd" "Harbour Road" | iconv -f UTF-8 -t CP1252 >"$work/Branch.LyS"
printf '%s\r\n' "Audit" "Quarterly review" "Prüfung der Bücher" | iconv -f UTF-8 -t CP1252 >"$work/Reason.LyS"

(cd "$work" && exec "$WINELOADER" tolmarin.exe) &
app=$!
sleep 1
declare -A X Y W H
while read -r name x y w h _; do
    X[$name]=$x Y[$name]=$y W[$name]=$w H[$name]=$h
done < <("$WINELOADER" "$probe" controls | tr -d '\r')
click() { xdotool mousemove --sync "$1" "$2" click 1; sleep 0.4; }
# A date half picked: the pop-up list shows the months over the entries.
click $((X[Label1] + 20)) $((Y[Label1] + H[Label1] / 2))
while read -r name x y w h _; do
    [ "$name" = CLyS.items ] && items=("$x" "$y" "$w" "$h")
done < <("$WINELOADER" "$probe" controls | tr -d '\r')
click $((items[0] + 20)) $((items[1] + 11 * items[2] + items[2] / 2)) # 12
click $((X[Text1] + 20)) $((Y[Text1] + H[Text1] / 2))
xdotool type --delay 40 "Harbour Road"
sleep 0.5

# The whole window, frame and caption included: from the caption's top to
# a few pixels below the client area.
read -r wx wy ww wh < <(xdotool search --name '^Tolmarin$' getwindowgeometry --shell | awk -F= '
    /^X=/ {x=$2} /^Y=/ {y=$2} /^WIDTH=/ {w=$2} /^HEIGHT=/ {h=$2} END {print x, y, w, h}')
import -window root -crop "${ww}x${wh}+${wx}+${wy}" +repage "$root/docs/screenshot-win32.png"
"$WINELOADER" "$probe" close >/dev/null
wait "$app" || true
"$WINESERVER" -w
echo "wrote docs/screenshot-win32.png (${ww}x${wh})"
