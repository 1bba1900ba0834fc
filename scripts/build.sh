#!/usr/bin/env bash
# Configures and builds vmfwupd into ./build (or $BUILD_DIR). Extra arguments go to cmake's configure step.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DVMFWUPD_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
