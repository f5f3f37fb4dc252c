#!/usr/bin/env bash
# Makes the Windows release zip from this build with CPack, as
# scripts/package.sh does, checks what a user finds in it (tolmarin.exe: a
# GUI program that imports only Windows' own DLLs, with its version
# resource; the README), then starts the unzipped tolmarin.exe:
# it makes its three data files beside itself and shows the window
# "Tolmarin". With no PROBE and EMULATOR (a host that cannot run the
# build), only the zip's contents are checked.
# Usage: zip.sh BUILD_DIR VERSION POINTER_SIZE OBJDUMP WINDRES [PROBE EMULATOR...]
set -euo pipefail
build=$1 version=$2 pointer_size=$3 objdump=$4 windres=$5 probe=${6:-}
shift $(($# < 6 ? $# : 6))
emulator=("$@")

. "$(dirname "$0")/../../tests/support/program.sh"

case $pointer_size in
4) top=tolmarin-$version-win32 magic='(PE32)' ;;
*) top=tolmarin-$version-win64 magic='(PE32+)' ;;
esac
cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$tmp" >/dev/null
[ -f "$tmp/$top.zip" ] || fail "no $top.zip among: $(ls "$tmp")"
listing=$(unzip -Z1 "$tmp/$top.zip" | grep -v '/$' | sort)
[ "$listing" = "$(printf '%s\n' "$top/README.txt" "$top/tolmarin.exe")" ] || fail "the zip holds: $listing"
unzip -q "$tmp/$top.zip" -d "$tmp"
exe=$tmp/$top/tolmarin.exe

# Notepad's line ends, and what to do with the program.
grep -qv $'\r$' "$tmp/$top/README.txt" && fail "README.txt has lines without CR LF"
for text in "Tolmarin $version" "folder of its own" TOLM.LyS Branch.LyS Reason.LyS; do
    grep -qF "$text" "$tmp/$top/README.txt" || fail "README.txt does not say \"$text\""
done

headers=$("$objdump" -p "$exe")
grep -q "^Magic.*$magic" <<<"$headers" || fail "not $magic: $(grep ^Magic <<<"$headers")"
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program"
# It must start on a bare Windows: no DLL beyond those every Windows has.
while read -r dll; do
    case "${dll^^}" in
    KERNEL32.DLL | USER32.DLL | GDI32.DLL | MSVCRT.DLL | ADVAPI32.DLL | SHELL32.DLL | COMCTL32.DLL | \
        COMDLG32.DLL | OLE32.DLL | OLEAUT32.DLL | SHLWAPI.DLL | UXTHEME.DLL | VERSION.DLL | WS2_32.DLL) ;;
    *) fail "tolmarin.exe imports $dll, which Windows does not bring" ;;
    esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
# The version resource, read back by the resource compiler.
resources=$("$windres" -i "$exe" -O rc)
for value in '"ProductName", "Tolmarin"' "\"ProductVersion\", \"$version\"" "\"FileVersion\", \"$version\""; do
    grep -qF "VALUE $value" <<<"$resources" || fail "the version resource has no $value"
done

if [ -z "$probe" ]; then
    echo "$top.zip: contents checked, not started"
    exit 0
fi
mkdir "$tmp/elsewhere"
(cd "$tmp/elsewhere" && exec "${emulator[@]}" "$exe") &
app_pid=$!
wait_for_data_files "$tmp/$top"
"${emulator[@]}" "$probe" controls >/dev/null || fail "no window with the caption \"Tolmarin\""
"${emulator[@]}" "$probe" close || fail "could not close the window"
wait "$app_pid" || fail "tolmarin.exe ended with status $?"
app_pid=
[ -z "$(ls -A "$tmp/elsewhere")" ] || fail "data files were made in the current folder"
echo "$top.zip: tolmarin.exe $version started from the unzipped folder"
