#!/usr/bin/env bash
# Starts the real program beside a data file it cannot open: it must show a
# message instead of the window and, once that is closed, exit non-zero
# without touching the files. Usage: real_x_startup_failure.sh PATH/TO/tolmarin
set -euo pipefail

program=$1
work=$(mktemp -d)
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$program" "$work/tolmarin"
printf 'entry\r\n' > "$work/TOLM.LyS"
mkdir "$work/Branch.LyS" # a folder where the branch list should be

"$work/tolmarin" &
pid=$!
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tolmarin$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$box")"
if [ "$WIDTH" = 588 ] && [ "$HEIGHT" = 523 ]; then
    echo "the main window was shown instead of a message"
    exit 1
fi
# Return on the box's default button until the program has ended: the box
# may take the key only once it has the focus.
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key Return
    sleep 0.1
done
status=0
wait "$pid" || status=$?
pid=""
if [ "$status" -eq 0 ]; then
    echo "the program ended with status 0"
    exit 1
fi
cmp -s "$work/TOLM.LyS" <(printf 'entry\r\n') || { echo "the entry log changed"; exit 1; }
[ ! -e "$work/Reason.LyS" ] || { echo "the reason list was created after the failure"; exit 1; }
echo "message shown, exit status $status"
