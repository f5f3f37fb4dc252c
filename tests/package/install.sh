#!/usr/bin/env bash
# Installs the build into a folder of its own, as scripts/run.sh does, starts
# the installed program there and puts it into a menu; then installs again
# over it: the data files stay byte for byte and the executable is replaced.
# Usage: install.sh BUILD_DIR BUILT_TOLMARIN CHECK_ICON_PNGS
set -euo pipefail
build=$1 built=$2 check_icons=$3

. "$(dirname "$0")/../support/program.sh"
command -v desktop-file-validate >/dev/null ||
    fail "desktop-file-validate is missing: run scripts/install-deps.sh test"

# The menu entry has to quote a folder name like this one.
home="$tmp/my \$log 100%"
cmake --install "$build" --prefix "$home" --component Unspecified >/dev/null

. "$(dirname "$0")/installed-files.sh"
installed=$(cd "$home" && find . -type f | sort)
[ "$installed" = "$(installed_files .)" ] ||
    fail "installed files differ: $(diff <(installed_files .) <(echo "$installed"))"
[ -x "$home/tolmarin" ] && [ -x "$home/add-to-menu.sh" ] || fail "not executable"
"$check_icons" "$home/share/icons/hicolor" "${icon_sizes[@]}" || fail "icons"
desktop-file-validate "$home/share/applications/tolmarin.desktop" || fail "desktop entry"

# Started from another folder, the program makes its files beside itself.
mkdir "$tmp/elsewhere"
(cd "$tmp/elsewhere" && QT_QPA_PLATFORM=offscreen exec "$home/tolmarin") &
app_pid=$!
wait_for_data_files "$home"
kill "$app_pid"
wait "$app_pid" || true
app_pid=
[ -z "$(ls -A "$tmp/elsewhere")" ] || fail "data files were made in the current folder"

# A log with entries, and an older executable to be replaced.
printf '07 Mar 2016  Main             Audit                         \r\n' >"$home/TOLM.LyS"
printf 'Main\r\n' >"$home/Branch.LyS"
printf 'Audit\r\n' >"$home/Reason.LyS"
mkdir "$tmp/before"
data_files=(TOLM.LyS Branch.LyS Reason.LyS)
cp -p "${data_files[@]/#/$home/}" "$tmp/before/"
printf 'an older build\n' >"$home/tolmarin"
touch -d '2001-01-01' "$home/tolmarin"
cmake --install "$build" --prefix "$home" --component Unspecified >/dev/null
for f in "${data_files[@]}"; do
    cmp "$tmp/before/$f" "$home/$f" || fail "installing again changed $f"
done
cmp "$built" "$home/tolmarin" || fail "installing again did not replace the executable"

# The menu: an entry that starts this very executable, and the icons.
export XDG_DATA_HOME="$tmp/xdg data"
"$home/add-to-menu.sh" >/dev/null
entry="$XDG_DATA_HOME/applications/tolmarin.desktop"
desktop-file-validate "$entry" || fail "menu entry"
grep -qxF "Exec=\"$tmp/my \\\\\$log 100%%/tolmarin\"" "$entry" || fail "Exec line: $(grep Exec= "$entry")"
"$check_icons" "$XDG_DATA_HOME/icons/hicolor" "${icon_sizes[@]}" || fail "menu icons"
"$home/add-to-menu.sh" --remove >/dev/null
[ -z "$(find "$XDG_DATA_HOME" -type f)" ] || fail "--remove left files behind"
echo "installed, started, installed again and added to the menu"
