#!/usr/bin/env bash
# Starts the real program beside a data file it cannot open: it must show a
# message instead of the window and, once that is closed, exit non-zero
# without touching the files. Usage: real_x_startup_failure.sh PATH/TO/tolmarin
set -euo pipefail

program=$1
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
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
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) sleep 0.2 key Return

status=0
timeout 10 tail --pid="$pid" -f /dev/null || { echo "the program did not end"; exit 1; }
wait "$pid" || status=$?
if [ "$status" -eq 0 ]; then
    echo "the program ended with status 0"
    exit 1
fi
cmp -s "$work/TOLM.LyS" <(printf 'entry\r\n') || { echo "the entry log changed"; exit 1; }
[ ! -e "$work/Reason.LyS" ] || { echo "the reason list was created after the failure"; exit 1; }
echo "message shown, exit status $status"
