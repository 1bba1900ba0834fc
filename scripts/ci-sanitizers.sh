#!/usr/bin/env bash
# Builds vmfwupd with AddressSanitizer and UndefinedBehaviorSanitizer (leak checking on) into ./build-asan
# (or $BUILD_DIR_ASAN) and runs the whole CTest suite that way. Any sanitizer report fails the run, also one
# written by a helper process such as station-sim whose exit code a test does not look at: every report goes
# to a file under a fresh directory, and the directory must stay empty.
# Extra arguments go to cmake's configure step (e.g. -DCMAKE_CXX_COMPILER=clang++).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR_ASAN:-$top/build-asan}
jobs=${JOBS:-$(nproc)}

started=$(date +%s)
cmake -S "$top" -B "$build" -DVMFWUPD_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$jobs"
built=$(date +%s)

reports=$(mktemp -d "${TMPDIR:-/tmp}/vmfwupd-sanitizers.XXXXXX")
# Qt is built without frame pointers: only the slower unwinder sees through its frames, which the leak
# suppressions and readable reports both need.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:fast_unwind_on_malloc=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:disable_coredump=1:log_path=$reports/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:abort_on_error=1:disable_coredump=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="print_suppressions=0:suppressions=$top/tests/lsan.supp"
# A test that a sanitizer aborts fails in ctest; its report is in the file only and is printed below.
set +e
(cd "$build" && ctest --output-on-failure --timeout 600 -j"${CTEST_JOBS:-1}")
rc=$?
set -e
finished=$(date +%s)

found=$(find "$reports" -type f | sort)
if [[ -n $found ]]; then
    echo "ci-sanitizers: sanitizer reports:" >&2
    for f in $found; do
        echo "==== $f" >&2
        cat "$f" >&2
    done
    ((rc != 0)) || rc=1
else
    rmdir "$reports"
fi

echo "ci-sanitizers: build $((built - started)) s, tests $((finished - built)) s," \
    "total $((finished - started)) s; reports: $(echo -n "$found" | grep -c . || true)"
if ((rc != 0)); then
    echo "ci-sanitizers: FAILED (ctest exit $rc${found:+, reports kept in $reports})" >&2
    exit 1
fi
echo "ci-sanitizers: passed, no sanitizer reports"
