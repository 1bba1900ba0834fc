#!/usr/bin/env bash
# Shows the updater window on a virtual X display and writes a PNG of it.
#   scripts/screenshot.sh OUTPUT.png [UPDATER]
# The virtual display is a 96 dpi desktop (Xft.dpi 96), the look's own scale 1.
#   SCREENSHOT_DPI=144 scripts/screenshot.sh ...   as a desktop scaled to 150 % shows it (Xft.dpi 144)
# As root the display and the updater run in a private network namespace with only loopback, so the window
# cannot reach any network while it is being looked at.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:?usage: screenshot.sh OUTPUT.png [UPDATER]}")
updater=$(realpath "${2:-${BUILD_DIR:-$top/build}/app/vmfwupd}")
[[ -x $updater ]] || { echo "screenshot: no updater at $updater (build first)" >&2; exit 1; }

if [[ ${VMFWUPD_IN_PRIVATE_NET:-} != 1 ]]; then
    [[ $(id -u) -eq 0 ]] || { echo "screenshot: needs root for a private network namespace" >&2; exit 1; }
    exec env VMFWUPD_IN_PRIVATE_NET=1 unshare --net -- "$0" "$out" "$updater"
fi
ip link set lo up
# The window keeps off this machine's message buses too: their sockets, by path, cross network namespaces.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/vmfwupd-no-bus
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/vmfwupd-no-bus

display=:$((90 + RANDOM % 400))
dpi=${SCREENSHOT_DPI:-96}
size=1280x1024x24
((dpi > 96)) && size=2560x2048x24
# -noreset: the server would forget the resource set below once its setter disconnects.
Xvfb "$display" -screen 0 "$size" -dpi 96 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
    [[ -n $app ]] && kill "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
# A desktop tells applications its scale through the X resource Xft.dpi, as xrdb sets it.
xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$dpi
"

# The window icon is read from the working directory, as on a user's machine next to the program.
cd "$(dirname "$updater")"
"$updater" >/dev/null 2>&1 &
app=$!
window=
for _ in $(seq 100); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"Velmora Updater/ {print $1; exit}')
    [[ -n $window ]] && break
    sleep 0.1
done
[[ -n $window ]] || { echo "screenshot: the updater window did not appear" >&2; exit 1; }
sleep 1 # let the first paint land
/usr/bin/import -window "$window" "$out"
echo "screenshot: $(xwininfo -id "$window" | awk '/Width|Height/ {printf "%s%s ", $1, $2}')-> $out"
