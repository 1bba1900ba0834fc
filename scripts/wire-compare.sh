#!/usr/bin/env bash
# Compares what two builds of the updater (say, the Qt 5 and the Qt 6 one) send to a station, byte for byte.
#   scripts/wire-compare.sh BUILD_A BUILD_B [OUT_DIR]
# For each station generation (current, v11) and each build, the autopilot carries one whole update through in
# the private network (scripts/demo.sh, as scripts/run.sh does) against the same simulated station (BUILD_A's)
# and the same firmware image, while tcpdump records the station's HTTP port. A build written cli:BUILD runs its
# `vmfwupd-cli update --yes` instead of the window (e.g. `wire-compare.sh build cli:build`), whose transcript is
# kept in OUT_DIR. scripts/wirerequests.py turns each
# capture into one line per request, exact bytes but for the rand values and the image's own bytes. Two builds
# agree when every distinct request of one is a request of the other, and the order of request kinds agrees
# (repeats of the same poll, whose count depends on timing, counted once). Needs root; about 8 minutes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: wire-compare.sh [cli:]BUILD_A [cli:]BUILD_B [OUT_DIR]"
a_arg=${1:?$usage}
b_arg=${2:?$usage}
# The front end that each side runs: the window (autopilot) or the command line.
front() { [[ $1 == cli:* ]] && echo cli || echo autopilot; }
a_mode=$(front "$a_arg")
b_mode=$(front "$b_arg")
a=$(realpath "${a_arg#cli:}")
b=$(realpath "${b_arg#cli:}")
out=$(realpath -m "${3:-$top/out/wire-$(date +%Y%m%d-%H%M%S)}")
[[ $(id -u) -eq 0 ]] || { echo "wire-compare: needs root (private network, packet capture)" >&2; exit 1; }
command -v tcpdump >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq tcpdump >/dev/null

mkdir -p "$out"
image=$out/vmlinuz20210125_v143
[[ -s $image ]] || head -c $((4 * 1024 * 1024)) /dev/urandom >"$image"

# The path of each request and its kind: the JSON command's parameter, or the page. The window asks for the
# version on every tick once the update is over: whether one more such poll left before the autopilot ended
# is a matter of timing.
kinds() {
    sed -E 's/^([A-Z]+ [^? ]*)[^ ]*(sysParamType%22:|paramId%22:)([0-9]+).*/\1#\2\3/; s/^([A-Z]+ [^? ]*)[? ].*/\1/' \
        "$1" | uniq | sed '${/sysParamType%22:6$/d}'
}

rc=0
for generation in current v11; do
    for side in a b; do
        if [[ $side == a ]]; then build=$a mode=$a_mode; else build=$b mode=$b_mode; fi
        run=$out/$generation-$side-$mode
        rm -rf "$run"
        mkdir -p "$run/shots"
        if [[ $mode == cli ]]; then
            cp "$build/cli/vmfwupd-cli" "$image" "$run/"
        else
            cp "$build/app/vmfwupd" "$build/tools/autopilot/vmfwupd-autopilot" "$image" "$run/"
            cp "$top/resources/OwlSticker.png" "$run/velmoraowl.png"
        fi
        echo "wire-compare: $generation generation, $mode of $build"
        VMFWUPD_DEMO_STATION_ARGS="--generation $generation" VMFWUPD_DEMO_CAPTURE=$run/wire.pcap \
            "$top/tests/netns-run" "$top/scripts/demo.sh" "$mode" "$run" "$a" "$run/shots" >"$run/demo.log" 2>&1 \
            || { echo "wire-compare: the update did not go through, see $run/demo.log" >&2; exit 1; }
        "$top/scripts/wirerequests.py" "$run/wire.pcap" >"$run/requests.txt"
        sort -u "$run/requests.txt" >"$run/distinct.txt"
        kinds "$run/requests.txt" >"$run/kinds.txt"
    done
    ra=$out/$generation-a-$a_mode
    rb=$out/$generation-b-$b_mode
    echo "wire-compare: $generation: $(wc -l <"$ra/requests.txt") and $(wc -l <"$rb/requests.txt") requests," \
        "$(wc -l <"$ra/distinct.txt") and $(wc -l <"$rb/distinct.txt") distinct"
    if ! diff -u "$ra/distinct.txt" "$rb/distinct.txt" >"$out/$generation-distinct.diff"; then
        echo "wire-compare: $generation: the builds send different requests: $out/$generation-distinct.diff" >&2
        rc=1
        # Qt 6 offers brotli and zstd besides gzip and deflate: is that all?
        blind() { sed 's/\\r\\nAccept-Encoding: [^\\]*\\r\\n/\\r\\nAccept-Encoding: *\\r\\n/' "$1" | sort -u; }
        if diff -q <(blind "$ra/distinct.txt") <(blind "$rb/distinct.txt") >/dev/null; then
            echo "wire-compare: $generation: they differ only in Accept-Encoding:" \
                "$(grep -o 'Accept-Encoding: [^\\]*' "$ra/distinct.txt" | sort -u | tr '\n' ' ')/" \
                "$(grep -o 'Accept-Encoding: [^\\]*' "$rb/distinct.txt" | sort -u | tr '\n' ' ')"
        fi
    fi
    if ! diff -u "$ra/kinds.txt" "$rb/kinds.txt" >"$out/$generation-kinds.diff"; then
        echo "wire-compare: $generation: the requests come in another order: $out/$generation-kinds.diff" >&2
        rc=1
    fi
done
((rc == 0)) && echo "wire-compare: the two builds send the same requests, byte for byte; captures in $out"
exit "$rc"
