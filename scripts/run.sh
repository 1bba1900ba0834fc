#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to the running updater: installs what is missing, builds and starts it.
# Without a display it shows the window on a virtual display and saves a screenshot instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-deps.sh"
"$top/scripts/build.sh"
updater=${BUILD_DIR:-$top/build}/app/vmfwupd
if [[ -n ${DISPLAY:-} ]]; then
    cd "$(dirname "$updater")"
    exec "$updater"
fi
shot=${SCREENSHOT:-$top/out/vmfwupd-window.png}
mkdir -p "$(dirname "$shot")"
"$top/scripts/screenshot.sh" "$shot" "$updater"
echo "run: no display here; the updater's window was saved to $shot"
