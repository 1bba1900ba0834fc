#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a tested build (as root, no display needed): installs what is
# missing, builds, checks the Debian package, builds as a distribution does (without the tests and what only they
# need), runs the quality gates (static analysis, fuzzing, the whole suite under AddressSanitizer/UBSan), builds
# the other Qt generation, and finally runs every test of both builds, ending with the normal build's CTest summary.
# The normal build (./build) uses the project's Qt generation (CMakeLists.txt, VMFWUPD_QT); the other one goes
# into ./build-qtN.
#   VMFWUPD_GATES=0 scripts/test.sh   skips the gates: build, package, minimal builds and tests only
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD_DIR:-$top/build}")
gates=${VMFWUPD_GATES:-1}
default_qt=$(sed -n 's/^set(VMFWUPD_QT \([0-9]\) CACHE.*/\1/p' "$top/CMakeLists.txt")
other_qt=$((default_qt == 6 ? 5 : 6))
other=$top/build-qt$other_qt
started=$(date +%s)

stage() { echo; echo "=== test: $* ($(($(date +%s) - started)) s)"; }

stage "dependencies"
if [[ $gates == 1 ]]; then "$top/scripts/setup-deps.sh" --checks; else "$top/scripts/setup-deps.sh"; fi
stage "build (Qt $default_qt)"
BUILD_DIR=$build VMFWUPD_QT=$default_qt "$top/scripts/build.sh"
stage "package"
BUILD_DIR=$build "$top/scripts/ci-package.sh"
stage "minimal build (Qt $default_qt)"
VMFWUPD_QT=$default_qt "$top/scripts/ci-minimal.sh"
if [[ $gates == 1 ]]; then
    stage "static analysis"
    BUILD_DIR=$build "$top/scripts/ci-analysis.sh" -DVMFWUPD_QT="$default_qt"
    stage "fuzzing"
    FUZZ_SECONDS=${FUZZ_SECONDS:-20} "$top/scripts/ci-fuzz.sh" -DVMFWUPD_QT="$default_qt"
    stage "sanitizers"
    CTEST_JOBS=3 "$top/scripts/ci-sanitizers.sh" -DVMFWUPD_QT="$default_qt"
fi
stage "build (Qt $other_qt)"
BUILD_DIR=$other VMFWUPD_QT=$other_qt "$top/scripts/build.sh"
# Most of the end-to-end test's time is the window's 2 s workflow timer: running tests side by side costs little,
# and so does running both suites at once. Each one's output follows in one piece, the default one last.
stage "tests (Qt $other_qt and Qt $default_qt side by side)"
(cd "$other" && exec ctest --output-on-failure --timeout 600 -j3) >"$other/ctest.log" 2>&1 &
other_tests=$!
set +e
(cd "$build" && exec ctest --output-on-failure --timeout 600 -j3) >"$build/ctest.log" 2>&1
default_rc=$?
wait "$other_tests"
other_rc=$?
set -e
echo "--- Qt $other_qt ($other)"
cat "$other/ctest.log"
echo "--- Qt $default_qt ($build)"
cat "$build/ctest.log"
if ((other_rc != 0)); then
    echo "test: the Qt $other_qt suite FAILED (above)" >&2
    exit 1
fi
exit "$default_rc"
