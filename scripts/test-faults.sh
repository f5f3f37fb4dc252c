#!/usr/bin/env bash
# What CI runs beyond the default build's ctest: a bounded run of the load
# fuzzer built with clang (build-fuzz/), including one pass over a 100 MB
# single-line file made on the spot, and the whole test suite built with
# AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/).
#
# Usage: scripts/test-faults.sh
# Environment:
#   TOLMARIN_FUZZ_SECONDS  how long libFuzzer runs (default 30; 600 with TOLMARIN_LONG=1)
#   TOLMARIN_LONG=1        long runs: 20,000 kills in the crash test, ten minutes of fuzzing
#   TOLMARIN_KILL_ITERATIONS, TOLMARIN_KILL_SEED   size or repeat a crash-test run
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh faults

# The Qt front end is built and tested too wherever it exists.
qt=OFF
if [ -f app/CMakeLists.txt ]; then
    qt=ON
    scripts/install-deps.sh test
fi
jobs=$(nproc)

# --- the load fuzzer
echo "== Fuzz build (clang, libFuzzer + ASan + UBSan)"
CXX=clang++ cmake -S . -B build-fuzz -DTOLMARIN_FUZZ=ON -DTOLMARIN_QT=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_load
# The fuzz target's data files go on tmpfs, where the Saves' syncs cost nothing.
fuzzer="env TMPDIR=/dev/shm build-fuzz/tests/fuzz_load"

# A 100 MB line, invalid UTF-8 at its end, run once as it is (libFuzzer would
# cut a corpus file to its length limit).
big=build-fuzz/big-line.seed
if [ ! -f "$big" ]; then
    { head -c 100000000 /dev/zero | tr '\0' 'x'; printf '\351'; } >"$big"
fi
echo "== One 100 MB single-line file"
$fuzzer -rss_limit_mb=4096 -timeout=300 "$big"

seconds=${TOLMARIN_FUZZ_SECONDS:-30}
[ "${TOLMARIN_LONG:-0}" = 1 ] && seconds=${TOLMARIN_FUZZ_SECONDS:-600}
echo "== Fuzzing for $seconds s"
mkdir -p build-fuzz/corpus
log=build-fuzz/fuzz.log
# New inputs go to build-fuzz/corpus; the committed seeds stay as they are.
if ! $fuzzer -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -dict=tests/fuzz/load.dict -print_final_stats=1 -artifact_prefix=build-fuzz/ \
    build-fuzz/corpus tests/fuzz/corpus >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "The fuzzer found a problem: the input is in build-fuzz/crash-* (or leak-*, timeout-*)." >&2
    exit 1
fi
grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb))' "$log"

# --- the whole test suite under ASan + UBSan
echo "== Sanitizer build (ASan + UBSan), TOLMARIN_QT=$qt"
cmake -S . -B build-asan -DTOLMARIN_SANITIZE=ON -DTOLMARIN_QT="$qt" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-asan -j"$jobs"
export UBSAN_OPTIONS=print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
(cd build-asan && ctest --output-on-failure -j"$jobs")
