#!/usr/bin/env bash
# Installs the Debian packages needed to build and run the game, its tests and its
# benchmarks. Does nothing when every package is already present.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libsdl2-dev
  zlib1g-dev libpng-dev libdeflate-dev libjpeg62-turbo-dev
  libogg-dev libvorbis-dev libmpg123-dev libmp3lame-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
  libxxhash-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libfluidsynth-dev timgm6mb-soundfont
  # The start-up question, drawn with the desktop's fonts so that its
  # Japanese text shows (fonts-ipafont-gothic above).
  zenity
  # An X server of the tests' own for the full-screen test, and Xlib to read
  # its screen.
  xvfb libx11-dev
)

bash "$(dirname "$0")/apt-install.sh" "${packages[@]}"
