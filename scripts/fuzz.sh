#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time over its seed corpus.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir="$root/build/fuzz"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILTMAP_FUZZ=ON -DQUILTMAP_SANITIZE=ON -DQUILTMAP_BUILD_TESTS=OFF -DQUILTMAP_BUILD_BENCH=OFF
fi
cmake --build "$dir" --parallel "$(nproc)" --target quiltmap_fuzzers
shopt -s nullglob
for fuzzer in "$dir"/fuzz/*_fuzz; do
  name=$(basename "$fuzzer")
  corpus="$dir/fuzz/corpus/$name"
  seeds="$dir/fuzz/seeds/$name"
  mkdir -p "$corpus"
  inputs=("$corpus")
  if [ -x "$dir/fuzz/${name}_seeds" ]; then
    "$dir/fuzz/${name}_seeds" "$seeds"
    inputs+=("$seeds")
  fi
  [ -d "$root/fuzz/crashers/$name" ] && inputs+=("$root/fuzz/crashers/$name")
  echo "-- $name for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=0 "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=0 "${inputs[@]}" 2>&1 | tail -n 2
done
