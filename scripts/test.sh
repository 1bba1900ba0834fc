#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a tested build (as root, no display needed): installs what is
# missing, builds, checks the Debian package, builds as a distribution does (without the tests and what only they
# need), runs the quality gates (static analysis, fuzzing, the whole suite under AddressSanitizer/UBSan) and
# finally every test of the normal build, ending with CTest's summary.
#   VMFWUPD_GATES=0 scripts/test.sh   skips the gates: build, package, minimal build and tests only
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD_DIR:-$top/build}")
gates=${VMFWUPD_GATES:-1}
started=$(date +%s)

stage() { echo; echo "=== test: $* ($(($(date +%s) - started)) s)"; }

stage "dependencies"
if [[ $gates == 1 ]]; then "$top/scripts/setup-deps.sh" --checks; else "$top/scripts/setup-deps.sh"; fi
stage "build"
BUILD_DIR=$build "$top/scripts/build.sh"
stage "package"
BUILD_DIR=$build "$top/scripts/ci-package.sh"
stage "minimal build"
"$top/scripts/ci-minimal.sh"
if [[ $gates == 1 ]]; then
    stage "static analysis"
    BUILD_DIR=$build "$top/scripts/ci-analysis.sh"
    stage "fuzzing"
    FUZZ_SECONDS=${FUZZ_SECONDS:-20} "$top/scripts/ci-fuzz.sh"
    stage "sanitizers"
    CTEST_JOBS=3 "$top/scripts/ci-sanitizers.sh"
fi
stage "tests"
cd "$build"
# Most of the end-to-end test's time is the window's 2 s workflow timer: running tests side by side costs little.
ctest --output-on-failure --timeout 600 -j3
