#!/usr/bin/env bash
# Installs, from Debian's packages, whatever of the build and test tools and of the
# fonts that the windows are drawn with is missing.
# With --ci also the validators that CI runs on the installed desktop files.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation2)
if [ "${1:-}" = "--ci" ]; then
  packages+=(desktop-file-utils appstream)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
