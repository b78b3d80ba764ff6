#!/usr/bin/env bash
# Installs what is missing, builds the game and runs it.
#   scripts/run.sh [--data=DIR] [other brimal options]
# Without --data the game runs in the sample data set, kept with the player's
# saves and settings in $XDG_DATA_HOME/brimal/sample-data (by default
# ~/.local/share/brimal/sample-data). The set is generated there when it is
# missing and again whenever the generator has changed; a regeneration
# renews the set's pictures, sounds and level files and keeps the save slots
# and the settings files (config_data.dat, pad.dat) that exist.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=build/release
# The same configuration as the test command's optimised build, which tests
# this program; only the game is built here.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMAL_SANITIZE=OFF
# BRIMAL_BUILD_JOBS limits the compile jobs (every core by default).
build_jobs=${BRIMAL_BUILD_JOBS:-$(nproc 2>/dev/null || echo 2)}
cmake --build "$build" -j "$build_jobs" --target brimal

args=("$@")
have_data=0
for a in "${args[@]}"; do
  case "$a" in --data=*) have_data=1 ;; esac
done
if [ "$have_data" -eq 0 ]; then
  home_data="${XDG_DATA_HOME:-$HOME/.local/share}/brimal"
  set_dir="$home_data/sample-data"
  # Touched after each generation: a generator newer than it (rebuilt because
  # it changed) or a set without its data folder means generating again.
  stamp="$home_data/sample-data.stamp"
  cmake --build "$build" -j "$build_jobs" --target make_sample_data
  generator="$build/tools/sample_data/make_sample_data"
  if [ ! -d "$set_dir/data" ] || [ ! -f "$stamp" ] || [ "$generator" -nt "$stamp" ]; then
    mkdir -p "$home_data"
    echo "Generating the sample data set in $set_dir"
    "$generator" "$set_dir"
    touch "$stamp"
  fi
  args=("--data=$set_dir" "${args[@]}")
fi

exec "$build/app/brimal" "${args[@]}"
