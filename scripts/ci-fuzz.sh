#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into ./build-fuzz (or $BUILD_DIR_FUZZ), replays each seed corpus of
# tests/fuzz/corpus, then fuzzes each target for $FUZZ_SECONDS seconds (default 30). New inputs go to a
# temporary corpus, never into the repository. Any crash, sanitizer report, broken property, leak, time-out or
# memory blow-up fails the run; its input is kept and printed in hex.
# Extra arguments go to cmake's configure step.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR_FUZZ:-$top/build-fuzz}
seconds=${FUZZ_SECONDS:-30}
fuzzdir=$top/tests/fuzz
targets=(discoverydatagram jsonreply uploadpage v11page)

for tool in clang clang++; do
    command -v "$tool" >/dev/null || { echo "ci-fuzz: '$tool' not found (packages clang, libclang-rt-14-dev)" >&2; exit 1; }
done

started=$(date +%s)
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DVMFWUPD_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" --target vmfwupd_fuzzers -j"${JOBS:-$(nproc)}"
built=$(date +%s)

work=$(mktemp -d "${TMPDIR:-/tmp}/vmfwupd-fuzz.XXXXXX")
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:disable_coredump=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:abort_on_error=1"

failed=()
summary=()

# Prints each saved input of a failed run in hex, for a report.
show_findings() {
    local name=$1 f
    for f in "$work/artifacts/$name"-*; do
        [[ -e $f ]] || continue
        echo "ci-fuzz: $name finding $(basename "$f") ($(stat -c %s "$f") bytes):" >&2
        od -An -tx1 -v "$f" | tr -s ' \n' ' ' | fold -w 96 >&2
        echo >&2
    done
}

# stat::number_of_executed_units from libFuzzer's final statistics.
executions() {
    sed -n 's/^stat::number_of_executed_units: *//p' "$1" | tail -1
}

for name in "${targets[@]}"; do
    binary=$build/tests/fuzz/fuzz_$name
    seeds=$fuzzdir/corpus/$name
    mkdir -p "$work/corpus/$name" "$work/artifacts"
    common=(-dict="$fuzzdir/$name.dict" -artifact_prefix="$work/artifacts/$name-" -timeout=10 -rss_limit_mb=2048
            -print_final_stats=1)

    replay_log=$work/$name-replay.log
    if ! "$binary" "${common[@]}" -runs=0 "$seeds" >"$replay_log" 2>&1; then
        echo "ci-fuzz: $name: the seed corpus fails" >&2
        tail -40 "$replay_log" >&2
        show_findings "$name"
        failed+=("$name(replay)")
        summary+=("$(printf '%-18s seed corpus FAILED, not fuzzed' "$name")")
        continue
    fi
    replayed=$(executions "$replay_log")

    # The first corpus directory receives the new inputs; the repository's seeds are only read.
    fuzz_log=$work/$name-fuzz.log
    t0=$(date +%s)
    if ! "$binary" "${common[@]}" -max_total_time="$seconds" "$work/corpus/$name" "$seeds" >"$fuzz_log" 2>&1; then
        echo "ci-fuzz: $name: finding while fuzzing" >&2
        tail -40 "$fuzz_log" >&2
        show_findings "$name"
        failed+=("$name")
    fi
    t1=$(date +%s)
    runs=$(executions "$fuzz_log")
    cov=$(grep -oE 'cov: [0-9]+' "$fuzz_log" | tail -1 | cut -d' ' -f2)
    corpus=$(find "$work/corpus/$name" -type f | wc -l)
    summary+=("$(printf '%-18s seeds replayed (%s runs); fuzzed %s s: %s executions (%s/s), cov %s, %s new inputs' \
        "$name" "${replayed:-?}" "$((t1 - t0))" "${runs:-?}" "$(( ${runs:-0} / ( t1 > t0 ? t1 - t0 : 1 ) ))" \
        "${cov:-?}" "$corpus")")
done
finished=$(date +%s)

echo "ci-fuzz: per target (libFuzzer final stats):"
printf '  %s\n' "${summary[@]}"
echo "ci-fuzz: build $((built - started)) s, fuzzing $((finished - built)) s, total $((finished - started)) s"
if ((${#failed[@]})); then
    echo "ci-fuzz: FAILED: ${failed[*]}; logs and inputs kept in $work" >&2
    exit 1
fi
rm -rf "$work"
echo "ci-fuzz: passed, no findings"
