#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the Linux
# build with its GUI tests, the sanitizer build and a short fuzzing run, then
# the Windows build under Wine. Every part
# runs even when an earlier one fails; the exit status says whether all passed.
set -euo pipefail
cd "$(dirname "$0")/.."

failed=()
part() { # name, command...
    local name=$1
    shift
    echo "=== $name"
    "$@" || failed+=("$name")
}

# (set -e does not act inside a function called with ||, hence the &&.)
linux() {
    scripts/install-deps.sh test &&
        cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
        cmake --build build-test -j"$(nproc)" &&
        (cd build-test && ctest --output-on-failure -j"$(nproc)")
}

part "Linux build and tests" linux
part "Sanitizers and fuzzing" scripts/test-faults.sh
part "Windows build and tests under Wine" scripts/test-win32.sh

if [ ${#failed[@]} -gt 0 ]; then
    printf 'FAILED: %s\n' "${failed[@]}"
    exit 1
fi
echo "All test parts passed."
