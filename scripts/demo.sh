#!/usr/bin/env bash
# The inside of scripts/run.sh: runs on the updater host of the private network that tests/netns-run builds.
# Starts the simulated station on the station host, then either the updater for a person to click through, the
# autopilot on a virtual display, or one whole `vmfwupd-cli update --yes`.
#   scripts/demo.sh person DEMO_DIR BUILD_DIR
#   scripts/demo.sh autopilot DEMO_DIR BUILD_DIR SCREENSHOT_DIR
#   scripts/demo.sh cli DEMO_DIR BUILD_DIR
# DEMO_DIR holds vmfwupd, vmfwupd-autopilot (or vmfwupd-cli), the window icon and a made-up firmware image beside
# them.
# VMFWUPD_DEMO_STATION_ARGS adds options of station-sim (e.g. "--generation v11"), VMFWUPD_DEMO_AUTOPILOT_ARGS
# options of the autopilot (e.g. "--dutch --time-limit 900"); VMFWUPD_DEMO_CAPTURE=FILE
# records every packet of the station's HTTP port on the station host's link into FILE (tcpdump).
set -euo pipefail

if [[ -z ${VMFWUPD_STATION_NETNS:-} || -z ${VMFWUPD_STATION_IP:-} ]]; then
    echo "demo: run me through tests/netns-run: I press \"Find my Velmora\", which broadcasts" >&2
    exit 2
fi
mode=${1:?usage: demo.sh person|autopilot|cli DEMO_DIR BUILD_DIR [SCREENSHOT_DIR]}
demo=${2:?demo folder}
build=${3:?build folder}
shots=${4:-}

case $mode in
    # Real flashing times and a three-second reboot, as a person would meet them.
    person) sim_args=(--lifetime 7200) ;;
    # Quicker flashing; each step still outlasts the window's 2 s poll, so every one is shown.
    autopilot | cli) sim_args=(--lifetime 600 --time-scale 0.75 --reboot-seconds 2) ;;
    *) echo "demo: unknown mode '$mode'" >&2; exit 2 ;;
esac
read -r -a extra_args <<<"${VMFWUPD_DEMO_STATION_ARGS:-}"
sim_args+=("${extra_args[@]}")

sim_pid=
xvfb_pid=
capture_pid=
work=$(mktemp -d "${TMPDIR:-/tmp}/vmfwupd-demo.XXXXXX")
cleanup() {
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true
    [[ -n $capture_pid ]] && kill -INT "$capture_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 5 s for a file to hold a first line.
wait_first_line() {
    local i
    for ((i = 0; i < 50; i++)); do
        [[ -s $1 ]] && head -1 "$1" | grep -q . && return 0
        sleep 0.1
    done
    return 1
}

if [[ -n ${VMFWUPD_DEMO_CAPTURE:-} ]]; then
    nsenter --net="$VMFWUPD_STATION_NETNS" -- tcpdump -i "$VMFWUPD_STATION_IF" -s 0 -U -w "$VMFWUPD_DEMO_CAPTURE" \
        'tcp port 80' 2>"$work/tcpdump.err" &
    capture_pid=$!
    for ((i = 0; i < 50; i++)); do grep -q 'listening on' "$work/tcpdump.err" && break; sleep 0.1; done
    grep -q 'listening on' "$work/tcpdump.err" || { cat "$work/tcpdump.err" >&2; exit 1; }
fi

log=$demo/station-sim.log
: >"$log"
nsenter --net="$VMFWUPD_STATION_NETNS" -- "$build/tools/station-sim/station-sim" \
    --listen "$VMFWUPD_STATION_IP" --port 80 --discovery --log "$log" "${sim_args[@]}" \
    >"$work/station.out" 2>"$work/station.err" &
sim_pid=$!
if ! wait_first_line "$work/station.out"; then
    echo "demo: the simulated station did not start:" >&2
    cat "$work/station.err" >&2
    exit 1
fi
echo "demo: simulated station at $VMFWUPD_STATION_IP (HTTP port 80, discovery on UDP 23456); requests: $log"

# The window icon is read from the working directory, as next to an installed program.
cd "$demo"

if [[ $mode == person ]]; then
    echo "demo: the updater is open on your display: press \"Find my Velmora\", tick the bracelet box, press" \
        "\"Update Firmware\". Close the window to end. Its debug lines go to $demo/vmfwupd.log"
    "$demo/vmfwupd" >"$demo/vmfwupd.log" 2>&1
    exit 0
fi

# Nobody watches these runs: they keep off this machine's message buses (the update then holds no sleep inhibitor,
# and says so in a line of its own).
nobus=unix:path=/nonexistent/vmfwupd-no-bus
if [[ $mode == cli ]]; then
    echo "demo: vmfwupd-cli update --yes, in the private network"
    DBUS_SESSION_BUS_ADDRESS=$nobus DBUS_SYSTEM_BUS_ADDRESS=$nobus timeout 600 "$demo/vmfwupd-cli" update --yes
    exit
fi

# -displayfd lets Xvfb pick a free display number and tell it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>"$work/xvfb.err" &
xvfb_pid=$!
if ! wait_first_line "$work/display"; then
    echo "demo: Xvfb did not start:" >&2
    cat "$work/xvfb.err" >&2
    exit 1
fi
export DISPLAY=:$(head -1 "$work/display")
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
# Qt wants a private runtime folder, which root has none of without a login session.
export XDG_RUNTIME_DIR=$work
# A person's run above leaves their own session bus alone.
export DBUS_SESSION_BUS_ADDRESS=$nobus
export DBUS_SYSTEM_BUS_ADDRESS=$nobus
echo "demo: no display: the autopilot carries one update through on the virtual display $DISPLAY"
read -r -a autopilot_args <<<"${VMFWUPD_DEMO_AUTOPILOT_ARGS:-}"
"$demo/vmfwupd-autopilot" --out "$shots" --time-limit 300 "${autopilot_args[@]}"
