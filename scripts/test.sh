#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a tested build: installs what is missing, builds, runs every test,
# then builds the Debian package and checks it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-deps.sh"
"$top/scripts/build.sh"
cd "${BUILD_DIR:-$top/build}"
ctest --output-on-failure --timeout 300
# Back where BUILD_DIR was given, which may be relative.
cd - >/dev/null
"$top/scripts/ci-package.sh"
