#!/usr/bin/env bash
# Builds everything with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer, cross-compiles the Windows modules with mingw-w64,
# fuzzes every parser of untrusted input, then runs every test (unit, fs and gui labels).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-check}
jobs=$(nproc)
# ccache keeps compiled objects between runs and between clones of the tree: paths
# are hashed relative to the tree, so a fresh clone in another folder still hits.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# A unity build compiles each target's sources in batches, about twice as fast on a
# small machine; names private to one source must therefore differ between sources.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRVD_SANITIZE=ON -DRVD_WERROR=ON \
  -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 "${launcher[@]}"
cmake --build "$build" -j "$jobs"

# The Windows modules cross-compiled with mingw-w64 against the real Windows headers.
bash scripts/cross-windows.sh

# Bounded libFuzzer runs over every parser of untrusted input (their own clang build).
bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
