#!/usr/bin/env bash
# Drives the real program on a real X server with real pointer clicks and
# key presses: the field length cap relies on focus order under a window
# system, which only a real one shows. Usage: real_x_save.sh PATH/TO/tolmarin
set -euo pipefail

program=$1
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$program" "$work/tolmarin"

"$work/tolmarin" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tolmarin$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"

# Positions inside the window, in pixels from its client area's corner.
click() {
    xdotool mousemove $((X + $1)) $((Y + $2)) sleep 0.1 click 1
    sleep 0.3
}
click 22 482         # Label1, in the frame at y 456
click 308 64         # first row of the day list: 01
click 308 64         # January
click 308 64         # 2016
click 126 482        # Text1
xdotool type --delay 30 'ABCDEFGHIJKLMNOPQRST'
click 316 482        # Text2
xdotool type --delay 30 'Audit'
click 450 512        # Save, straight from the reason field
sleep 0.5

check() { # file, expected bytes followed by "_" (which keeps the line end through $(...))
    if ! cmp -s "$work/$1" <(printf '%s' "${2%_}"); then
        echo "$1 holds:"; od -c "$work/$1" | head -n 20
        exit 1
    fi
}
check TOLM.LyS "$(printf '01 Jan 2016  ABCDEFGHIJKLMNOP Audit%25s\r\n_' '')"
check Branch.LyS "$(printf 'ABCDEFGHIJKLMNOP\r\n_')"
check Reason.LyS "$(printf 'Audit\r\n_')"
echo "saved line as expected"
