#!/usr/bin/env bash
# Builds the tests of the concurrency code with ThreadSanitizer in build/tsan
# and runs them: the stand-in layer's (socket stand-in, folder listings,
# mixer, MIDI sequencer, the SDL host) and the runtime's network layer's. A
# race, a lock misused or a lock-order inversion fails the test it arose in.
# The test command runs this; run it alone after changing that code.
#   scripts/tsan.sh [ctest options...]    e.g. -R FolderListings
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
# BRIMAL_BUILD_JOBS limits the compile jobs (every core by default).
build_jobs=${BRIMAL_BUILD_JOBS:-$jobs}

build=build/tsan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DBRIMAL_TSAN=ON -DBRIMAL_SANITIZE=OFF -DBRIMAL_TESTS=ON
cmake --build "$build" -j "$build_jobs" --target tsan_tests
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
