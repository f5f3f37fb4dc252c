#!/usr/bin/env bash
# Makes the Windows setup program of a Windows build with NSIS: installs the
# build (stripped, as CPack does for the zip) into a folder of its own and
# hands that to packaging/setup.nsi with the build's version and word size.
# Prints the setup's path. Exits 3, saying why, when this NSIS cannot make a
# setup for that word size.
# Usage: make-setup.sh BUILD_DIR OUTPUT_DIR
set -euo pipefail
build=$(cd "$1" && pwd) out=$2
here=$(cd "$(dirname "$0")" && pwd)

cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache CMAKE_PROJECT_VERSION)
case $(sed -n 's/^set(CMAKE_CXX_SIZEOF_DATA_PTR "\{0,1\}\([0-9]*\).*/\1/p' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake) in
4) target=x86-unicode ;;
8) target=amd64-unicode ;;
*) echo "cannot tell the word size of the build in $build" >&2 && exit 2 ;;
esac
command -v makensis >/dev/null || {
    echo "no makensis: scripts/install-deps.sh package installs NSIS"
    exit 3
}
nsisdir=$(makensis -HDRINFO | sed -n 's/.*NSISDIR=\([^ ,]*\).*/\1/p')
[ -f "$nsisdir/Stubs/lzma_solid-$target" ] || {
    echo "this NSIS cannot make the $target setup: no $nsisdir/Stubs/lzma_solid-$target"
    exit 3
}

mkdir -p "$out"
out=$(cd "$out" && pwd)
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
cmake --install "$build" --prefix "$files" --strip >/dev/null
setup=$out/tolmarin-$version-setup.exe
makensis -V2 -NOCD -DVERSION="$version" -DTARGET="$target" -DFILES="$files" \
    -DICON="$here/../win32/tolmarin.ico" -DOUTFILE="$setup" "$here/setup.nsi" >&2
echo "$setup"
