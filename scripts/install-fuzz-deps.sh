#!/usr/bin/env bash
# Installs what the fuzzing build needs beyond the packages of
# install-deps.sh: clang, its runtime libraries (libFuzzer and the
# sanitizers) and llvm-symbolizer for readable reports. Does nothing when
# every package is present.
set -euo pipefail

bash "$(dirname "$0")/apt-install.sh" clang libclang-rt-dev llvm
