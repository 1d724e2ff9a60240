#!/usr/bin/env bash
# Runs COMMAND as a new ordinary user with an empty home folder of its own (mode 700 under /tmp),
# then removes the user and the folder. Root only: CI runs as root, which hides permission
# problems that every ordinary user meets.
# The command gets a clean environment: HOME, USER, LOGNAME, PATH and LANG, plus the caller's
# value of every variable named in THROWAWAY_USER_ENV (names separated by blanks). Everything the
# command touches must be readable by others (a root-only checkout is not).
# Usage: [THROWAWAY_USER_ENV="NAME..."] scripts/as-throwaway-user.sh COMMAND [ARGUMENT...]
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
  echo "$0: must run as root" >&2
  exit 2
fi
user=qmuser$$
home=$(mktemp -d /tmp/throwaway-home.XXXXXX)
cleanup() {
  userdel "$user" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
useradd --home-dir "$home" --no-create-home --shell /bin/sh --user-group "$user"
chown "$user:$user" "$home"
environment=(HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8)
for name in ${THROWAWAY_USER_ENV:-}; do
  environment+=("$name=${!name-}")
done
runuser -u "$user" -- env -i "${environment[@]}" "$@"
