#!/usr/bin/env bash
# Makes a fresh Wine prefix at $WINEPREFIX for running tolmarin.exe headless:
# no window manager (Wine draws the frames), and Wine's own fonts in the
# prefix's Fonts folder, since Debian's Wine does not load them from
# /usr/share/wine/fonts by itself: without them there is no "MS Sans Serif"
# and no Marlett for the caption buttons.
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
if [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
fi
wineserver -w
