#!/usr/bin/env bash
# Configures and builds one build tree; options given for an existing tree are applied to it.
# Usage: scripts/build.sh DIR [cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" -G Ninja "$@"
elif (($#)); then
  cmake -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
