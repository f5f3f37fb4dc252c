# Sourced by the shell tests that start the real program: a fresh temporary
# folder in $tmp, removed at exit together with the program started as
# $app_pid, and fail MESSAGE.
tmp=$(mktemp -d)
app_pid=
trap '[ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true; rm -rf "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Waits until the program $app_pid has made its three data files in FOLDER.
wait_for_data_files() { # FOLDER
    for _ in $(seq 600); do
        [ -f "$1/TOLM.LyS" ] && [ -f "$1/Branch.LyS" ] && [ -f "$1/Reason.LyS" ] && return 0
        kill -0 "$app_pid" 2>/dev/null || fail "the program ended before it made its data files in $1"
        sleep 0.1
    done
    fail "no data files in $1 after a minute"
}
