#!/usr/bin/env bash
# CI: builds the Debian package with CPack from the normal build folder (./build or $BUILD_DIR, configured and
# built by scripts/build.sh) and checks it: the program in /opt/vmfwupd, where it looks for the firmware image;
# the desktop entry and its icon (dpkg-deb -c); the library dependencies filled in (dpkg-deb -I); a valid desktop
# entry that starts that program (desktop-file-validate). Any miss fails. The package is left in the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${BUILD_DIR:-$top/build}")
started=$(date +%s)

[[ -f $build/CPackConfig.cmake && -x $build/app/vmfwupd ]] \
    || { echo "ci-package: no built tree in $build (run scripts/build.sh first)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vmfwupd-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

problems=()
miss() { problems+=("$*"); }

if ! (cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "ci-package: FAILED: cpack could not build the package" >&2
    exit 1
fi
debs=("$work"/out/*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "ci-package: FAILED: expected one .deb, got: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}

# Contents: "<mode> <path>" per entry.
dpkg-deb -c "$deb" | awk '{print $1, $NF}' >"$work/contents"
has() {
    local mode=$1 path=$2
    grep -qxE -- "$mode \\./${path//./\\.}" "$work/contents" || miss "no $path with mode $mode in the package"
}
has '-rwxr-xr-x' opt/vmfwupd/vmfwupd
has '-rw-r--r--' opt/vmfwupd/velmoraowl.png
has '-rw-r--r--' opt/vmfwupd/firmware-goes-here.txt
has '-rw-r--r--' usr/share/applications/vmfwupd.desktop
has '-rw-r--r--' usr/share/pixmaps/vmfwupd.png
# Nothing from the build tree's demo and tests: no image to flash by mistake, no simulator, no autopilot.
if grep -E 'vmlinuz|station-sim|autopilot|tst_' "$work/contents"; then
    miss "the package carries files that belong to the tests or the demo (listed above)"
fi

# Control fields: the shared-library dependencies must have been filled in.
for field in Package Version Architecture Maintainer Description; do
    [[ -n $(dpkg-deb -f "$deb" "$field") ]] || miss "control field $field is empty"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt5core5a libqt5gui5 libqt5widgets5 libqt5network5 libc6 libstdc++6; do
    [[ $depends == *"$lib"* ]] || miss "Depends lacks $lib (got: '${depends}')"
done

# The installed files themselves.
dpkg-deb -x "$deb" "$work/root"
entry=$work/root/usr/share/applications/vmfwupd.desktop
if [[ -f $entry ]]; then
    desktop-file-validate "$entry" || miss "desktop-file-validate rejects the desktop entry"
    exec_line=$(sed -n 's/^Exec=//p' "$entry")
    [[ ${exec_line%% *} == /opt/vmfwupd/vmfwupd ]] || miss "the desktop entry starts '$exec_line', not /opt/vmfwupd/vmfwupd"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [[ -f $work/root/usr/share/pixmaps/$icon.png ]] || miss "the desktop entry's icon '$icon' is not in usr/share/pixmaps"
fi
program=$work/root/opt/vmfwupd/vmfwupd
if [[ -f $program ]]; then
    file -b "$program" | grep -q 'ELF.*executable' || miss "opt/vmfwupd/vmfwupd is not an executable: $(file -b "$program")"
    if ldd "$program" | grep -q 'not found'; then
        miss "the packaged program lacks libraries: $(ldd "$program" | grep 'not found' | tr -s ' \n' ' ')"
    fi
fi
for png in opt/vmfwupd/velmoraowl.png usr/share/pixmaps/vmfwupd.png; do
    [[ ! -f $work/root/$png ]] || file -b "$work/root/$png" | grep -q '^PNG image' || miss "$png is not a PNG"
done

cp "$deb" "$build/"
echo "ci-package: $(basename "$deb"), $(stat -c %s "$deb") bytes, Depends: $depends"
echo "ci-package: $(date +%s | awk -v s="$started" '{print $1 - s}') s"
if ((${#problems[@]})); then
    printf 'ci-package: MISS: %s\n' "${problems[@]}" >&2
    echo "ci-package: FAILED" >&2
    exit 1
fi
echo "ci-package: passed: program in /opt/vmfwupd, desktop entry and icon, dependencies filled in"
