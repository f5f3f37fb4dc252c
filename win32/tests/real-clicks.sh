#!/usr/bin/env bash
# Drives tolmarin.exe under Wine with real X mouse clicks and key presses
# (xdotool on the Xvfb display), as a user would:
#  - a date picked in the pop-up list by clicks and a key, an over-long
#    branch typed where the focus went after the year and cut to 16
#    characters when left, an over-long reason typed, Enter and Escape
#    pressed, then Save clicked while the reason field still has the focus:
#    Enter must not save, and the file holds one line with the reason cut to
#    16 characters;
#  - a year chosen with a key while the button is held on the list: the rest
#    of that press picks nothing more;
#  - a start-up failure: the message box names the file, the exit code is 1.
# Usage: real-clicks.sh tolmarin.exe win32_probe.exe
set -euo pipefail

exe=$1
probe=$2
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The loader and server that scripts/test-win32.sh chose (wine32 or wine64).
: "${WINELOADER:=wine}" "${WINESERVER:=wineserver}"
: "${DISPLAY:?needs an X display (run under xvfb-run)}"

work=$(mktemp -d)
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Reads the control rectangles into X, Y, W, H, SHOWN, the texts into TEXT
# and CLyS's items into ITEMS.
declare -A X Y W H SHOWN TEXT
ITEMS=()
read_controls() {
    local out name rest
    out=$("$WINELOADER" "$probe" controls | tr -d '\r') || fail "the window did not appear"
    while read -r name rest; do
        case "$name" in
        CLyS.items) read -r -a ITEMS <<<"$rest" ;; # left, top, item height, first visible, count
        *.text) TEXT[${name%.text}]=$rest ;;
        *) read -r "X[$name]" "Y[$name]" "W[$name]" "H[$name]" "SHOWN[$name]" <<<"$rest" ;;
        esac
    done <<<"$out"
}

# Waits until a condition on the controls holds: Wine handles the X events
# in its own time.
wait_until() {
    local what=$1
    shift
    for _ in $(seq 50); do
        read_controls
        if "$@"; then return 0; fi
        sleep 0.1
    done
    fail "$what"
}
picker_shown() { [ "${SHOWN[CLyS]}" = "$1" ]; }
picker_count() { [ "${SHOWN[CLyS]}" = 1 ] && [ "${ITEMS[4]}" = "$1" ]; }
text_is() { [ "${TEXT[$1]}" = "$2" ]; }

click_at() {
    xdotool mousemove --sync "$1" "$2" click 1
}
click_control() { click_at $((X[$1] + ${2:-W[$1] / 2})) $((Y[$1] + H[$1] / 2)); }
item_at() { # index in CLyS: sets item_x, item_y on the display
    item_x=$((ITEMS[0] + 20)) item_y=$((ITEMS[1] + ($1 - ITEMS[3]) * ITEMS[2] + ITEMS[2] / 2))
}
click_item() {
    item_at "$1"
    click_at "$item_x" "$item_y"
}

# --- Saving with real clicks -------------------------------------------------
mkdir "$work/ok"
cp "$exe" "$work/ok/tolmarin.exe"
(cd "$work/ok" && exec "$WINELOADER" tolmarin.exe) &
app_pid=$!
read_controls
picker_shown 0 || fail "CLyS is shown at start"

click_control Label1
wait_until "a click on Label1 did not show the days" picker_count 31
click_item 6 # 07
wait_until "the day did not bring the months" picker_count 12
# The refill was no choice, and a key that moves the selection chooses: the
# first Down picks the first month.
xdotool key Down
wait_until "Down did not choose January" picker_count 5
click_item 0 # 2016
wait_until "the year did not hide CLyS and show the date" text_is Label1 "07 Jan 2016"
picker_shown 0 || fail "CLyS is still shown after the year"

# The focus has gone on to the branch field.
xdotool type --delay 30 "Main office of the east"
wait_until "typing after the year did not reach Text1" text_is Text1 "Main office of the east"
click_control Text2 20
wait_until "leaving Text1 did not cut it to 16 characters" text_is Text1 "Main office of t"
xdotool type --delay 30 "Prufung der Bucher 2016"
# Still uncut: the cap runs only when the focus leaves. Enter does not save.
wait_until "typing did not reach Text2" text_is Text2 "Prufung der Bucher 2016"
xdotool key Return Escape
click_control Command1 # the focus is still in Text2
wait_until "Save did not reset the inputs" text_is Label1 "DATE"

expected=$(printf '07 Jan 2016  Main office of t Prufung der Buch              \r\n')
for _ in $(seq 50); do
    [ -s "$work/ok/TOLM.LyS" ] && break
    sleep 0.1
done
actual=$(cat "$work/ok/TOLM.LyS" 2>/dev/null || true)
if [ "$actual" != "$expected" ]; then
    printf 'TOLM.LyS holds:\n' >&2
    od -c "$work/ok/TOLM.LyS" >&2 || true
    fail "the saved line is not the capped entry"
fi
[ "$(cat "$work/ok/Reason.LyS")" = "$(printf 'Prufung der Buch\r\n')" ] || fail "Reason.LyS is wrong"

# The year chosen with a key during a press hides the list and moves the
# focus on: the list must not take its release, or its focus leaving, for a
# second choice ("07 Jan 2017 2017").
click_control Label1
wait_until "a second click on Label1 did not show the days" picker_count 31
click_item 6
wait_until "the day did not bring the months again" picker_count 12
xdotool key Down
wait_until "Down did not choose January again" picker_count 5
item_at 0 # 2016, pressed and held
xdotool mousemove --sync "$item_x" "$item_y" mousedown 1
xdotool key Down
wait_until "Down during a press did not choose 2017 alone" text_is Label1 "07 Jan 2017"
xdotool mouseup 1 type x # typed once the release is handled
wait_until "typing after the release did not reach Text1" text_is Text1 x
text_is Label1 "07 Jan 2017" || fail "the release chose again: ${TEXT[Label1]}"

"$WINELOADER" "$probe" close >/dev/null
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" = 0 ] || fail "closing the window gave exit code $status"
echo "saved by real clicks: $(tr -d '\r' <"$work/ok/TOLM.LyS")"

# --- A start-up failure ------------------------------------------------------
mkdir -p "$work/broken/Branch.LyS" # a folder where the branch list belongs
cp "$exe" "$work/broken/tolmarin.exe"
(cd "$work/broken" && exec "$WINELOADER" tolmarin.exe) &
app_pid=$!
message=$("$WINELOADER" "$probe" message | tr -d '\r') || fail "no message box at start-up"
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" = 1 ] || fail "a failed start-up gave exit code $status"
case "$message" in
*Branch.LyS*) ;;
*) fail "the message does not name the file: $message" ;;
esac
echo "start-up failure reported: $message"
