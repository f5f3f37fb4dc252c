# shellcheck shell=bash
# Sourced by the test scripts: runs builds and tests with their output in a
# log file, prints one line per result, and keeps the counts for the final
# "N passed, M failed" line. A failure prints the end of its log.
#
# Results are appended to $TOLMARIN_RESULTS ("passed failed" per line);
# scripts/test.sh sets it for all parts, a part run alone gets its own and
# prints its own final line (report_summary).
if [ -z "${TOLMARIN_RESULTS:-}" ]; then
    TOLMARIN_RESULTS=$(mktemp)
    export TOLMARIN_RESULTS
    report_owner=1
    trap 'rm -f "$TOLMARIN_RESULTS"' EXIT
fi

seconds_since() { echo $(($(date +%s) - $1)); }

# Seconds spent in steps (configuring, building, preparing) since the last
# result line, which shows them beside its own time. A second stage of a
# part gets them through TOLMARIN_STEP_SECONDS.
step_seconds=${TOLMARIN_STEP_SECONDS:-0}
timing() { # start of the result's own run; sets $timing_text
    timing_text="$(seconds_since "$1") s"
    [ "$step_seconds" = 0 ] || timing_text+=", build and setup $step_seconds s"
    step_seconds=0
}

record() { echo "$1 $2" >>"$TOLMARIN_RESULTS"; }

# Prints a result line and what follows it in one write, so that the lines
# of parts running side by side do not mix.
say() { printf '%s\n' "$1"; }

log_tail() { # log, lines
    printf '\n  --- last lines of %s:\n' "$1"
    tail -n "${2:-40}" "$1" | sed 's/^/  | /'
}

# A step that is not itself a test (configuring, building): silent when it
# works, except for compiler warnings; a failure prints the log's end and
# counts as one failed test. Steps run at a lower priority than tests, so a
# build beside them does not slow the tests down.
step() { # what, log, command...
    local what=$1 log=$2 start status=0 warnings
    shift 2
    start=$(date +%s)
    mkdir -p "$(dirname "$log")"
    nice -n 10 "$@" >"$log" 2>&1 || status=$?
    step_seconds=$((step_seconds + $(seconds_since "$start")))
    if [ $status = 0 ]; then
        warnings=$(grep -E ': warning: ' "$log" | sort -u | sed 's/^/  /')
        [ -z "$warnings" ] || say "$what: compiler warnings"$'\n'"$warnings"
        return 0
    fi
    timing "$start"
    say "$what: FAILED ($timing_text)$(log_tail "$log")"
    record 0 1
    return 1
}

# One check counted as one test. The command may set check_detail to say
# more on the result line.
check() { # name, log, command...
    local name=$1 log=$2 start status=0
    shift 2
    start=$(date +%s)
    check_detail=""
    mkdir -p "$(dirname "$log")"
    "$@" >"$log" 2>&1 || status=$?
    timing "$start"
    if [ $status = 0 ]; then
        say "$name: passed ($timing_text${check_detail:+; $check_detail})"
        record 1 0
        return 0
    fi
    say "$name: FAILED ($timing_text)$(log_tail "$log")"
    record 0 1
    return 1
}

# ctest in a build folder: one line with its counts; a failure adds each
# failed test's output.
ctest_part() { # name, build folder, ctest arguments...
    local name=$1 build=$2 start status=0 passed failed total skipped
    shift 2
    local log="$build/ctest.log"
    start=$(date +%s)
    (cd "$build" && ctest --output-on-failure "$@") >"$log" 2>&1 || status=$?
    timing "$start"
    total=$(sed -nE 's/.* tests failed out of ([0-9]+).*/\1/p' "$log" | tail -n 1)
    failed=$(sed -nE 's/.* ([0-9]+) tests failed out of .*/\1/p' "$log" | tail -n 1)
    if [ -z "$total" ]; then
        say "$name: FAILED, no tests ran ($timing_text)$(log_tail "$log")"
        record 0 1
        return 1
    fi
    # A skipped test (one that cannot run on this host) is no pass.
    skipped=$(sed -n '/The following tests did not run:/,/^[^[:space:]]/p' "$log" | grep -c '([A-Za-z ]*)$')
    passed=$((total - failed - skipped))
    record "$passed" "$failed"
    local skipped_text=""
    [ "$skipped" = 0 ] || skipped_text=", $skipped skipped (see $log)"
    if [ "$status" = 0 ] && [ "$failed" = 0 ]; then
        say "$name: $passed passed, 0 failed$skipped_text ($timing_text)"
        return 0
    fi
    # The first three failed tests' own output, 40 lines each, then ctest's list.
    say "$name: $passed passed, $failed FAILED$skipped_text ($timing_text); whole output in $log$(
        echo
        awk '
            /^ +Start +[0-9]+:/ { next }
            /^ *[0-9]+\/[0-9]+ Test +#/ { shown = ($0 !~ / Passed /) && ++failures <= 3; lines = 0 }
            /^[0-9]+% tests passed/ { shown = 0 }
            shown && ++lines <= 41 { print "  | " $0 }
        ' "$log"
        sed -n '/The following tests FAILED/,$p' "$log" | sed 's/^/  /'
    )"
    return 1
}

# The final line over every result so far; fails when any test failed.
report_summary() {
    local passed failed
    read -r passed failed < <(awk '{ p += $1; f += $2 } END { print p + 0, f + 0 }' "$TOLMARIN_RESULTS")
    say "$passed passed, $failed failed"
    [ "$failed" = 0 ]
}
