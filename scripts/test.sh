#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a tested build: installs what is missing, builds, runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-deps.sh"
"$top/scripts/build.sh"
cd "${BUILD_DIR:-$top/build}"
ctest --output-on-failure --timeout 300
