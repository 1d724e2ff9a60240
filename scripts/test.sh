#!/usr/bin/env bash
# Installs what is needed, builds Release with the tests and runs every test through CTest.
# Usage: scripts/test.sh [cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=Release "$@"
cd "$root/build/release"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300
