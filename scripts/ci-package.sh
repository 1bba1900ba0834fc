#!/usr/bin/env bash
# CI: builds the Debian package with CPack from the normal build folder (./build or $BUILD_DIR, configured and
# built by scripts/build.sh) and checks it:
# - the layout: the program and the command line vmfwupd-cli in /usr/lib/vmfwupd (where both look for the firmware
#   image) with the window icon and the note, their /usr/bin links, desktop entry, hicolor icons, manual pages,
#   AppStream metainfo, copyright file,
#   changelog, lintian overrides, the firewalld service and the ufw profile (a conffile, the only one), and
#   nothing else: the same files as `cmake --install --prefix /usr`;
# - the control fields, the library dependencies filled in, the changelog's version; vmfwupd-cli links neither Qt
#   Widgets nor Qt Gui;
# - lintian (any E: or W: fails; an override that matches nothing fails too), appstreamcli validate, and
#   desktop-file-validate;
# - the firewall rules, read by the firewalls' own programs: `ufw app info vmfwupd` and `ufw --dry-run allow
#   vmfwupd`, `firewall-offline-cmd --info-service=vmfwupd` and its `--add-service=vmfwupd` on a scratch
#   configuration. Their packages are fetched and unpacked into the work folder, never installed; they run in a
#   network namespace of their own, and the host's packet filter must be the same at the end as at the start;
#   the package itself has no maintainer scripts, so installing it enables no rule;
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

# What a firewall could change: the rule sets, as far as this machine has the tools to list them, and the
# kernel's tables (counters left out: traffic changes them).
packet_filter() {
    local tool table
    for tool in 'nft -s list ruleset' iptables-save ip6tables-save; do
        command -v "${tool%% *}" >/dev/null || continue
        echo "== $tool"
        { $tool 2>&1 || echo "(exit $?)"; } | sed -E '/^#/d; s/\[[0-9]+:[0-9]+\]//g'
    done
    for table in /proc/net/ip_tables_names /proc/net/ip6_tables_names /proc/net/arp_tables_names; do
        if [[ -r $table ]]; then echo "== $table"; sort "$table"; fi
    done
}
packet_filter >"$work/packet-filter.before"
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

# Contents: "<mode> <path>" per entry, "<mode> <path> -> <target>" for a link; the top folders ./usr and ./etc
# left out.
listing() { sort -k2 | grep -v -E '^\S+ (usr|etc)$'; }
dpkg-deb -c "$deb" | awk '$6 != "./" { line = $1 " " substr($6, 3); sub("/$", "", line)
                                       if ($7 == "->") line = line " -> " $8; print line }' | listing >"$work/contents"
icons=()
for size in 16 22 24 32 48 64 128 256; do icons+=("usr/share/icons/hicolor/${size}x$size/apps/vmfwupd.png"); done
expected=(usr/bin/vmfwupd usr/lib/vmfwupd/vmfwupd usr/bin/vmfwupd-cli usr/lib/vmfwupd/vmfwupd-cli
          usr/lib/vmfwupd/velmoraowl.png
          usr/lib/vmfwupd/firmware-goes-here.txt usr/share/vmfwupd/velmoraowl.png
          usr/share/applications/vmfwupd.desktop usr/share/man/man1/vmfwupd.1.gz usr/share/man/man1/vmfwupd-cli.1.gz
          usr/share/metainfo/example.velmora.vmfwupd.metainfo.xml usr/share/doc/vmfwupd/copyright
          usr/share/doc/vmfwupd/changelog.gz usr/share/lintian/overrides/vmfwupd
          usr/lib/firewalld/services/vmfwupd.xml etc/ufw/applications.d/vmfwupd "${icons[@]}")
has() {
    local mode=$1 path=$2
    grep -qE -- "^$mode ${path//./\\.}( |$)" "$work/contents" || miss "no $path with mode $mode in the package"
}
for program in vmfwupd vmfwupd-cli; do
    has 'lrwxrwxrwx' "usr/bin/$program -> ../lib/vmfwupd/$program"
    has '-rwxr-xr-x' "usr/lib/vmfwupd/$program"
