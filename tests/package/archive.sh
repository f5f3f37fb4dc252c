#!/usr/bin/env bash
# Makes the Linux release archive from the build with CPack, as
# scripts/package.sh does, unpacks it and checks what a user finds in it.
# Usage: archive.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2

. "$(dirname "$0")/../support/program.sh"
command -v desktop-file-validate >/dev/null ||
    fail "desktop-file-validate is missing: run scripts/install-deps.sh test"

cpack -G TGZ --config "$build/CPackConfig.cmake" -B "$tmp" >/dev/null
top=tolmarin-$version-linux-x86_64
archive=$tmp/$top.tar.gz
[ -f "$archive" ] || fail "no $top.tar.gz among: $(ls "$tmp")"

. "$(dirname "$0")/installed-files.sh"
listing=$(tar -tzf "$archive" | grep -v '/$' | sort)
[ "$listing" = "$(installed_files "$top" archive)" ] ||
    fail "the archive's files differ: $(diff <(installed_files "$top" archive) <(echo "$listing"))"

tar -xzf "$archive" -C "$tmp"
[ -x "$tmp/$top/tolmarin" ] && [ "$(head -c 4 "$tmp/$top/tolmarin" | od -An -c | tr -d ' ')" = '177ELF' ] ||
    fail "tolmarin is not an executable program"
[ -x "$tmp/$top/add-to-menu.sh" ] || fail "add-to-menu.sh is not executable"
desktop-file-validate "$tmp/$top/share/applications/tolmarin.desktop" || fail "desktop entry"
for text in "Tolmarin $version" "folder of its own" TOLM.LyS add-to-menu.sh libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -qF "$text" "$tmp/$top/README.txt" || fail "README.txt does not say \"$text\""
done
echo "$top.tar.gz holds $(wc -l <<<"$listing") files as expected"
