#!/usr/bin/env bash
# Builds Release and times the sheet's compression on one and two threads against zlib on
# generated icons, photos, line art and noise. Usage: bench/run_threads_bench.sh [WORKDIR]
# [[KIND:]COUNT...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QUILTMAP_BENCH_BUILD:-$root/build/bench}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILTMAP_BUILD_TESTS=OFF
fi
cmake --build "$build" --target quiltmap_threads_bench quiltmap quiltmap_corpus
"$build/bench/quiltmap_threads_bench" "${1:-$build/work}" "${@:2}"
