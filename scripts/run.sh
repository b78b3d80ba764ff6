#!/usr/bin/env bash
# Installs what is missing, builds the game and runs it.
#   scripts/run.sh [--data=DIR] [other brimal options]
# Without --data the game runs in the sample data folder that the build
# generates (build/release/sample-data), when the generator exists.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMAL_TESTS=OFF
cmake --build "$build" --target brimal

args=("$@")
have_data=0
for a in "${args[@]}"; do
  case "$a" in --data=*) have_data=1 ;; esac
done
if [ "$have_data" -eq 0 ]; then
  data="$build/sample-data"
  if cmake --build "$build" --target sample_data >/dev/null 2>&1; then
    args=("--data=$data" "${args[@]}")
  else
    mkdir -p "$data"
    args=("--data=$data" "${args[@]}")
  fi
fi

exec "$build/app/brimal" "${args[@]}"