done
has 'lrwxrwxrwx' 'usr/lib/vmfwupd/velmoraowl.png -> ../../share/vmfwupd/velmoraowl.png'
for path in "${expected[@]:5}"; do has '-rw-r--r--' "$path"; done
# Nothing else: above all no firmware image to flash by mistake, no simulator, no autopilot, no tests.
awk '$1 !~ /^d/ {print $2}' "$work/contents" | sort >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
if ! diff -u "$work/expected" "$work/files" >"$work/files.diff"; then
    miss "the package's files differ from the expected list: $(grep -E '^[-+][^-+]' "$work/files.diff" | tr '\n' ' ')"
fi
# CPack packs what the install rules lay out: `cmake --install --prefix /usr` must give the same tree.
DESTDIR=$work/installed cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/installed" && find usr etc -mindepth 1 \( -type l -printf '%M %p -> %l\n' \) -o -printf '%M %p\n') \
    | listing >"$work/installed.list"
if ! diff -u "$work/contents" "$work/installed.list" >"$work/install.diff"; then
    miss "cmake --install --prefix /usr lays out other files than the package: $(grep -E '^[-+][^-+]' "$work/install.diff" | tr '\n' ' ')"
fi
# What is under /etc belongs to the owner once installed: dpkg must keep their changes (conffiles).
conffiles=$(dpkg-deb -I "$deb" conffiles 2>/dev/null || true)
[[ $conffiles == /etc/ufw/applications.d/vmfwupd ]] \
    || miss "the conffiles are '${conffiles//$'\n'/ }', not /etc/ufw/applications.d/vmfwupd alone"

# No maintainer scripts: installing the package runs nothing, above all nothing that enables a firewall rule.
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -vxE '|control|md5sums|conffiles' || true)
[[ -z $scripts ]] || miss "the package has control members besides control, md5sums and conffiles: ${scripts//$'\n'/ }"

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
for page in vmfwupd vmfwupd-cli; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -n '@' && miss "the manual page $page.1 has a place holder left (above)"
done
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
for name in vmfwupd vmfwupd-cli; do
    program=$root/usr/lib/vmfwupd/$name
    [[ -f $program ]] || continue
    file -b "$program" | grep -q 'ELF.*executable' || miss "usr/lib/vmfwupd/$name is not an executable: $(file -b "$program")"
    if ldd "$program" | grep -q 'not found'; then
        miss "the packaged $name lacks libraries: $(ldd "$program" | grep 'not found' | tr -s ' \n' ' ')"
    fi
done
# The command line runs where no display is: neither Qt Widgets nor Qt Gui.
cli=$root/usr/lib/vmfwupd/vmfwupd-cli
if [[ -f $cli ]]; then
    echo "ci-package: ldd vmfwupd-cli: $(ldd "$cli" | sed -n 's/^\s*\(libQt[^ ]*\) .*/\1/p' | tr '\n' ' ')"
    ldd "$cli" | grep -E 'libQt[56](Widgets|Gui)' && miss "the packaged vmfwupd-cli links Qt Widgets or Qt Gui (above)"
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
appstreamed=$(date +%s)

# The firewall rules, read by the firewalls' own programs from the unpacked package. ufw and firewalld are
# fetched and unpacked with dpkg -x, never installed: no maintainer script runs, no service is enabled and
# nothing lands outside the work folder. Both run offline, as root (ufw insists), in a network namespace of
# their own; ufw's iptables is a stand-in that answers only the version question and fails anything else.
fw=$work/firewalls
mkdir -p "$fw/debs" "$fw/root"
fetch() {
    (cd "$fw/debs" && apt-get download ufw firewalld python3-firewall python3-nftables) >>"$fw/download.log" 2>&1
}
if ! fetch && ! { apt-get update -qq >>"$fw/download.log" 2>&1 && fetch; }; then
    sed 's/^/  apt-get download: /' "$fw/download.log" >&2
    miss "could not fetch ufw and firewalld: the firewall rules were not read by their programs"
