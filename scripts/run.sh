#!/usr/bin/env bash
# The README's main command: from a fresh Debian 12 machine to a whole firmware update against the simulated
# station. Installs what is missing, builds, then runs the station and the updater side by side in a private
# two-host network (tests/netns-run), so the discovery broadcast never leaves this machine.
#   With a display: the updater opens there and you click through the update yourself.
#   Without one:    vmfwupd-autopilot carries one update through on a virtual display (Xvfb), prints every
#                   status text and saves a screenshot of each stage into a folder named at the end
#                   (out/run-<time>/ or $SCREENSHOT_DIR).
# Needs root, for the private network.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

if [[ $(id -u) -ne 0 ]]; then
    echo "run: needs root: the simulated station and the updater run in a private network of two network" >&2
    echo "run: namespaces (so the updater's discovery broadcast stays on this machine), and only root can" >&2
    echo "run: create those. Try: sudo -E $0" >&2
    exit 1
fi

"$top/scripts/setup-deps.sh"
"$top/scripts/build.sh"
build=$(realpath "${BUILD_DIR:-$top/build}")

# A folder of its own for the demo, so the made-up firmware image never lies beside the real build's updater,
# which someone might point at a real station.
demo=$build/demo
mkdir -p "$demo"
cp "$build/app/vmfwupd" "$build/tools/autopilot/vmfwupd-autopilot" "$demo/"
cp "$top/resources/OwlSticker.png" "$demo/velmoraowl.png"
image=$demo/vmlinuz20210125_v143
[[ -s $image ]] || head -c $((4 * 1024 * 1024)) /dev/urandom >"$image"

# The private network cannot reach an X server over TCP (ssh forwarding): only a local display will do.
mode=autopilot
if [[ ${DISPLAY:-} =~ ^(unix)?:[0-9] ]] && xdpyinfo >/dev/null 2>&1; then
    mode=person
elif [[ -n ${DISPLAY:-} ]]; then
    echo "run: the display '$DISPLAY' is not a local one the private network can reach; running the autopilot"
fi

if [[ $mode == person ]]; then
    exec "$top/tests/netns-run" "$top/scripts/demo.sh" person "$demo" "$build"
fi

shots=$(realpath -m "${SCREENSHOT_DIR:-$top/out/run-$(date +%Y%m%d-%H%M%S)}")
mkdir -p "$shots"
set +e
"$top/tests/netns-run" "$top/scripts/demo.sh" autopilot "$demo" "$build" "$shots"
rc=$?
set -e
echo
if ((rc == 0)); then
    echo "run: one whole update went through; the screenshots of its stages are in $shots:"
else
    echo "run: the update did NOT go through (exit $rc); what was saved is in $shots:" >&2
fi
ls -1 "$shots" | sed 's/^/    /'
exit "$rc"
