#!/usr/bin/env bash
# Installs the Debian 12 packages vmfwupd needs, skipping what is already there: those of both Qt generations
# it builds with (Qt 6 and Qt 5.15; qt6-qpa-plugins holds Qt 6's X11 and offscreen platforms), and dbus-daemon,
# which the tests start as private message buses of their own. The package check runs ufw and firewalld unpacked,
# not installed: what they need of Python comes from here.
#   setup-deps.sh            to build, test and run the updater
#   setup-deps.sh --checks   also the tools of the quality gates (sanitizers, fuzzing, static analysis)
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-qpa-plugins
    qtbase5-dev qttools5-dev-tools qttools5-dev
    libcpp-httplib-dev
    xvfb x11-utils imagemagick fonts-dejavu-core
    iproute2 util-linux dbus-daemon
    dpkg-dev desktop-file-utils lintian appstream man-db file curl
    python3 python3-gi python3-dbus gir1.2-glib-2.0
)
if [[ ${1:-} == --checks ]]; then
    packages+=(clang libclang-rt-14-dev clang-tidy clazy)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
    if [[ $(id -u) -ne 0 ]]; then
        echo "setup-deps: missing packages: ${missing[*]}; run as root (or sudo) to install them" >&2
        exit 1
    fi
    echo "setup-deps: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Qt draws no text and warns about nothing when no font is found: fail here instead.
fc-match sans-serif >/dev/null || { echo "setup-deps: no sans-serif font available" >&2; exit 1; }