else
    for pkg in "$fw"/debs/*.deb; do dpkg-deb -x "$pkg" "$fw/root"; done
    in_netns() {
        unshare --net -- env PYTHONPATH="$fw/root/usr/lib/python3/dist-packages" PYTHONDONTWRITEBYTECODE=1 \
            /usr/bin/python3 -P "$@"
    }

    # ufw, with the configuration its package would set up, its own profiles beside ours (a clash would show).
    ufwdata=$fw/ufw
    mkdir -p "$ufwdata/etc/default" "$ufwdata/etc/ufw/applications.d" "$ufwdata/lib/ufw" "$fw/iptables"
    cp "$fw/root/etc/default/ufw" "$ufwdata/etc/default/"
    cp "$fw/root/usr/share/ufw/ufw.conf" "$fw/root/usr/share/ufw/iptables/"*.rules "$ufwdata/etc/ufw/"
    cp "$fw/root/etc/ufw/applications.d/"* "$root/etc/ufw/applications.d/vmfwupd" "$ufwdata/etc/ufw/applications.d/"
    printf '#!/bin/sh\necho "$0 $*" >>"%s"\n[ "$*" = -V ] && echo "iptables v1.8.9 (stand-in)" && exit 0\nexit 1\n' \
        "$fw/iptables.log" >"$fw/iptables/iptables"
    : >"$fw/iptables.log"
    cp "$fw/iptables/iptables" "$fw/iptables/ip6tables"
    chmod 755 "$fw/iptables/iptables" "$fw/iptables/ip6tables"
    # ufw finds iptables only in a fixed folder: point it to the stand-in, then run ufw's own command line.
    ufw() {
        in_netns -c 'import runpy, sys, ufw.common; ufw.common.iptables_dir = sys.argv[1]; sys.argv = sys.argv[2:]
runpy.run_path(sys.argv[0], run_name="__main__")' \
            "$fw/iptables" "$fw/root/usr/sbin/ufw" --rootdir="$fw/root" --datadir="$ufwdata" "$@"
    }
    if ufw app info vmfwupd >"$fw/ufw-info" 2>"$fw/ufw-info.err"; then
        sed 's/^/  ufw app info: /' "$fw/ufw-info"
        grep -qE '^Title: .' "$fw/ufw-info" && grep -qE '^Description: .' "$fw/ufw-info" \
            || miss "ufw shows the profile vmfwupd without a title or a description"
        [[ $(sed -n '/^Ports\{0,1\}:$/,$p' "$fw/ufw-info" | tail -n +2) == '  23456/udp' ]] \
            || miss "ufw's profile vmfwupd does not open exactly 23456/udp"
    else
        miss "ufw app info vmfwupd fails: $(tr '\n' ' ' <"$fw/ufw-info.err")"
    fi
    if grep -qF vmfwupd "$fw/ufw-info.err"; then
        sed 's/^/  ufw app info: /' "$fw/ufw-info.err"
        miss "ufw warns about the profile vmfwupd (above)"
    fi
    if ufw --dry-run allow vmfwupd >"$fw/ufw-allow" 2>"$fw/ufw-allow.err"; then
        rules=$(grep -E '^-A ufw6?-user-input ' "$fw/ufw-allow" || true)
        printf '%s\n' "$rules" | sed 's/^/  ufw --dry-run allow vmfwupd: /'
        rule="-p udp --dport 23456 -j ACCEPT -m comment --comment 'dapp_vmfwupd'"
        [[ $rules == "-A ufw-user-input $rule"$'\n'"-A ufw6-user-input $rule" ]] \
            || miss "ufw allow vmfwupd would not let in exactly UDP port 23456 (IPv4 and IPv6)"
    else
        miss "ufw --dry-run allow vmfwupd fails: $(tr '\n' ' ' <"$fw/ufw-allow.err")"
    fi
    asked=$(sed "s|^$fw/iptables/||" "$fw/iptables.log" | sort | uniq -c | tr -s ' \n' ' ')
    echo "  ufw asked its iptables:$asked"
    grep -qv ' -V$' "$fw/iptables.log" && miss "ufw asked iptables for more than its version:$asked"

    # firewalld: its stock configuration with our service beside its own, and a scratch system configuration
    # (/etc/firewalld) for the offline equivalent of `firewall-cmd --permanent --add-service=vmfwupd`.
    fwd=$fw/firewalld
    mkdir -p "$fwd/etc"
    cp -a "$fw/root/usr/lib/firewalld" "$fwd/lib"
    cp "$root/usr/lib/firewalld/services/vmfwupd.xml" "$fwd/lib/services/"
    cp "$fw/root/etc/firewalld/firewalld.conf" "$fwd/etc/"
    firewall_offline_cmd() {
        in_netns "$fw/root/usr/bin/firewall-offline-cmd" --system-config "$fwd/etc" --default-config "$fwd/lib" "$@" \
            2>>"$fw/firewalld.err"
    }
    if firewall_offline_cmd --info-service=vmfwupd >"$fw/firewalld-info"; then
        sed 's/^/  firewall-offline-cmd --info-service: /' "$fw/firewalld-info"
        grep -qx '  ports: 23456/udp' "$fw/firewalld-info" \
            || miss "firewalld's service vmfwupd does not open exactly 23456/udp"
        grep -E '^  (protocols|source-ports|modules|destination|includes|helpers): .' "$fw/firewalld-info" \
            && miss "firewalld's service vmfwupd asks for more than a port (above)"
        for field in short description; do
            text=$(firewall_offline_cmd --service=vmfwupd --get-$field || true)
            echo "  firewall-offline-cmd --get-$field: $text"
            [[ -n $text ]] || miss "firewalld's service vmfwupd has no $field"
        done
        added=$(firewall_offline_cmd --add-service=vmfwupd || true)
        [[ $added == success && $(firewall_offline_cmd --query-service=vmfwupd || true) == yes ]] \
            || miss "firewalld cannot add the service vmfwupd to its default zone"
    else
        miss "firewall-offline-cmd --info-service=vmfwupd fails"
    fi
    if [[ -s $fw/firewalld.err ]]; then
        sed 's/^/  firewall-offline-cmd: /' "$fw/firewalld.err"
        miss "firewall-offline-cmd complains (above)"
    fi
fi
firewalled=$(date +%s)

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
        for program in vmfwupd vmfwupd-cli; do
            [[ $(realpath /usr/bin/$program) == /usr/lib/vmfwupd/$program ]] \
                || miss "/usr/bin/$program does not lead to /usr/lib/vmfwupd/$program"
            [[ $(man -w $program 2>/dev/null) == /usr/share/man/man1/$program.1.gz ]] \
                || miss "man -w $program does not find the manual page"
        done
        # Started through its link, it looks for the image beside the program; --help says where, and sends nothing.
        help=$(unshare --net -- env -u DISPLAY -u WAYLAND_DISPLAY LANG=C.UTF-8 /usr/bin/vmfwupd-cli --help 2>&1) \
            || miss "vmfwupd-cli --help fails: $help"
        [[ $help == *"vmlinuz20210125_v143 from /usr/lib/vmfwupd."* ]] \
            || miss "vmfwupd-cli does not look for the image in /usr/lib/vmfwupd: $help"
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

packet_filter >"$work/packet-filter.after"
diff -u "$work/packet-filter.before" "$work/packet-filter.after" >&2 \
    || miss "the packet filter of this machine changed while the package was checked (above)"

cp "$deb" "$build/"
echo "ci-package: $(basename "$deb"), $(stat -c %s "$deb") bytes, Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB, Depends: $depends"
echo "ci-package: cpack $((packed - started)) s, layout and lintian $((linted - packed)) s," \
    "appstream $((appstreamed - linted)) s, firewall rules $((firewalled - appstreamed)) s," \
    "install and purge $((installed - firewalled)) s, total $((installed - started)) s"
if ((${#problems[@]})); then
    printf 'ci-package: MISS: %s\n' "${problems[@]}" >&2
    echo "ci-package: FAILED" >&2
    exit 1
fi
echo "ci-package: passed: lintian clean, AppStream valid, installs alone with apt and purges without a trace"
