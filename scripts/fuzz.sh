#!/usr/bin/env bash
# Fuzzes every parser of untrusted input with libFuzzer for a bounded time.
#
#   scripts/fuzz.sh [seconds per target] [target ...]     (default 60, every target)
#
# Configures its own clang build (ASan + UBSan + fuzzer coverage) of the folders that
# hold fuzz targets, makes each target's seed corpus (small real volumes, disks and
# files), and runs the targets side by side, as many at once as there are cores.
# Each target's progress lines go to fuzz-logs/<target>.log in the build folder; the
# last lines of a failing target are printed. Exits non-zero when any target finds a
# crash, an overrun, undefined behaviour, a leak, a broken invariant or a hang; the
# input that caused it is left in fuzz-artifacts/<target>/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${RVD_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-60}
shift || true
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link $sanitizers" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
  -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers" \
  -DRVD_BENCH=OFF -DRVD_FUZZ=ON \
  -DRVD_ONLY="include;platform/win32;platform/diskmap;container/crypto;container/win32;container;fssupport;console/shell/mom;platform/modules;console/shell/ini;console/shell/msglib" >/dev/null
cmake --build "$build" --target rvd_fuzz_targets >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for env in "$build"/bin/fuzz/*.env; do targets+=("$(basename "$env" .env)"); done
fi

logs=$build/fuzz-logs
mkdir -p "$logs"
run_one() {
  local name=$1 program seed_command dict max_len
  # shellcheck disable=SC1090
  source "$build/bin/fuzz/$name.env"
  local corpus=$build/fuzz-corpus/$name artifacts=$build/fuzz-artifacts/$name
  rm -rf "$corpus"
  mkdir -p "$corpus" "$artifacts"
  # shellcheck disable=SC2086
  $seed_command "$corpus" >"$logs/$name.seeds.log" 2>&1
  local extra=()
  [ -n "$dict" ] && extra+=(-dict="$dict")
  "$program" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -timeout=30 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "${extra[@]}" "$corpus" >"$logs/$name.log" 2>&1
}

jobs=$(nproc)
pids=() names=()
failed=0
for name in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_one "$name" &
  pids+=($!) names+=("$name")
done
for i in "${!pids[@]}"; do
  name=${names[$i]}
  if wait "${pids[$i]}"; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$logs/$name.log" | grep -o '[0-9]*$' || echo '?')
    cov=$(grep -o 'cov: [0-9]*' "$logs/$name.log" | tail -n 1 || echo 'cov: ?')
    echo "fuzz $name: ${seconds}s, $runs runs, $cov, no finding"
  else
    failed=1
    echo "fuzz $name: FAILED; inputs in $build/fuzz-artifacts/$name/, log $logs/$name.log:"
    tail -n 40 "$logs/$name.log"
  fi
done
exit $failed
