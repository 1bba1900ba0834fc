#!/usr/bin/env bash
# Configures and builds vmfwupd into ./build (or $BUILD_DIR). VMFWUPD_QT=5 or 6 picks the Qt generation (default:
# the project's, or what the build folder was configured with). Extra arguments go to cmake's configure step.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DVMFWUPD_WERROR=ON ${VMFWUPD_QT:+-DVMFWUPD_QT="$VMFWUPD_QT"} "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
