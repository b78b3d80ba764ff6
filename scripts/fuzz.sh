#!/usr/bin/env bash
# Builds the fuzzing build (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build/fuzz, makes the seed corpus and fuzzes
# one target for SECONDS seconds. The corpus grows in build/fuzz/corpus/TARGET;
# inputs that fail are written to build/fuzz/findings/TARGET/.
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
#   scripts/fuzz.sh list
#   scripts/fuzz.sh build
# `build` builds the whole fuzzing build (every fuzz target, the seed maker,
# and with them every game, runtime and platform source compiled by clang)
# and runs nothing: the test command runs it so that code only GCC takes is
# caught.
# Targets: archive, image_chain, image_bmp, image_jpeg, image_png, image_bgra,
# image_tga, image_dds, wave, line, settings, save_slots, level, movie, midi,
# net, http, options, input_script.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(archive image_chain image_bmp image_jpeg image_png image_bgra image_tga image_dds
         wave line settings save_slots level movie midi net http options input_script)
usage() {
  echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]" >&2
  echo "       scripts/fuzz.sh list | build" >&2
  echo "targets: ${targets[*]}" >&2
  exit 2
}
if [ "${1:-}" = list ]; then
  printf '%s\n' "${targets[@]}"
  exit 0
fi
mode=fuzz
if [ "${1:-}" = build ]; then
  [ $# -eq 1 ] || usage
  mode=build
  build_targets=(all)
  # The test command's own compile jobs; four when fuzzing on a shared machine.
  build_jobs=${BRIMAL_BUILD_JOBS:-$(nproc 2>/dev/null || echo 2)}
else
  [ $# -ge 2 ] || usage
  target=$1
  seconds=$2
  shift 2
  [[ " ${targets[*]} " == *" $target "* ]] || usage
  [[ "$seconds" =~ ^[0-9]+$ ]] || usage
  build_targets=("fuzz_$target" make_fuzz_seeds)
  # The machine is shared: at most four compile jobs.
  build_jobs=${BRIMAL_BUILD_JOBS:-4}
fi

bash scripts/install-deps.sh
bash scripts/install-fuzz-deps.sh

build=build/fuzz
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
seeds=$build/fuzz-seeds
mkdir -p "$build"
# Several targets may be fuzzed at once: one of them builds at a time.
(
  flock 9
  cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
    -DBRIMAL_FUZZ=ON -DBRIMAL_TESTS=OFF "${launcher[@]}" >/dev/null
  cmake --build "$build" -j "$build_jobs" --target "${build_targets[@]}"
  if [ "$mode" = fuzz ] &&
     { [ ! -f "$seeds/stamp" ] || [ "$build/tests/fuzz/make_fuzz_seeds" -nt "$seeds/stamp" ]; }; then
    rm -rf "$seeds"
    "$build/tests/fuzz/make_fuzz_seeds" "$seeds"
    touch "$seeds/stamp"
  fi
) 9>"$build/fuzz-build.lock"
if [ "$mode" = build ]; then
  exit 0
fi
# Absolute paths: the targets work in a scratch folder of their own.
corpus=$PWD/$build/corpus/$target
findings=$PWD/$build/findings/$target
mkdir -p "$corpus" "$findings"

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
exec "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" "$@" \
  "$corpus" "$PWD/$seeds/$target" "$PWD/tests/fixtures/bad-input"
