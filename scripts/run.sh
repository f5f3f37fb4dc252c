#!/usr/bin/env bash
# Installs what is missing, builds the program, installs it into a folder of
# its own and starts it from there. The data files live in that folder, so
# the build folder can be deleted at any time. Running it again replaces the
# program and never touches the data files.
#   TOLMARIN_HOME   the folder (default ~/Tolmarin); a relative one is taken
#                   from the folder you run this script in
set -euo pipefail
home=$(realpath -m "${TOLMARIN_HOME:-$HOME/Tolmarin}")
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTOLMARIN_TESTS=OFF -DTOLMARIN_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"

# Earlier versions ran the program inside the build folder, where it kept
# its data files: carry them over once, into a folder that has none yet.
data_files=(TOLM.LyS Branch.LyS Reason.LyS)
has_data() {
    for f in "${data_files[@]}"; do [ ! -e "$1/$f" ] || return 0; done
    return 1
}
if has_data build/app && ! has_data "$home"; then
    mkdir -p "$home"
    for f in "${data_files[@]}"; do
        [ ! -f "build/app/$f" ] || cp -p "build/app/$f" "$home/$f"
    done
    echo "Copied your data files from build/app to $home; the program uses the copies from now on."
fi

cmake --install build --prefix "$home" --strip --component Unspecified >/dev/null
# Without a menu entry the program still runs; say so and go on.
"$home/add-to-menu.sh" || echo "Tolmarin was not added to the menu; start it as $home/tolmarin."
echo "Tolmarin is in $home, with its data files."
exec "$home/tolmarin"
