#!/usr/bin/env bash
# Builds everything with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer, cross-compiles the Windows modules with mingw-w64,
# fuzzes every parser of untrusted input, then runs every test (unit, fs and gui labels).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-check}
jobs=$(nproc)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRVD_SANITIZE=ON -DRVD_WERROR=ON
cmake --build "$build" -j "$jobs"

# The Windows modules cross-compiled with mingw-w64 against the real Windows headers.
bash scripts/cross-windows.sh

# Bounded libFuzzer runs over every parser of untrusted input (their own clang build).
bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
