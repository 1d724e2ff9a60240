#!/usr/bin/env bash
# Peak memory and time of quiltmap on large jobs against the single-core floor of the same run:
# the 3000- and 20000-icon corpora, a 16384 x 16384 RGBA sheet (16384 tiles of 128 x 128, 128 per
# row), 200 000 tiles of 4 x 4 and 1 000 000 of 2 x 2 (-n auto). Given a second quiltmap (for
# example one built from the previous main), each corpus runs on both, side by side.
# Usage: bench/run_scale_bench.sh [WORKDIR] [BEFORE_QUILTMAP]
# The corpora (several GB of small files for the largest) stay in WORKDIR for later runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QUILTMAP_BENCH_BUILD:-$root/build/bench}"
work="${1:-${TMPDIR:-/tmp}/quiltmap-bench}"
before="${2:-}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILTMAP_BUILD_TESTS=OFF
fi
cmake --build "$build" --target quiltmap quiltmap_corpus quiltmap_floor >/dev/null
mkdir -p "$work"

# corpus NAME CORPUS_OPTIONS...: the folder, written once.
corpus() {
  local folder="$work/scale-$1"
  shift
  if [ ! -f "$folder.complete" ]; then
    rm -rf "$folder"
    "$build/bench/quiltmap_corpus" "$@" "$folder"
    touch "$folder.complete"
  fi
  echo "$folder"
}

# measure LABEL QUILTMAP FOLDER TILES OPTIONS...: one line of the table.
measure() {
  local label=$1 exe=$2 folder=$3 tiles=$4
  shift 4
  local out="$work/scale-out" stats="$work/scale-time"
  /usr/bin/time -v -o "$stats" "$exe" -q -o "$out" "$@" "$folder"
  local wall rss
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0;
    for (i = 1; i <= n; ++i) s = s * 60 + p[i]; print s }' "$stats")
  rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$stats")
  read -r inflate deflate _ < <("$build/bench/quiltmap_floor" "$folder" "$out.png")
  local size
  size=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$out.png")
  awk -v l="$label" -v s="$size" -v w="$wall" -v i="$inflate" -v d="$deflate" -v r="$rss" -v t="$tiles" \
    'BEGIN { printf "%-26s %-12s %8.2f %8.2f %6.2fx %9.1f %8.2f\n", l, s, w, i + d, w / (i + d),
      r / 1024, 1e6 * w / t }'
}

printf "%-26s %-12s %8s %8s %7s %9s %8s\n" corpus sheet "wall s" "floor s" ratio "peak MiB" "us/tile"
run() {
  local name=$1 tiles=$2 folder=$3
  shift 3
  [ -z "$before" ] || measure "$name before" "$before" "$folder" "$tiles" "$@"
  measure "$name" "$build/src/cli/quiltmap" "$folder" "$tiles" "$@"
}
run "3000 icons" 3000 "$(corpus icons-3000 --count 3000)"
run "20000 icons" 20000 "$(corpus icons-20000 --count 20000)"
run "16384 of 128x128" 16384 "$(corpus side128-16384 --side 128 --count 16384)" \
  -n 128 --background transparent
run "200000 of 4x4" 200000 "$(corpus side4-200000 --side 4 --count 200000)" -n auto
run "1000000 of 2x2" 1000000 "$(corpus side2-1000000 --side 2 --count 1000000)" -n auto
