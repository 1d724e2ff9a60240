#!/usr/bin/env bash
# Installs every Debian package that building, running and testing QuiltMap needs.
# Safe to run again; does nothing slow when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  zlib1g-dev libspng-dev
  libgtest-dev libgmock-dev googletest python3-jsonschema
  clang libclang-rt-14-dev
  fonts-wine fonts-liberation2 fontconfig
  xvfb xauth x11-apps imagemagick tiled xdotool
  desktop-file-utils appstream lintian dpkg-dev file man-db bash-completion
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
