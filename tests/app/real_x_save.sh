#!/usr/bin/env bash
# Drives the real program on a real X server with real pointer clicks and
# key presses, focus changes as a window system makes them: a date picked,
# an over-long branch typed and left (which cuts it), shortened, an over-long
# reason typed and Save clicked straight from it (Save cuts it).
# Usage: real_x_save.sh PATH/TO/tolmarin PATH/TO/form_rect
set -euo pipefail

program=$1
form_rect=$2
work=$(mktemp -d)
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$program" "$work/tolmarin"

"$work/tolmarin" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tolmarin$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"

# Clicks a control, found by name, a few pixels inside its left edge (the
# first row of a list) or at its middle.
click() { # name [near-top]
    local left top width height
    read -r left top width height < <("$form_rect" "$1")
    local y=$((top + height / 2))
    [ "${2:-}" = near-top ] && y=$((top + 4))
    xdotool mousemove $((X + left + 6)) $((Y + y)) click 1
}
click Label1
click CLyS near-top # 01
click CLyS near-top # January
click CLyS near-top # 2016
click Text1
xdotool type --delay 30 'ABCDEFGHIJKLMNOPQRST'
click Text2 # leaving Text1 cuts it to 16 characters
click Text1
xdotool key End BackSpace BackSpace # 14 left, which Save keeps (18 uncut: Save's cut keeps 16)
click Text2
xdotool type --delay 30 'Audit of the year 2016'
click Command1 # straight from the reason field

# The reason list is written last; wait for it, then check all three.
for _ in $(seq 100); do
    [ -s "$work/Reason.LyS" ] && break
    sleep 0.1
done
check() { # file, expected bytes followed by "_" (which keeps the line end through $(...))
    if ! cmp -s "$work/$1" <(printf '%s' "${2%_}"); then
        echo "$1 holds:"; od -c "$work/$1" | head -n 20
        exit 1
    fi
}
check TOLM.LyS "$(printf '01 Jan 2016  ABCDEFGHIJKLMN   Audit of the yea%14s\r\n_' '')"
check Branch.LyS "$(printf 'ABCDEFGHIJKLMN\r\n_')"
check Reason.LyS "$(printf 'Audit of the yea\r\n_')"
echo "saved line as expected"
