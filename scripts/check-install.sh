#!/usr/bin/env bash
# Checks what a Release build installs: the file list of a staged install, the menu entry, the
# metainfo and the manual pages; the installed CreateQuiltMap run by a throwaway ordinary user
# (a first start with no settings anywhere, then a settings file it cannot write); and the Debian
# package's fields, files and lintian report. Root only (it creates the user).
# Usage: scripts/check-install.sh [BUILD_DIR]   (default build/release, built with the tests)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
expected_files="$root/packaging/installed-files.txt"
stage=$(mktemp -d /tmp/quiltmap-stage.XXXXXX)
trap 'rm -rf "$stage"' EXIT
fail() {
  echo "check-install: $*" >&2
  exit 1
}

echo "-- staged install"
DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >/dev/null
(cd "$stage/root" && find . ! -type d | sed 's|^\.||' | LC_ALL=C sort) >"$stage/files.txt"
diff -u "$expected_files" "$stage/files.txt" || fail "the staged install differs from $expected_files"

echo "-- menu entry, metainfo, manual pages, completion"
desktop-file-validate "$stage"/root/usr/share/applications/*.desktop
appstreamcli validate --no-net "$stage"/root/usr/share/metainfo/*.metainfo.xml
for page in "$stage"/root/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
bash -n "$stage/root/usr/share/bash-completion/completions/quiltmap"
# The manual page and the completion name every option that --help lists.
man_source=$(zcat "$stage/root/usr/share/man/man1/quiltmap.1.gz")
completion="$stage/root/usr/share/bash-completion/completions/quiltmap"
for option in $("$stage/root/usr/bin/quiltmap" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "${option//-/\\-}" <<<"$man_source" || fail "quiltmap.1 does not name $option"
  grep -qwF -- "$option" "$completion" || fail "the completion does not offer $option"
done
# With bash-completion loaded, the completion offers a value's words.
offered=$(bash -c 'source /usr/share/bash-completion/bash_completion && source "$1" &&
  COMP_WORDS=(quiltmap --background "") COMP_CWORD=2 COMP_LINE="quiltmap --background " &&
  COMP_POINT=${#COMP_LINE} && _quiltmap && echo "${COMPREPLY[*]}"' _ "$completion")
[ "$offered" = "white transparent" ] || fail "the completion offers \"$offered\" for --background"

echo "-- the installed quiltmap with the module that --any-format and --proof load"
mkdir -p "$stage/tiles" "$stage/proof"
for size in 16x16 32x32; do
  cp "$stage/root/usr/share/icons/hicolor/$size/apps/io.github.quiltmap.CreateQuiltMap.png" "$stage/tiles/$size.png"
done
"$stage/root/usr/bin/quiltmap" --quiet --any-format --proof -o "$stage/proof/sheet" "$stage/tiles"
[ -s "$stage/proof/sheet.proof.png" ] || fail "quiltmap --proof wrote no proof sheet"

echo "-- the installed CreateQuiltMap as an ordinary user"
mkdir -p "$stage/plugins/generic"
cp "$build/tests/install/plugins/generic/libquiltmapexitkey.so" "$stage/plugins/generic/"
cat >"$stage/as-user.sh" <<'USER'
set -euo pipefail
app=$1
ini=$HOME/.config/CreateQuiltMap/CreateQuiltMap.ini
# Starts the application; the keyboard player answers its boxes and ends it with Ctrl+Q.
start() {
  if ! QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$2 QT_QPA_GENERIC_PLUGINS=quiltmapexitkey \
    timeout 60 "$app" >"$HOME/log" 2>&1; then
    cat "$HOME/log" >&2
    echo "CreateQuiltMap did not end cleanly on Ctrl+Q" >&2
    exit 1
  fi
  grep -qx 'quiltmapexitkey: Ctrl+Q' "$HOME/log"
}
start "$app" "$2"
printf '%s\n' '[Work]' 'LastIconpath=' '[Options]' 'TilesPerRow=25' \
  "LastSavePath=$HOME/Pictures/QuiltPatches/" "QuiltMapDir=$HOME/Pictures/QuiltMaps/" >"$HOME/expected"
diff -u "$HOME/expected" "$ini"
chmod a-w "$ini" "$(dirname "$ini")"
start "$app" "$2"
refused=$(grep -cx "quiltmapexitkey: message box: In $ini kann nicht geschrieben werden." "$HOME/log" || true)
[ "$refused" = 1 ] || { cat "$HOME/log" >&2; echo "expected one report of the refused write" >&2; exit 1; }
diff -u "$HOME/expected" "$ini"
USER
chmod -R a+rX "$stage"
"$root/scripts/as-throwaway-user.sh" bash "$stage/as-user.sh" "$stage/root/usr/bin/CreateQuiltMap" \
  "$stage/plugins"

echo "-- Debian package"
deb=$(cd "$build" && cpack -G DEB | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
[ -f "$deb" ] || fail "cpack made no package"
dpkg-deb -I "$deb" >/dev/null
[ "$(dpkg-deb -f "$deb" Package)" = quiltmap ] || fail "wrong package name"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-wine fonts-liberation2 libqt6widgets6 zlib1g; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = bash-completion ] || fail "Recommends lacks bash-completion"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\.||' | LC_ALL=C sort >"$stage/deb-files.txt"
diff -u "$expected_files" "$stage/deb-files.txt" || fail "the package's files differ from $expected_files"
lintian --fail-on error "$deb"
echo "check-install: all checks passed"
