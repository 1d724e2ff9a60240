#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and fuzzes them, starting from the checked-in corpora
# (fuzz/corpus/<target>), the generated seeds and the crashers (fuzz/crashers/<target>).
# Inputs that crash or hang a target are written to fuzz/crashers/<target>/.
#
# Short mode runs each target for a bounded time:
#   scripts/fuzz.sh [SECONDS_PER_TARGET]
# Long mode runs each target on every core (or on FUZZ_JOBS cores) until it has EXECUTIONS
# executions in total (default ten million) or, when given, for at most SECONDS; it prints the
# counts and merges the new coverage into the minimised corpora:
#   [FUZZ_JOBS=N] scripts/fuzz.sh --long [EXECUTIONS [SECONDS]] [TARGET...]
# Named targets are the only ones built and run.
# FUZZ_SANITIZE=0 builds without AddressSanitizer and UndefinedBehaviorSanitizer (in build/fuzz-plain):
# a differential target, which aborts on any difference by itself, then runs several times faster.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sanitize=ON
dir="$root/build/fuzz"
if [ "${FUZZ_SANITIZE:-1}" = 0 ]; then
  sanitize=OFF
  dir="$root/build/fuzz-plain"
fi
# Targets that set up large tables per input would otherwise spend most of their time mapping
# and unmapping them; the sanitizers' allocator ignores these.
export MALLOC_MMAP_THRESHOLD_=1073741824 MALLOC_TRIM_THRESHOLD_=1073741824

long=0
if [ "${1:-}" = --long ]; then
  long=1
  shift
  executions=10000000
  limit=()
  if [[ ${1:-} =~ ^[0-9]+$ ]]; then
    executions=$1
    shift
    if [[ ${1:-} =~ ^[0-9]+$ ]]; then
      limit=(-max_total_time="$1")
      shift
    fi
  fi
else
  seconds=${1:-60}
  (($#)) && shift
fi

if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILTMAP_FUZZ=ON -DQUILTMAP_SANITIZE="$sanitize" -DQUILTMAP_BUILD_TESTS=OFF -DQUILTMAP_BUILD_BENCH=OFF
fi

# Sets `inputs` to the folder $2, where a run writes its new finds, then the checked-in corpus and
# the generated seeds of target $1.
gather_inputs() {
  local name=$1 scratch=$2
  mkdir -p "$scratch" "$root/fuzz/crashers/$name"
  inputs=("$scratch")
  [ -d "$root/fuzz/corpus/$name" ] && inputs+=("$root/fuzz/corpus/$name")
  if [ -x "$dir/fuzz/${name}_seeds" ]; then
    "$dir/fuzz/${name}_seeds" "$dir/fuzz/seeds/$name" >/dev/null
    inputs+=("$dir/fuzz/seeds/$name")
  fi
}

# On a busy machine a unit can take seconds of wall time without being slow itself; only hangs
# (timeouts) and crashes are kept as crashers, not units merely reported slow.
fuzz_options() {
  echo -rss_limit_mb=2048 -timeout=10 -report_slow_units=600 \
    "-artifact_prefix=$root/fuzz/crashers/$1/"
}

shopt -s nullglob
targets=("$@")
if ((${#targets[@]} == 0)); then
  cmake --build "$dir" --parallel "$(nproc)" --target quiltmap_fuzzers
  for fuzzer in "$dir"/fuzz/*_fuzz; do targets+=("$(basename "$fuzzer")"); done
else
  build=()
  for name in "${targets[@]}"; do
    build+=("$name")
    if ninja -C "$dir" -t query "${name}_seeds" >/dev/null 2>&1; then build+=("${name}_seeds"); fi
  done
  cmake --build "$dir" --parallel "$(nproc)" --target "${build[@]}"
fi

for name in "${targets[@]}"; do
  fuzzer="$dir/fuzz/$name"
  if ((!long)); then
    gather_inputs "$name" "$dir/fuzz/corpus/$name"
    echo "-- $name for ${seconds}s"
    # shellcheck disable=SC2046
    "$fuzzer" -max_total_time="$seconds" $(fuzz_options "$name") -print_final_stats=0 \
      "${inputs[@]}" "$root/fuzz/crashers/$name" 2>&1 | tail -n 2
    continue
  fi

  cores=${FUZZ_JOBS:-$(nproc)}
  per_job=$(((executions + cores - 1) / cores))
  work="$dir/fuzz/long/$name"
  rm -rf "$work"
  echo "-- $name: $cores jobs of $per_job executions"
  pids=()
  for ((job = 0; job < cores; job++)); do
    gather_inputs "$name" "$work/new$job"
    # shellcheck disable=SC2046
    "$fuzzer" -runs="$per_job" "${limit[@]}" $(fuzz_options "$name") -print_final_stats=1 \
      "${inputs[@]}" "$root/fuzz/crashers/$name" >"$work/job$job.log" 2>&1 &
    pids+=($!)
  done
  status=0
  for pid in "${pids[@]}"; do wait "$pid" || status=1; done
  total=0
  for log in "$work"/job*.log; do
    count=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    total=$((total + ${count:-0}))
  done
  echo "$name: $total executions"
  if ((status)); then
    echo "$name failed; see $work/job*.log and fuzz/crashers/$name/" >&2
    exit 1
  fi

  # A fresh merge keeps only inputs that add coverage: the corpus stays minimal.
  merged="$work/merged"
  gather_inputs "$name" "$merged"
  # shellcheck disable=SC2046
  "$fuzzer" -merge=1 $(fuzz_options "$name") "${inputs[@]}" "$work"/new* >"$work/merge.log" 2>&1
  rm -rf "$root/fuzz/corpus/$name"
  mkdir -p "$root/fuzz/corpus"
  mv "$merged" "$root/fuzz/corpus/$name"
  echo "$name: corpus of $(find "$root/fuzz/corpus/$name" -type f | wc -l) inputs"
done
