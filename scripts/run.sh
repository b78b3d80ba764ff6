#!/usr/bin/env bash
# Installs what is missing, builds the game and runs it.
#   scripts/run.sh [--data=DIR] [other brimal options]
# Without --data the game runs in the sample data set, which the build
# generates into build/release/sample-data (again whenever the generator has
# changed).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=build/release
# The same configuration as the test command's optimised build, which tests
# this program; only the game is built here.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMAL_SANITIZE=OFF
cmake --build "$build" --target brimal

args=("$@")
have_data=0
for a in "${args[@]}"; do
  case "$a" in --data=*) have_data=1 ;; esac
done
if [ "$have_data" -eq 0 ]; then
  # A set that was removed is generated again.
  [ -f "$build/sample-data/pad.dat" ] || rm -f "$build/sample-data.stamp"
  cmake --build "$build" --target sample_data
  args=("--data=$build/sample-data" "${args[@]}")
fi

exec "$build/app/brimal" "${args[@]}"
