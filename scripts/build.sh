#!/usr/bin/env bash
# Configures and builds Zelkor into build/ (or the folder given as $BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"${JOBS:-2}" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
