#!/usr/bin/env bash
# CI: builds the Debian package with CPack from the normal build folder (./build or $BUILD_DIR, configured and
# built by scripts/build.sh) and checks it:
# - the layout: the program in /usr/lib/vmfwupd (where it looks for the firmware image) with its window icon and
#   the note, the /usr/bin link, desktop entry, hicolor icons, manual page, AppStream metainfo, copyright file,
#   changelog and lintian overrides, and nothing else: the same files as `cmake --install --prefix /usr`;
# - the control fields, the library dependencies filled in, the changelog's version;
# - lintian (any E: or W: fails; an override that matches nothing fails too), appstreamcli validate, and
#   desktop-file-validate;
# - installing it with apt (which must pull in nothing else here: the build needed every library it depends on)
#   and purging it again: afterwards dpkg no longer knows it, and no path of `dpkg -L` is left but directories
#   that other packages own. A machine that has vmfwupd installed already is not touched: the check fails.
# Any miss fails. The package is left in the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${BUILD_DIR:-$top/build}")
started=$(date +%s)

[[ -f $build/CPackConfig.cmake && -x $build/app/vmfwupd ]] \
    || { echo "ci-package: no built tree in $build (run scripts/build.sh first)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vmfwupd-package.XXXXXX")
installed_here=0
cleanup() {
    if ((installed_here)); then
        echo "ci-package: purging vmfwupd after a failed check" >&2
        apt-get purge -y -qq -o DPkg::Lock::Timeout=300 vmfwupd >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

problems=()
miss() { problems+=("$*"); }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")

if ! (cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "ci-package: FAILED: cpack could not build the package" >&2
    exit 1
fi
debs=("$work"/out/*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "ci-package: FAILED: expected one .deb, got: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
packed=$(date +%s)

# Contents: "<mode> <path>" per entry, "<mode> <path> -> <target>" for a link; the top folder ./usr left out.
listing() { sort -k2 | grep -v -E '^\S+ usr$'; }
dpkg-deb -c "$deb" | awk '$6 != "./" { line = $1 " " substr($6, 3); sub("/$", "", line)
                                       if ($7 == "->") line = line " -> " $8; print line }' | listing >"$work/contents"
icons=()
for size in 16 22 24 32 48 64 128 256; do icons+=("usr/share/icons/hicolor/${size}x$size/apps/vmfwupd.png"); done
expected=(usr/bin/vmfwupd usr/lib/vmfwupd/vmfwupd usr/lib/vmfwupd/velmoraowl.png
          usr/lib/vmfwupd/firmware-goes-here.txt usr/share/vmfwupd/velmoraowl.png
          usr/share/applications/vmfwupd.desktop usr/share/man/man1/vmfwupd.1.gz
          usr/share/metainfo/example.velmora.vmfwupd.metainfo.xml usr/share/doc/vmfwupd/copyright
          usr/share/doc/vmfwupd/changelog.gz usr/share/lintian/overrides/vmfwupd "${icons[@]}")
has() {
    local mode=$1 path=$2
    grep -qE -- "^$mode ${path//./\\.}( |$)" "$work/contents" || miss "no $path with mode $mode in the package"
}
has 'lrwxrwxrwx' 'usr/bin/vmfwupd -> ../lib/vmfwupd/vmfwupd'
has '-rwxr-xr-x' usr/lib/vmfwupd/vmfwupd
has 'lrwxrwxrwx' 'usr/lib/vmfwupd/velmoraowl.png -> ../../share/vmfwupd/velmoraowl.png'
for path in "${expected[@]:3}"; do has '-rw-r--r--' "$path"; done
# Nothing else: above all no firmware image to flash by mistake, no simulator, no autopilot, no tests.
awk '$1 !~ /^d/ {print $2}' "$work/contents" | sort >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
if ! diff -u "$work/expected" "$work/files" >"$work/files.diff"; then
    miss "the package's files differ from the expected list: $(grep -E '^[-+][^-+]' "$work/files.diff" | tr '\n' ' ')"
fi
# CPack packs what the install rules lay out: `cmake --install --prefix /usr` must give the same tree.
DESTDIR=$work/installed cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/installed" && find usr -mindepth 1 \( -type l -printf '%M %p -> %l\n' \) -o -printf '%M %p\n') \
    | listing >"$work/installed.list"
if ! diff -u "$work/contents" "$work/installed.list" >"$work/install.diff"; then
    miss "cmake --install --prefix /usr lays out other files than the package: $(grep -E '^[-+][^-+]' "$work/install.diff" | tr '\n' ' ')"
fi

# Control fields: the shared-library dependencies must have been filled in.
for field in Package Version Architecture Maintainer Description Section Homepage; do
    [[ -n $(dpkg-deb -f "$deb" "$field") ]] || miss "control field $field is empty"
done
depends=$(dpkg-deb -f "$deb" Depends)
qt=$(sed -n 's/^VMFWUPD_QT:STRING=//p' "$build/CMakeCache.txt")
if [[ $qt == 5 ]]; then qtlibs=(libqt5core5a libqt5gui5 libqt5widgets5 libqt5network5 libqt5dbus5)
else qtlibs=(libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6dbus6 qt6-qpa-plugins); fi
for lib in "${qtlibs[@]}" libc6 libstdc++6; do
    [[ $depends == *"$lib"* ]] || miss "Depends lacks $lib (got: '${depends}')"
done

# The installed files themselves.
root=$work/root
dpkg-deb -x "$deb" "$root"
changelog_version=$(dpkg-parsechangelog -l "$top/packaging/changelog" -S Version)
[[ $changelog_version == "$version" ]] || miss "packaging/changelog's latest version is $changelog_version, the package's $version"
for path in usr/share/applications/vmfwupd.desktop usr/lib/vmfwupd/firmware-goes-here.txt; do
    ! grep -n '@' "$root/$path" || miss "$path has a place holder left (above)"
done
zcat "$root/usr/share/man/man1/vmfwupd.1.gz" | grep -n '@' && miss "the manual page has a place holder left (above)"
entry=$root/usr/share/applications/vmfwupd.desktop
if [[ -f $entry ]]; then
    desktop-file-validate "$entry" || miss "desktop-file-validate rejects the desktop entry"
    exec_line=$(sed -n 's/^Exec=//p' "$entry")
    [[ ${exec_line%% *} == /usr/bin/vmfwupd ]] || miss "the desktop entry starts '$exec_line', not /usr/bin/vmfwupd"
    # The window icon is read from the working directory, the firmware image from beside the program.
    [[ $(sed -n 's/^Path=//p' "$entry") == /usr/lib/vmfwupd ]] || miss "the desktop entry's Path is not /usr/lib/vmfwupd"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [[ $icon == vmfwupd ]] || miss "the desktop entry's icon is '$icon', not vmfwupd"
fi
program=$root/usr/lib/vmfwupd/vmfwupd
if [[ -f $program ]]; then
    file -b "$program" | grep -q 'ELF.*executable' || miss "usr/lib/vmfwupd/vmfwupd is not an executable: $(file -b "$program")"
    if ldd "$program" | grep -q 'not found'; then
        miss "the packaged program lacks libraries: $(ldd "$program" | grep 'not found' | tr -s ' \n' ' ')"
    fi
fi
[[ $(realpath -m "$root/usr/lib/vmfwupd/velmoraowl.png") == "$root/usr/share/vmfwupd/velmoraowl.png" ]] \
    || miss "usr/lib/vmfwupd/velmoraowl.png does not lead to usr/share/vmfwupd/velmoraowl.png"
cmp -s "$root/usr/share/vmfwupd/velmoraowl.png" "$top/resources/OwlSticker.png" || miss "the window icon is not the owl sticker"
for path in "${icons[@]}"; do
    size=${path#usr/share/icons/hicolor/}
    size=${size%%x*}
    [[ ! -f $root/$path ]] || file -b "$root/$path" | grep -q "^PNG image data, $size x $size," \
        || miss "$path is not a $size x $size PNG: $(file -b "$root/$path")"
done

# lintian: everything it says is printed; errors and warnings fail, and so does an override that no longer
# matches anything (a stale reason must not stay behind).
lintian --info --display-info --show-overrides --pedantic "$deb" >"$work/lintian.log" 2>&1 || true
grep -v '^N:' "$work/lintian.log" | grep -v '^running with root privileges is not recommended!$' | sed 's/^/  lintian: /'
if grep -E '^[EW]: ' "$work/lintian.log" >/dev/null; then miss "lintian reports errors or warnings (above)"; fi
if grep -E 'unused-override|mismatched-override' "$work/lintian.log" >/dev/null; then miss "a lintian override matches nothing"; fi
linted=$(date +%s)

# AppStream: the metainfo file alone, then together with the desktop entry it names.
metainfo=$root/usr/share/metainfo/example.velmora.vmfwupd.metainfo.xml
for check in validate validate-tree; do
    target=$metainfo
    [[ $check == validate-tree ]] && target=$root
    appstreamcli "$check" --no-net "$target" >"$work/appstream.log" 2>&1 || miss "appstreamcli $check fails"
    sed "s|$root/||; s/^/  appstreamcli $check: /" "$work/appstream.log"
    grep -qE '^ *[EW]: ' "$work/appstream.log" && miss "appstreamcli $check reports errors or warnings (above)"
done

# Install and purge, one run at a time on this machine.
lockdir=/run/lock
[[ -d $lockdir ]] || lockdir=/tmp
exec 9>"$lockdir/vmfwupd-package-check.lock"
state=$(dpkg-query -W -f='${db:Status-Status}' vmfwupd 2>/dev/null || true)
if ! flock -w 900 9; then
    miss "another package check holds $lockdir/vmfwupd-package-check.lock: install and purge not checked"
elif [[ -n $state && $state != not-installed ]]; then
    miss "vmfwupd is already on this machine ($state): the install check would replace and purge it, so it is not run"
else
    export DEBIAN_FRONTEND=noninteractive
    apt=(apt-get -o DPkg::Lock::Timeout=300)
    "${apt[@]}" install -s "$deb" >"$work/apt-sim.log" 2>&1 || { cat "$work/apt-sim.log" >&2; miss "apt-get install -s fails"; }
    extra=$(sed -n 's/^Inst \([^ ]*\).*/\1/p' "$work/apt-sim.log" | grep -vx vmfwupd || true)
    if [[ -n $extra ]]; then
        miss "apt would also install: ${extra//$'\n'/ }"
    else
        installed_here=1
        "${apt[@]}" install -y -qq "$deb" >"$work/apt-install.log" 2>&1 || { cat "$work/apt-install.log" >&2; miss "apt-get install fails"; }
        dpkg -L vmfwupd >"$work/dpkg-L" || miss "dpkg -L vmfwupd fails after the install"
        [[ $(dpkg-query -W -f='${db:Status-Status}' vmfwupd) == installed ]] || miss "vmfwupd is not installed after apt-get install"
        [[ $(realpath /usr/bin/vmfwupd) == /usr/lib/vmfwupd/vmfwupd ]] || miss "/usr/bin/vmfwupd does not lead to /usr/lib/vmfwupd/vmfwupd"
        [[ $(man -w vmfwupd 2>/dev/null) == /usr/share/man/man1/vmfwupd.1.gz ]] || miss "man -w vmfwupd does not find the manual page"
        "${apt[@]}" purge -y -qq vmfwupd >"$work/apt-purge.log" 2>&1 || { cat "$work/apt-purge.log" >&2; miss "apt-get purge fails"; }
        if dpkg -s vmfwupd >"$work/dpkg-s" 2>&1; then
            miss "dpkg still knows vmfwupd after the purge: $(grep '^Status' "$work/dpkg-s")"
        else
            installed_here=0
        fi
        left=()
        shared=()
        while read -r path; do
            [[ -e $path || -L $path ]] || continue
            if [[ -d $path && ! -L $path ]] && dpkg-query -S "$path" >/dev/null 2>&1; then shared+=("$path"); continue; fi
            left+=("$path")
        done <"$work/dpkg-L"
        ((${#left[@]} == 0)) || miss "left behind after the purge: ${left[*]}"
        echo "ci-package: apt installed vmfwupd alone ($(grep -c . "$work/dpkg-L") paths); after the purge" \
            "${#left[@]} of them are left, besides ${#shared[@]} directories that other packages own"
    fi
fi
flock -u 9
installed=$(date +%s)

cp "$deb" "$build/"
echo "ci-package: $(basename "$deb"), $(stat -c %s "$deb") bytes, Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB, Depends: $depends"
echo "ci-package: cpack $((packed - started)) s, layout and lintian $((linted - packed)) s," \
    "appstream, install and purge $((installed - linted)) s, total $((installed - started)) s"
if ((${#problems[@]})); then
    printf 'ci-package: MISS: %s\n' "${problems[@]}" >&2
    echo "ci-package: FAILED" >&2
    exit 1
fi
echo "ci-package: passed: lintian clean, AppStream valid, installs alone with apt and purges without a trace"
