#!/usr/bin/env bash
# Makes a fresh Wine prefix at $WINEPREFIX for running tolmarin.exe headless:
# no window manager (Wine draws the frames), and Wine's own fonts in the
# prefix's Fonts folder, since Debian's Wine does not load them from
# /usr/share/wine/fonts by itself: without them there is no "MS Sans Serif"
# and no Marlett for the caption buttons. Uses the Wine that WINELOADER and
# WINESERVER name (see scripts/wine-arch.sh), choosing one when they are unset.
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -z "${WINELOADER:-}" ] || [ -z "${WINESERVER:-}" ]; then
    source "$(dirname "$0")/wine-arch.sh"
    wine_choose "$(dirname "$WINEPREFIX")"
fi

"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
"$WINELOADER" wineboot -i >/dev/null 2>&1
"$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
if [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
fi
"$WINESERVER" -w
