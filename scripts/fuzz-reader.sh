#!/usr/bin/env bash
# Fuzzes the image container's reader with libFuzzer for a bounded time.
#
#   scripts/fuzz-reader.sh [seconds]     (default 60)
#
# Configures its own small clang build of the container (ASan + UBSan + fuzzer
# coverage), writes a seed corpus of small valid image sets, and runs the fuzz
# target. Exits non-zero when the fuzzer finds a crash, an overrun, undefined
# behaviour, a leak or a hang; the input that caused it is left in the artifacts
# folder it prints.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${COFRAN_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-60}
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link $sanitizers" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
  -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers" \
  -DRVD_BENCH=OFF -DCOFRAN_FUZZ=ON \
  -DRVD_ONLY="include;platform/win32;container/crypto;container/win32;container" >/dev/null
cmake --build "$build" --target cofran_reader_fuzz cofran_fuzz_seeds

corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
mkdir -p "$corpus" "$artifacts"
"$build/bin/cofran_fuzz_seeds" "$corpus"

echo "fuzzing the reader for ${seconds}s; crashing inputs go to $artifacts/"
"$build/bin/cofran_reader_fuzz" \
  -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=30 \
  -artifact_prefix="$artifacts/" "$corpus"
