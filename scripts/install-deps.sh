#!/usr/bin/env bash
# Installs the Debian packages this project needs, and only those that are missing.
# Usage: scripts/install-deps.sh [run|test]   (default: run)
set -euo pipefail

want=(g++ make cmake qt6-base-dev fonts-liberation)
if [ "${1:-run}" = test ]; then
    want+=(libgtest-dev xvfb xauth xdotool)
fi

missing=()
for pkg in "${want[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
