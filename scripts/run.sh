#!/usr/bin/env bash
# Installs what is needed, builds Release and runs the main job: the command-line front end
# composes a generated sample folder into out/QuiltMap.png and out/QuiltMap.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=Release
mkdir -p "$root/out"
"$root/build/release/bench/quiltmap_corpus" --count 60 "$root/out/sample"
"$root/build/release/src/cli/quiltmap" --output "$root/out/QuiltMap" "$root/out/sample"
echo "Wrote $root/out/QuiltMap.png and $root/out/QuiltMap.txt"
