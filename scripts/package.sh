#!/usr/bin/env bash
# Makes the release archives with CPack, and the Windows setup with NSIS,
# from the committed tree (HEAD), in fresh build folders, so nothing from
# earlier builds or uncommitted edits gets in:
#   build-package/tolmarin-<version>-linux-x86_64.tar.gz
#   build-package/tolmarin-<version>-win32.zip
#   build-package/tolmarin-<version>-setup.exe
# build-package/ is emptied first, earlier archives included.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-package
jobs=$(nproc 2>/dev/null || echo 2)

"$root/scripts/install-deps.sh" package

rm -rf "$out"
mkdir -p "$out/source"
if git -C "$root" rev-parse --verify -q HEAD >/dev/null; then
    git -C "$root" archive HEAD | tar -x -C "$out/source"
    [ -z "$(git -C "$root" status --porcelain)" ] ||
        echo "Note: the archives hold the last commit, not the uncommitted changes."
else
    cp -a "$root/." "$out/source"
    rm -rf "$out/source"/build*
fi
source=$out/source

cmake -S "$source" -B "$out/linux" -DCMAKE_BUILD_TYPE=Release -DTOLMARIN_TESTS=OFF -DTOLMARIN_BENCH=OFF >/dev/null
cmake --build "$out/linux" -j "$jobs" >/dev/null
cmake -S "$source" -B "$out/win32" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchain-mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTOLMARIN_QT=OFF -DTOLMARIN_TESTS=OFF -DTOLMARIN_BENCH=OFF >/dev/null
cmake --build "$out/win32" -j "$jobs" >/dev/null
for build in linux win32; do
    cpack --config "$out/$build/CPackConfig.cmake" -B "$out" >/dev/null
done
rm -rf "$out/_CPack_Packages"
# The setup holds the same stripped tolmarin.exe and README.txt as the zip.
"$source/packaging/make-setup.sh" "$out/win32" "$out" >/dev/null
echo "Release archives:"
ls -l "$out"/tolmarin-*
