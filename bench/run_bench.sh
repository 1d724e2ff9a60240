#!/usr/bin/env bash
# Builds Release and times quiltmap on 300, 3000 and 20000 generated tiles against the zlib
# floor of the same run. Usage: bench/run_bench.sh [WORKDIR] [COUNT...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QUILTMAP_BENCH_BUILD:-$root/build/bench}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILTMAP_BUILD_TESTS=OFF
fi
cmake --build "$build" --target quiltmap_bench quiltmap quiltmap_gui_module quiltmap_corpus
"$build/bench/quiltmap_bench" "${1:-$build/work}" "${@:2}"
