#!/usr/bin/env bash
# What CI runs beyond the default build's ctest: a bounded run of the load
# fuzzer built with clang (build-fuzz/), including one pass over a 100 MB
# single-line file made on the spot, and the whole test suite built with
# AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/). One line per
# result (see scripts/test-report.sh); exits non-zero on any failure.
#
# Usage: scripts/test-faults.sh
# Environment:
#   TOLMARIN_FUZZ_SECONDS  how long libFuzzer runs (default 30; 600 with TOLMARIN_LONG=1)
#   TOLMARIN_LONG=1        long runs: 20,000 kills in the crash test, 100,000 power cuts,
#                          ten minutes of fuzzing
#   TOLMARIN_KILL_ITERATIONS, TOLMARIN_KILL_SEED   size or repeat a crash-test run
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/test-report.sh

# The Qt front end is built and tested too wherever it exists.
qt=OFF
groups=(faults)
if [ -f app/CMakeLists.txt ]; then
    qt=ON
    groups+=(test)
fi
scripts/install-deps.sh "${groups[@]}" || { record 0 1; exit 1; }
jobs=$(nproc)
status=0

# --- the load fuzzer
# The fuzz target's data files go on tmpfs, where the Saves' syncs cost nothing.
fuzzer=(env TMPDIR=/dev/shm build-fuzz/tests/fuzz_load)
seconds=${TOLMARIN_FUZZ_SECONDS:-30}
[ "${TOLMARIN_LONG:-0}" = 1 ] && seconds=${TOLMARIN_FUZZ_SECONDS:-600}

# A 100 MB line, invalid UTF-8 at its end, run once as it is (libFuzzer would
# cut a corpus file to its length limit).
one_big_line() {
    local big=build-fuzz/big-line.seed
    if [ ! -f "$big" ]; then
        { head -c 100000000 /dev/zero | tr '\0' 'x'; printf '\351'; } >"$big"
    fi
    "${fuzzer[@]}" -rss_limit_mb=4096 -timeout=300 "$big"
}

# New inputs go to build-fuzz/corpus; the committed seeds stay as they are.
fuzz() {
    mkdir -p build-fuzz/corpus
    "${fuzzer[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -dict=tests/fuzz/load.dict -print_final_stats=1 -artifact_prefix=build-fuzz/ \
        build-fuzz/corpus tests/fuzz/corpus || {
        echo "The fuzzer found a problem: the input is in build-fuzz/crash-* (or leak-*, timeout-*)."
        return 1
    }
    check_detail=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1 inputs/p; s/^stat::new_units_added: *([0-9]+)/\1 new/p' \
        build-fuzz/logs/fuzz.log | paste -sd, | sed 's/,/, /')
}

# The fuzzer is built and run beside the sanitizer build, which takes
# longest; the two fuzzing runs take one core each.
fuzzing() {
    step "Configuring build-fuzz" build-fuzz/logs/configure.log \
        env CXX=clang++ cmake -S . -B build-fuzz -DTOLMARIN_FUZZ=ON -DTOLMARIN_QT=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
        step "Building the fuzzer" build-fuzz/logs/build.log cmake --build build-fuzz -j"$jobs" --target fuzz_load ||
        return 1
    check "Fuzzing: one 100 MB single-line file" build-fuzz/logs/big-line.log one_big_line &
    local big=$! status=0
    step_seconds=0 # told on the line above
    check "Fuzzing for $seconds s" build-fuzz/logs/fuzz.log fuzz || status=1
    wait $big || status=1
    return $status
}
fuzzing &
fuzzing_pid=$!

# --- the whole test suite under ASan + UBSan
export UBSAN_OPTIONS=print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
# -O1 and line tables only (-g1), as the sanitizers' authors advise: reports
# still name file and line, and the build takes about 40% less time.
if step "Configuring build-asan" build-asan/logs/configure.log \
    cmake -S . -B build-asan -DTOLMARIN_SANITIZE=ON -DTOLMARIN_QT="$qt" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" &&
    step "Building in build-asan" build-asan/logs/build.log cmake --build build-asan -j"$jobs"; then
    ctest_part "Sanitizer tests (build-asan, ASan + UBSan)" build-asan -j"$jobs" || status=1
else
    status=1
fi
wait $fuzzing_pid || status=1

if [ "${report_owner:-0}" = 1 ]; then
    report_summary || status=1
fi
exit $status
