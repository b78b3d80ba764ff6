#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in the
# sanitizer build (AddressSanitizer and UndefinedBehaviorSanitizer) and in the
# optimised build that the run command makes (Release: optimised, NDEBUG, no
# sanitizers), so the program people run is the program tested. Then it
# builds the fuzzing build with clang (every game, runtime and platform source
# compiles with both compilers; nothing is fuzzed), and builds and runs the
# tests of the concurrency code with ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
# BRIMAL_BUILD_JOBS limits the compile jobs (every core by default).
build_jobs=${BRIMAL_BUILD_JOBS:-$jobs}

run_suite() {
  local build=$1
  shift
  cmake -S . -B "$build" -G Ninja "$@" -DBRIMAL_TESTS=ON
  cmake --build "$build" -j "$build_jobs"
  ctest --test-dir "$build" --output-on-failure -j "$jobs"
}

run_suite build/test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DBRIMAL_SANITIZE=ON
run_suite build/release -DCMAKE_BUILD_TYPE=Release -DBRIMAL_SANITIZE=OFF
BRIMAL_BUILD_JOBS=$build_jobs bash scripts/fuzz.sh build
BRIMAL_BUILD_JOBS=$build_jobs bash scripts/tsan.sh
