#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them all, each bounded in time, printing their figures and the
# machine they ran on.
#   bench/run.sh              build into ./build-bench-qtN (N the project's Qt generation) and run everything
#   bench/run.sh 6 5          the same for each Qt generation named, each benchmark for one, then the other,
#                             so that their figures come from the same run on the same machine
# Needs root: the start-up benchmark runs under Xvfb in a network namespace with only loopback, and the
# discovery benchmark in the private two-host network of tests/netns-run. The others use loopback only.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Nothing here reaches this machine's message buses (their sockets, by path, cross network namespaces).
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/vmfwupd-no-bus
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/vmfwupd-no-bus

# Second stage of the start-up benchmark, in its own network namespace:
#   unshare --net -- bench/run.sh --startup-in-private-net BUILD_DIR
xvfb=
startup_in_private_net() {
    local links display
    links=$(ip -o link show | sed -E 's/^[0-9]+: ([^:@]+).*/\1/' | tr '\n' ' ')
    [[ $links == "lo " ]] || { echo "startup: refused: links other than lo here: $links" >&2; exit 2; }
    ip link set lo up
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    trap '[[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null; rm -rf "$XDG_RUNTIME_DIR"' EXIT
    for _ in 1 2 3 4 5; do
        display=$((100 + RANDOM % 400))
        [[ -e /tmp/.X$display-lock ]] && continue
        Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        for _ in $(seq 50); do
            DISPLAY=:$display xdpyinfo >/dev/null 2>&1 && break
            kill -0 "$xvfb" 2>/dev/null || break
            sleep 0.1
        done
        DISPLAY=:$display xdpyinfo >/dev/null 2>&1 && break
        kill "$xvfb" 2>/dev/null || true
        xvfb=
    done
    [[ -n $xvfb ]] || { echo "startup: Xvfb did not start" >&2; exit 1; }
    # The window reads its icon from the working directory, as next to the installed program.
    cd "$build/app" 2>/dev/null || cd "$build"
    DISPLAY=:$display timeout 120 env -u QT_QPA_PLATFORM "$build/bench/bench-startup" --runs 15
}

if [[ ${1-} == --startup-in-private-net ]]; then
    build=$2
    startup_in_private_net
    exit
fi

generations=("$@")
((${#generations[@]})) || generations=("$(sed -n 's/^set(VMFWUPD_QT \([0-9]\) CACHE.*/\1/p' "$top/CMakeLists.txt")")
for qt in "${generations[@]}"; do
    [[ $qt == 5 || $qt == 6 ]] || { echo "bench: '$qt' is no Qt generation: 5 or 6" >&2; exit 2; }
done

[[ $(id -u) -eq 0 ]] || { echo "bench: run as root (network namespaces for start-up and discovery)" >&2; exit 1; }
for tool in cmake Xvfb xdpyinfo unshare ip timeout; do
    command -v "$tool" >/dev/null || { echo "bench: '$tool' not found (scripts/setup-deps.sh)" >&2; exit 1; }
done
if ! command -v curl >/dev/null; then
    echo "bench: installing curl (the upload benchmark compares with it)"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends curl >/dev/null
fi

for qt in "${generations[@]}"; do
    cmake -S "$top" -B "$top/build-bench-qt$qt" -DCMAKE_BUILD_TYPE=Release -DVMFWUPD_QT="$qt" >/dev/null
    cmake --build "$top/build-bench-qt$qt" -j"$(nproc)" \
        --target station-sim bench-upload bench-polling bench-startup bench-discovery >/dev/null
done

echo "vmfwupd benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo '?')"
echo "machine: $(nproc) CPUs, $(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)," \
    "$(awk '/^MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) memory, kernel $(uname -r)," \
    "Release builds"

failed=()
# run NAME COMMAND...: COMMAND once per generation, with $build standing for that generation's build folder.
run() {
    local name=$1 qt rc build
    shift
    for qt in "${generations[@]}"; do
        build=$top/build-bench-qt$qt
        echo
        echo "--- $name, Qt $(pkg-config --modversion "Qt${qt}Core" 2>/dev/null || echo "$qt?")"
        rc=0
        "${@//@build@/$build}" || rc=$?
        if ((rc != 0)); then
            failed+=("$name (Qt $qt)")
            echo "$name: FAILED (exit $rc)"
        fi
    done
}
run upload timeout 900 @build@/bench/bench-upload --rounds 5
run polling timeout 300 @build@/bench/bench-polling
run polling-paced timeout 300 @build@/bench/bench-polling --batch 100 --stations answering,refusing
run startup timeout 180 unshare --net -- "$0" --startup-in-private-net @build@
run discovery timeout 180 "$top/tests/netns-run" @build@/bench/bench-discovery --runs 30

echo
if ((${#failed[@]})); then
    echo "bench: failed: ${failed[*]}"
    exit 1
fi
echo "bench: all benchmarks ran"
