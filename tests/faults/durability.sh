#!/usr/bin/env bash
# Durability seen at the real system calls: strace watches save_child start
# in an empty folder, which creates the three data files; they are removed,
# and one entry with a new branch and reason is saved, which creates and
# writes all three again. Every write must come after taking the write lock
# on the file (F_SETLK) and be followed, the lock still held, by an fdatasync
# or fsync of its descriptor, and every file created by an fsync of its folder, before the
# file is closed.
# Usage: durability.sh SAVE_CHILD     (exit 77: skipped)
set -euo pipefail
save_child=$1
if ! command -v strace >/dev/null; then
    echo "strace is needed: scripts/install-deps.sh test" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! strace -o /dev/null true 2>/dev/null; then
    echo "strace cannot trace processes here: skipped"
    exit 77
fi
mkdir "$work/data"
# LeakSanitizer cannot work under ptrace; the other tests check for leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
strace -qq -s 4096 -e trace=open,openat,fcntl,write,fdatasync,fsync,close -o "$work/calls" \
    "$save_child" "$work/data" d 1 remove >/dev/null
awk -v folder="$work/data" '
{
    call = substr($0, 1, index($0, "(") - 1)
    result = $0; sub(/.*\) += /, "", result); sub(/ .*/, "", result)
    if (result < 0)
        next
    if (call ~ /^open/) { # open(at)(..., "PATH", FLAGS) = FD
        split($0, quoted, "\""); path[result] = quoted[2]
        if (index($0, "O_CREAT")) { created[quoted[2]]++; folderDue[quoted[2]] = 1 }
        next
    }
    fd = substr($0, index($0, "(") + 1); sub(/[,)].*/, "", fd)
    file = path[fd] ~ /\.LyS$/ ? path[fd] : ""
    if (call == "fcntl" && index($0, "F_SETLK, {l_type=F_WRLCK")) locked[fd] = 1
    else if (call == "fcntl" && index($0, "F_UNLCK")) locked[fd] = 0
    else if (file != "" && call == "write") {
        written[file]++; dataDue[file] = 1
        if (!locked[fd]) { print file ": written without taking the append lock"; failed = 1 }
    }
    else if (file != "" && (call == "fdatasync" || call == "fsync")) {
        dataDue[file] = 0
        if (!locked[fd]) { print file ": synced after letting the append lock go"; failed = 1 }
    }
    else if (call == "fsync" && path[fd] == folder) for (f in folderDue) folderDue[f] = 0
    else if (file != "" && call == "close") {
        if (dataDue[file]) { print file ": closed with a write not synced"; failed = 1 }
        if (folderDue[file]) { print file ": created and closed before its folder was synced"; failed = 1 }
    }
    if (call == "close") {
        delete path[fd]; delete locked[fd]
    }
}
END {
    split("TOLM.LyS Branch.LyS Reason.LyS", names, " ")
    for (i = 1; i <= 3; i++) {
        f = folder "/" names[i]
        if (created[f] != 2 || written[f] != 1) {
            print f ": created " created[f] + 0 " times (not twice) and written " written[f] + 0 " (not once)"; failed = 1
        }
    }
    if (!failed) print "every write locked and synced, every new file synced, before the close"
    exit failed
}' "$work/calls"
