#!/usr/bin/env bash
# Builds Release and times the main window (offscreen) composing 3000 and 20000 icons and a
# folder of 200 000 tiles of 4 x 4: key delays while it lists and composes, and peak memory.
# Usage: bench/run_window_bench.sh [WORKDIR] [[sideS:]COUNT...]
# The corpora (the largest is 200 000 small files) stay in WORKDIR for later runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QUILTMAP_BENCH_BUILD:-$root/build/bench}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILTMAP_BUILD_TESTS=OFF
fi
cmake --build "$build" --target quiltmap_window_bench
if [ $# -gt 1 ]; then
  "$build/bench/quiltmap_window_bench" "$@"
else
  "$build/bench/quiltmap_window_bench" "${1:-${TMPDIR:-/tmp}/quiltmap-bench}" 3000 20000 side4:200000
fi
