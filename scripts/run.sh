#!/usr/bin/env bash
# Installs what is needed, builds the Release programs it runs and starts CreateQuiltMap with a generated sample
# folder preselected. On a machine without a display it says so and runs the command-line
# front end instead, which composes the sample folder into out/QuiltMap.png and out/QuiltMap.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# Only what this script runs: the window, the command line and the sample folder's generator.
build="$root/build/release"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --parallel "$(nproc)" --target CreateQuiltMap quiltmap quiltmap_gui_module quiltmap_corpus
mkdir -p "$root/out"
if [ ! -d "$root/out/sample" ]; then
  "$root/build/release/bench/quiltmap_corpus" --count 60 "$root/out/sample"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): running the command-line demo instead."
  "$root/build/release/src/cli/quiltmap" --output "$root/out/QuiltMap" "$root/out/sample"
  echo "Wrote $root/out/QuiltMap.png and $root/out/QuiltMap.txt"
  exit 0
fi

# The settings file lives beside the executable: the app runs from out/app, and its first
# settings file there preselects the sample folder. Later runs keep what the user chose.
app="$root/out/app"
mkdir -p "$app"
cp "$root/build/release/src/app/CreateQuiltMap" "$app/"
if [ ! -f "$app/CreateQuiltMap.ini" ]; then
  cat >"$app/CreateQuiltMap.ini" <<INI
[Work]
LastIconpath=$root/out/sample
[Options]
TilesPerRow=25
LastSavePath=$root/out/
QuiltMapDir=$root/out/
INI
fi
exec "$app/CreateQuiltMap"
