#!/usr/bin/env bash
# Makes the setup program of this build (packaging/make-setup.sh, as
# scripts/package.sh does) and checks it: a GUI program of the build's word
# size with its version resource. With PROBE and EMULATOR it then runs it in
# a Wine prefix of its own, as a user would: a silent install, Tolmarin
# started from the installed folder, the setup refusing to replace it while
# it runs, an upgrade over a log, a silent uninstall that keeps the log, and
# a read-only folder refused. Exits 77 when NSIS cannot make this setup.
# Usage: setup.sh BUILD_DIR VERSION POINTER_SIZE OBJDUMP WINDRES [PROBE EMULATOR...]
set -euo pipefail
build=$1 version=$2 pointer_size=$3 objdump=$4 windres=$5 probe=${6:-}
shift $(($# < 6 ? $# : 6))
emulator=("$@")
here=$(cd "$(dirname "$0")" && pwd)

. "$here/../../tests/support/program.sh"
ro=$tmp/read-only
cleanup() {
    [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
    if [ -d "$tmp/prefix" ]; then "$WINESERVER" -k 2>/dev/null || true; fi
    ! mountpoint -q "$ro" || umount "$ro"
    rm -rf "$tmp"
}
trap cleanup EXIT

status=0
setup=$("$here/../../packaging/make-setup.sh" "$build" "$tmp/out") || status=$?
if [ $status = 3 ]; then
    echo "SKIP: $setup"
    exit 77
fi
[ $status = 0 ] || fail "make-setup.sh failed"
[ "$setup" = "$tmp/out/tolmarin-$version-setup.exe" ] && [ -f "$setup" ] || fail "no setup at $setup"
case $pointer_size in
4) magic='(PE32)' ;;
*) magic='(PE32+)' ;;
esac
headers=$("$objdump" -p "$setup")
grep -q "^Magic.*$magic" <<<"$headers" || fail "not $magic: $(grep ^Magic <<<"$headers")"
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program"
hex() { od -An -tx1 -v | tr -d ' \n'; }
check_version_resource() { # EXE
    local resources value
    resources=$("$windres" -i "$1" -O rc)
    for value in '"ProductName", "Tolmarin"' "\"ProductVersion\", \"$version\"" "\"FileVersion\", \"$version\""; do
        grep -qF "VALUE $value" <<<"$resources" || fail "$(basename "$1") has no $value in its version resource"
    done
    # The program's icon: the bytes of the first image in tolmarin.ico.
    local ico=$here/../tolmarin.ico size offset
    read -r size offset < <(od -An -tu4 -j14 -N8 "$ico")
    [[ "$(hex <"$1")" == *"$(tail -c +$((offset + 1)) "$ico" | head -c "$size" | hex)"* ]] ||
        fail "$(basename "$1") does not carry the program's icon"
}
check_version_resource "$setup"
if [ -z "$probe" ]; then
    echo "$(basename "$setup"): checked, not run"
    exit 0
fi

wine() { "${emulator[@]}" "$@"; }
export WINEPREFIX=$tmp/prefix
"$here/../../scripts/wine-prefix-win32.sh"
unix_path() { wine winepath -u "$(wine cmd /c echo "$1" | tr -d '\r"')"; }
folder=$(unix_path '%LOCALAPPDATA%\Programs\Tolmarin')
shortcut=$(unix_path '%APPDATA%\Microsoft\Windows\Start Menu\Programs')/Tolmarin.lnk
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolmarin'
files=(TOLM.LyS Branch.LyS Reason.LyS)

# A folder nobody can write to, not even root: refused, nothing installed.
mkdir "$ro"
if mount -t tmpfs -o ro tmpfs "$ro" 2>/dev/null; then
    status=0
    wine "$setup" /S "/D=$(wine winepath -w "$ro")" || status=$?
    [ $status = 3 ] || fail "the setup did not refuse a read-only folder (exit status $status, not 3)"
    ! wine reg query "$key" >/dev/null 2>&1 || fail "a refused install wrote the uninstall entry"
else
    echo "read-only folder not checked: cannot mount a tmpfs here (needs root)"
fi

wine "$setup" /S || fail "the silent install ended with status $?"
headers=$("$objdump" -p "$folder/tolmarin.exe" 2>/dev/null) || fail "no tolmarin.exe in $folder"
grep -q "^Magic.*$magic" <<<"$headers" || fail "the installed tolmarin.exe is not $magic"
cp "$folder/tolmarin.exe" "$tmp/new.exe"
[ -s "$folder/README.txt" ] || fail "no README.txt in $folder"
check_version_resource "$folder/uninstall.exe"
# The shortcut names the program's Windows path (ANSI or UTF-16: no NULs).
tr -d '\0' <"$shortcut" | grep -aqF 'Programs\Tolmarin\tolmarin.exe' || fail "the Start menu shortcut does not point at tolmarin.exe"
entry=$(wine reg query "$key" | tr -d '\r')
for value in "DisplayName REG_SZ Tolmarin" "DisplayVersion REG_SZ $version" "Publisher REG_SZ The Tolmarin project" \
    'DisplayIcon REG_SZ .*\\Programs\\Tolmarin\\tolmarin.exe,0' 'InstallLocation REG_SZ .*\\Programs\\Tolmarin$' \
    'UninstallString REG_SZ ".*\\Programs\\Tolmarin\\uninstall.exe"$' 'QuietUninstallString REG_SZ ".*\\uninstall.exe" /S' \
    'EstimatedSize REG_DWORD 0x[1-9a-f]'; do
    grep -qE "^ +${value// / +}" <<<"$entry" || fail "the uninstall entry has no \"$value\": $entry"
done

# Started from the Start menu's target, it makes its log there; while it
# runs, the setup stops rather than replace it.
(cd "$tmp" && exec "${emulator[@]}" "$folder/tolmarin.exe") &
app_pid=$!
wait_for_data_files "$folder"
status=0
wine "$setup" /S || status=$?
[ $status = 4 ] || fail "the silent install went on while Tolmarin ran from $folder (exit status $status, not 4)"
cmp -s "$tmp/new.exe" "$folder/tolmarin.exe" || fail "the setup replaced a running tolmarin.exe"
wine "$probe" close || fail "could not close the window"
wait "$app_pid" || fail "tolmarin.exe ended with status $?"
app_pid=

# A Save's worth of log, and an older program: the upgrade replaces only the program.
printf '%-60s\r\n' '01/02/2018 North           Visit' >>"$folder/TOLM.LyS"
printf 'North\r\n' >>"$folder/Branch.LyS"
printf 'Visit\r\n' >>"$folder/Reason.LyS"
saved=$(cd "$folder" && sha256sum "${files[@]}")
printf 'an older program' >"$folder/tolmarin.exe"
wine "$setup" /S || fail "the upgrade ended with status $?"
cmp -s "$tmp/new.exe" "$folder/tolmarin.exe" || fail "the upgrade did not replace tolmarin.exe"
[ "$(cd "$folder" && sha256sum "${files[@]}")" = "$saved" ] || fail "the upgrade changed the log"

# The uninstaller copies itself elsewhere and returns at once: wait for the
# prefix's every process.
wine "$folder/uninstall.exe" /S || fail "the silent uninstall ended with status $?"
"$WINESERVER" -w
left=$(cd "$folder" && ls)
[ "$left" = "$(printf '%s\n' "${files[@]}" | sort)" ] || fail "after uninstalling, $folder holds: $left"
[ "$(cd "$folder" && sha256sum "${files[@]}")" = "$saved" ] || fail "the uninstall changed the log"
[ ! -e "$shortcut" ] || fail "the uninstall left the Start menu shortcut"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall left the uninstall entry"
echo "$(basename "$setup"): installed, refused to replace a running Tolmarin, upgraded, uninstalled; the log kept"
