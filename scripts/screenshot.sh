#!/usr/bin/env bash
# Starts the real CreateQuiltMap under a virtual X display with a settings file that preselects
# FOLDER, waits until the start-up composition has run, and writes a screenshot of the whole
# window. Usage: scripts/screenshot.sh FOLDER OUT.png [BUILD_DIR]
# QUILTMAP_SCREENSHOT_INI: lines added to the settings file (for example "[Sheet]\nGrid=1").
# QUILTMAP_SCREENSHOT_KEYS: keys typed into the window before the shot (xdotool names, such as
#   "ctrl+plus ctrl+plus").
# QUILTMAP_SCREENSHOT_SCREEN: the virtual screen, 1024x768x24 unless set; QT_SCALE_FACTOR and
#   the other Qt variables reach the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then
  echo "usage: $0 FOLDER OUT.png [BUILD_DIR]" >&2
  exit 2
fi
folder=$(cd "$1" && pwd)
out=$(realpath -m "$2")
build=${3:-$root/build/screenshot}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILTMAP_BUILD_TESTS=OFF \
    -DQUILTMAP_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target CreateQuiltMap >/dev/null

# The settings file lives beside the executable, so the app runs from a folder of its own.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/src/app/CreateQuiltMap" "$work/"
cat >"$work/CreateQuiltMap.ini" <<INI
[Work]
LastIconpath=$folder
[Options]
TilesPerRow=25
LastSavePath=$work/QuiltPatches/
QuiltMapDir=$work/QuiltMaps/
INI
printf '%b\n' "${QUILTMAP_SCREENSHOT_INI:-}" >>"$work/CreateQuiltMap.ini"

cat >"$work/shoot.sh" <<'SHOT'
#!/usr/bin/env bash
set -euo pipefail
"$1/CreateQuiltMap" &
app=$!
# Start-up composes once while showing and once more from the one-second start timer.
sleep "${QUILTMAP_SCREENSHOT_WAIT:-4}"
id=$(xwininfo -root -tree | awk '/"Create QuiltMap-Graphics/ { print $1; exit }')
if [ -n "$id" ]; then
  if [ -n "${QUILTMAP_SCREENSHOT_KEYS:-}" ]; then
    # shellcheck disable=SC2086 # one xdotool argument per key
    xdotool windowfocus --sync "$id" key --delay 200 $QUILTMAP_SCREENSHOT_KEYS
    sleep 1
  fi
  import -window "$id" -frame "$2"
else
  import -window root "$2"
fi
kill "$app"
wait "$app" 2>/dev/null || true
SHOT
chmod +x "$work/shoot.sh"
xvfb-run -a -s "-screen 0 ${QUILTMAP_SCREENSHOT_SCREEN:-1024x768x24}" "$work/shoot.sh" "$work" "$out"
echo "Wrote $out"
