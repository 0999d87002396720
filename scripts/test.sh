#!/usr/bin/env bash
# Builds Zelkor and runs every test, headless.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
BUILD_TARGETS="${BUILD_TARGETS:-all}" "$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure -j"${JOBS:-2}" --timeout 600
