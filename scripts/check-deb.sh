#!/usr/bin/env bash
# Installs a QuiltMap package with apt-get, starts CreateQuiltMap from the menu entry's Exec line
# as a throwaway ordinary user (offscreen) until a keyboard player ends it with Ctrl+Q, then
# removes the package with apt-get and checks that none of its files or folders is left.
# Root only; the package must not be installed yet.
# Usage: scripts/check-deb.sh PACKAGE.deb [BUILD_DIR]   (BUILD_DIR holds the keyboard player,
#        default build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(realpath "$1")
build=$(cd "${2:-$root/build/release}" && pwd)
fail() {
  echo "check-deb: $*" >&2
  exit 1
}
if dpkg-query -W -f='${Status}' quiltmap 2>/dev/null | grep -q 'install ok installed'; then
  fail "quiltmap is installed already"
fi
work=$(mktemp -d /tmp/quiltmap-deb.XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "-- apt-get install $deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
dpkg-query -L quiltmap >"$work/owned.txt"

echo "-- start from the menu entry"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/io.github.quiltmap.CreateQuiltMap.desktop)
mkdir -p "$work/plugins/generic"
cp "$build/tests/install/plugins/generic/libquiltmapexitkey.so" "$work/plugins/generic/"
chmod -R a+rX "$work"
QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$work/plugins" QT_QPA_GENERIC_PLUGINS=quiltmapexitkey \
  THROWAWAY_USER_ENV="QT_QPA_PLATFORM QT_PLUGIN_PATH QT_QPA_GENERIC_PLUGINS" \
  "$root/scripts/as-throwaway-user.sh" sh -c "timeout 60 $exec_line && test -f \"\$HOME/.config/CreateQuiltMap/CreateQuiltMap.ini\"" ||
  fail "'$exec_line' did not start and end cleanly"

echo "-- apt-get remove quiltmap"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -q quiltmap >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get remove failed"; }
status=$(dpkg-query -W -f='${db:Status-Status}' quiltmap 2>/dev/null || echo not-installed)
[ "$status" = not-installed ] || fail "package status after removal: $status"
left=0
while read -r path; do
  # Folders that other packages own too (/usr/share, ...) stay; everything else must go.
  if [ -e "$path" ] && { [ ! -d "$path" ] || ! dpkg-query -S "$path" >/dev/null 2>&1; }; then
    echo "left behind: $path" >&2
    left=1
  fi
done <"$work/owned.txt"
[ "$left" = 0 ] || fail "files of the package are left"
[ ! -e /usr/bin/CreateQuiltMap.ini ] || fail "a settings file was left beside the executable"
echo "check-deb: installed, started from '$exec_line', removed without leftovers"
