#!/usr/bin/env bash
# Installs the Debian packages needed to build and run the game, its tests and its
# benchmarks. Does nothing when every package is already present.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libsdl2-dev
  zlib1g-dev libpng-dev libjpeg62-turbo-dev
  libogg-dev libvorbis-dev libmpg123-dev libmp3lame-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
  libxxhash-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
