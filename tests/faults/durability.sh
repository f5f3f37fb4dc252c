#!/usr/bin/env bash
# Durability seen at the real system calls: strace watches save_child start
# in an empty folder, which creates the three data files; they are removed,
# and one entry with a new branch and reason is saved, which creates and
# writes all three again. Every write must be followed by an fdatasync or
# fsync of its file, and every file created by an fsync of its folder, before
# the file is closed; every write must come after taking the write lock on the
# file (F_SETLK), and the sync before letting it go.
# With WINE_RUN, save_child is the Windows build, run by Wine, which turns
# FlushFileBuffers into fsync. Wine's server opens and creates the files and
# keeps the locks, out of the trace: a file written there counts as created
# (it was removed), and the locks go unchecked.
# Usage: durability.sh SAVE_CHILD [WINE_RUN]     (exit 77: skipped)
set -euo pipefail
save_child=$1 wine_run=${2:-}
run=("$save_child")
if ! command -v strace >/dev/null; then
    echo "strace is needed: scripts/install-deps.sh test (or win32, win64)" >&2
    exit 1
fi
work=$(cd "$(mktemp -d)" && pwd -P) # strace -y shows the real path
trap 'rm -rf "$work"' EXIT
if ! strace -o /dev/null true 2>/dev/null; then
    echo "strace cannot trace processes here: skipped"
    exit 77
fi
mkdir "$work/data"
folder=$work/data
if [ -n "$wine_run" ]; then
    # Drive Z: is the root; a wine server already running stays out of the
    # trace (this one only starts where none runs, and ends 30 s after).
    folder="Z:${folder//\//\\}"
    run=("$wine_run" "$save_child")
    "${WINESERVER:-wineserver}" -p30 2>/dev/null || true
fi
# LeakSanitizer cannot work under ptrace; the other tests check for leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# -y shows beside each descriptor the path it is open on; -f follows Wine's threads.
strace ${wine_run:+-f} -qq -y -s 4096 -e trace=open,openat,fcntl,write,pwrite64,fdatasync,fsync,close \
    -o "$work/calls" "${run[@]}" "$folder" d 1 remove >/dev/null
awk -v folder="$work/data" -v wine="${wine_run:+1}" '
{
    line = $0
    sub(/^[0-9]+ +/, "", line) # the thread, with -f
    if (line ~ /^<\.\.\./)
        next # the end of a call, shown at its start
    call = substr(line, 1, index(line, "(") - 1)
    result = line
    if (sub(/.*\) += /, "", result) && result + 0 < 0)
        next
    if (call ~ /^open/) { # open(at)(..., "PATH", FLAGS) = FD<PATH>
        split(line, quoted, "\"")
        if (!wine && index(line, "O_CREAT")) { created[quoted[2]]++; folderDue[quoted[2]] = 1 }
        next
    }
    arg = substr(line, index(line, "(") + 1) # FD<PATH>, ...
    fd = arg; sub(/[<,)].*/, "", fd)
    path = arg; sub(/^[0-9]+</, "", path); sub(/>.*/, "", path)
    file = path ~ /\.LyS$/ ? path : ""
    if (call == "fcntl" && index(line, "F_SETLK, {l_type=F_WRLCK")) locked[fd] = 1
    else if (call == "fcntl" && index(line, "F_UNLCK")) locked[fd] = 0
    else if (file != "" && call ~ /write/) {
        written[file]++; dataDue[file] = 1
        if (wine) folderDue[file] = 1
        else if (!locked[fd]) { print file ": written without taking the append lock"; failed = 1 }
    }
    else if (file != "" && (call == "fdatasync" || call == "fsync")) {
        dataDue[file] = 0
        if (!wine && !locked[fd]) { print file ": synced after letting the append lock go"; failed = 1 }
    }
    else if (call == "fsync" && path == folder) for (f in folderDue) folderDue[f] = 0
    else if (file != "" && call == "close") {
        if (dataDue[file]) { print file ": closed with a write not synced"; failed = 1 }
        if (folderDue[file]) { print file ": created and closed before its folder was synced"; failed = 1 }
    }
    if (call == "close")
        delete locked[fd]
}
END {
    split("TOLM.LyS Branch.LyS Reason.LyS", names, " ")
    for (i = 1; i <= 3; i++) {
        f = folder "/" names[i]
        if (written[f] != 1 || (!wine && created[f] != 2)) {
            print f ": " (wine ? "" : "created " created[f] + 0 " times (not twice) and ") "written " written[f] + 0 " (not once)"
            failed = 1
        }
    }
    if (!failed) print "every write " (wine ? "" : "locked and ") "synced, every new file synced, before the close"
    exit failed
}' "$work/calls"
