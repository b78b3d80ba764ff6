#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=build/test
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DBRIMAL_SANITIZE=ON -DBRIMAL_TESTS=ON
cmake --build "$build"
jobs=$(nproc 2>/dev/null || echo 2)
ctest --test-dir "$build" --output-on-failure -j "$jobs"
