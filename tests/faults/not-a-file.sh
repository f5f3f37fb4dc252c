#!/usr/bin/env bash
# Something other than a file where a data file belongs: a FIFO would block
# the program for good, a device such as /dev/zero would never end. Either
# must stop start-up at once with a message naming the file.
# Usage: not-a-file.sh SAVE_CHILD
set -euo pipefail
save_child=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for intruder in fifo /dev/zero; do
    for name in TOLM.LyS Reason.LyS; do
        rm -rf "$work/data" && mkdir "$work/data"
        if [ $intruder = fifo ]; then mkfifo "$work/data/$name"; else ln -s $intruder "$work/data/$name"; fi
        status=0
        timeout 10 "$save_child" "$work/data" t 1 >/dev/null 2>"$work/error" || status=$?
        if [ $status -ne 3 ] || ! grep -qF "start-up failed: Cannot open file $work/data/$name:" "$work/error"; then
            echo "$intruder as $name: exit status $status (124: hung), said: $(cat "$work/error")"
            failed=1
        fi
    done
done
[ $failed = 0 ] && echo "a FIFO and a device in a data file's place stop start-up at once with a message"
exit $failed
