#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the Linux
# build with its GUI tests, the sanitizer build and a short fuzzing run, and
# the Windows build under Wine. One line per result; every part runs even
# when another fails. The last line counts the tests of every part
# ("N passed, M failed"); the exit status says whether all passed. Each
# build folder keeps the whole output in logs/ and ctest.log.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

TOLMARIN_RESULTS=$(mktemp)
export TOLMARIN_RESULTS
trap 'rm -f "$TOLMARIN_RESULTS"' EXIT
source scripts/test-report.sh
source scripts/wine-arch.sh
start=$(date +%s)
jobs=$(nproc)

# The way the Windows tests go decides what they need. Everything is
# installed first, because the parts then run side by side.
wine_choose build-win32 || exit 2
if ! scripts/install-deps.sh test faults "win$wine_arch"; then
    record 0 1
    report_summary
    exit 1
fi

linux() {
    step "Configuring build-test" build-test/logs/configure.log \
        cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
        step "Building in build-test" build-test/logs/build.log cmake --build build-test -j"$jobs" &&
        ctest_part "Linux tests (build-test)" build-test -j"$jobs"
}

# The three parts run side by side, each printing its results as they come
# (one line each, so they do not mix): a part waiting on Wine, on the disk
# or on one test lets the others' builds use the cores. Builds run at a
# lower priority (see step), so the tests keep their pace.
linux &
linux_pid=$!
scripts/test-faults.sh &
faults_pid=$!
scripts/test-win32.sh &
windows_pid=$!
status=0
for pid in $linux_pid $faults_pid $windows_pid; do
    wait "$pid" || status=1
done

say "All parts: $(seconds_since "$start") s"
report_summary || status=1
exit $status
