#!/bin/sh
# Runs a Windows program under Wine for ctest. The caller chooses the prefix
# (WINEPREFIX) and the loader (WINELOADER: wine32 or wine64, see
# scripts/wine-arch.sh); the defaults keep Wine quiet and skip its Mono and
# Gecko installers, which a test never needs.
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "${WINELOADER:-wine}" "$@"
