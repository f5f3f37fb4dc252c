#!/bin/sh
# Puts Tolmarin into this user's desktop menu: a menu entry that starts the
# tolmarin beside this script, and its icons. Run it again after moving the
# folder. "add-to-menu.sh --remove" takes the entry and the icons out again.
set -eu

here=$(cd "$(dirname "$0")" && pwd -P)
data=${XDG_DATA_HOME:-$HOME/.local/share}
entry=$data/applications/tolmarin.desktop

if [ "${1:-}" = --remove ]; then
    rm -f "$entry" "$data"/icons/hicolor/*/apps/tolmarin.png
    echo "Removed Tolmarin from the menu."
    exit 0
fi

case $here in
*'
'*)
    echo "Cannot add Tolmarin to the menu: the folder name $here holds a line break." >&2
    exit 1
    ;;
esac

# The menu runs the Exec line itself, not through a shell: the path goes in
# double quotes, where \ " ` $ take a backslash and % is doubled, and every
# backslash is doubled once more because the value is an escaped string.
quoted=$(printf '%s/tolmarin\n' "$here" | sed -e 's/\\/\\\\\\\\/g' -e 's/["`$]/\\\\&/g' -e 's/%/%%/g')

for png in "$here"/share/icons/hicolor/*/apps/tolmarin.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    mkdir -p "$data/icons/hicolor/$size/apps"
    cp "$png" "$data/icons/hicolor/$size/apps/tolmarin.png"
done

mkdir -p "$data/applications"
EXEC_PATH=$quoted awk '/^Exec=/ { print "Exec=\"" ENVIRON["EXEC_PATH"] "\""; next } 1' \
    "$here/share/applications/tolmarin.desktop" >"$entry.tmp"
mv "$entry.tmp" "$entry"
echo "Added Tolmarin to the menu: $entry"
