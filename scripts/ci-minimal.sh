#!/usr/bin/env bash
# CI: the build a distribution makes. Configures and builds with -DBUILD_TESTING=OFF into ./build-minimal (or
# $BUILD_DIR_MINIMAL) on a machine where QtTest and cpp-httplib are not installed: they are hidden, not removed.
# The script runs itself in a private mount namespace in which overlay mounts white out every file of theirs
# (the lists come from dpkg -L), so the rest of the machine keeps them. It fails if they could still be found
# there (the files, pkg-config, CMake's find_package/find_path/find_library, the default configure), if the build
# makes anything but vmfwupd and vmfwupd-cli, if the program installed by `cmake --install` (DESTDIR) links anything
# besides Qt Core, Gui, Network, Widgets, D-Bus and the C/C++ runtime, or the command line anything besides Qt Core,
# Network, D-Bus and the runtime, if the program does not stay up for a second (offscreen platform, in a network
# namespace with only loopback and without message buses, started through its bin/ link as a user would), or if
# `vmfwupd-cli --help` fails there without a display.
# VMFWUPD_QT=5 or 6 picks the Qt generation (default: the project's, in CMakeLists.txt); QtTest of that generation
# is hidden. Extra arguments go to cmake's configure step.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD_DIR_MINIMAL:-$top/build-minimal}")
qt=${VMFWUPD_QT:-$(sed -n 's/^set(VMFWUPD_QT \([0-9]\) CACHE.*/\1/p' "$top/CMakeLists.txt")}
[[ $qt == 5 || $qt == 6 ]] || { echo "ci-minimal: VMFWUPD_QT is '$qt': 5 or 6" >&2; exit 1; }

if [[ ${VMFWUPD_TEST_DEPS_HIDDEN:-} != 1 ]]; then
    [[ $(id -u) -eq 0 ]] || { echo "ci-minimal: needs root (a private mount namespace hides QtTest and cpp-httplib)" >&2; exit 1; }
    exec env VMFWUPD_TEST_DEPS_HIDDEN=1 unshare --mount --propagation private -- "$0" "$@"
fi

started=$(date +%s)
work=$(mktemp -d "${TMPDIR:-/tmp}/vmfwupd-minimal.XXXXXX")
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
roots=(/usr/include "/usr/lib/$multiarch")
mounted=()
app=
# The mounts end with the namespace, when this script ends.
cleanup() {
    if [[ -n $app ]]; then kill "$app" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "ci-minimal: FAILED: $*" >&2; exit 1; }

# What the tests need and the program does not: QtTest's part of the Qt development package (headers, CMake
# package, pkg-config file, qmake module), the QtTest library package, and cpp-httplib with its library package.
installed() { dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null | grep -qx installed; }
mapfile -t httplib_pkgs < <(dpkg-query -W -f='${Package}\n' 'libcpp-httplib*' 2>/dev/null | sort -u)
{
    if ((qt == 5)); then dpkg -L qtbase5-dev; else dpkg -L qt6-base-dev; fi \
        | grep -E "/(QtTest|Qt${qt}Test)(/|\$)|/libQt${qt}Test\.|/Qt${qt}Test\.pc\$|/qt_lib_testlib"
    for pkg in "libqt${qt}test${qt}" "${httplib_pkgs[@]}"; do
        if installed "$pkg"; then dpkg -L "$pkg"; fi
    done
} | sort -u >"$work/owned"
# Directories shared with the rest of the system stay; test-only directories go as a whole. Only headers and
# libraries are build inputs: documentation and lintian overrides below /usr/share stay visible.
hidden=()
while read -r path; do
    [[ -d $path && ! -L $path && $path != */QtTest && $path != */Qt${qt}Test ]] && continue
    [[ $path == /usr/include/* || $path == "/usr/lib/$multiarch"/* ]] || continue
    hidden+=("$path")
done <"$work/owned"
((${#hidden[@]})) || fail "dpkg knows no files of QtTest or cpp-httplib: nothing to hide"

# One overlay per root, whose upper lower layer holds a whiteout (character device 0/0) for each hidden path.
for i in "${!roots[@]}"; do
    root=${roots[$i]}
    layer=$work/layer$i
    mkdir -p "$layer"
    count=0
    for path in "${hidden[@]}"; do
        [[ $path == "$root"/* ]] || continue
        rel=${path#"$root"/}
        parent=$rel
        covered=0
        while [[ $parent == */* ]]; do
            parent=${parent%/*}
            [[ -e $layer/$parent && ! -d $layer/$parent ]] && covered=1
        done
        ((covered)) && continue
        mkdir -p "$layer/$(dirname "$rel")"
        [[ -e $layer/$rel ]] || mknod "$layer/$rel" c 0 0
        count=$((count + 1))
    done
    ((count)) || continue
    mount -t overlay overlay -o "ro,lowerdir=$layer:$root" "$root"
    mounted+=("$root")
done
for path in "${hidden[@]}"; do
    [[ ! -e $path && ! -L $path ]] || fail "$path is still visible"
done
echo "ci-minimal: hid ${#hidden[@]} files of QtTest and cpp-httplib (${httplib_pkgs[*]}) below ${mounted[*]}"

# Nothing may find them now.
pkg-config --exists cpp-httplib && fail "pkg-config still finds cpp-httplib"
pkg-config --exists "Qt${qt}Test" && fail "pkg-config still finds Qt${qt}Test"
mkdir -p "$work/probe"
cat >"$work/probe/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.16)
project(probe LANGUAGES CXX)
find_package(Qt${qt}Test QUIET)
find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB QUIET cpp-httplib)
find_path(HTTPLIB_HEADER httplib.h)
find_library(HTTPLIB_LIBRARY cpp-httplib)
find_library(QTTEST_LIBRARY Qt${qt}Test)
foreach(found Qt${qt}Test_FOUND HTTPLIB_FOUND HTTPLIB_HEADER HTTPLIB_LIBRARY QTTEST_LIBRARY)
    if(\${found})
        message(STATUS "probe: found \${found}=\${\${found}}")
    endif()
endforeach()
EOF
cmake -S "$work/probe" -B "$work/probe/build" >"$work/probe.log" 2>&1 || { cat "$work/probe.log" >&2; fail "the CMake probe did not run"; }
if grep 'probe: found' "$work/probe.log" >&2; then fail "CMake still finds QtTest or cpp-httplib"; fi
# The project's default build needs them: its configure must fail here, or the hiding missed something.
if cmake -S "$top" -B "$work/default" -DVMFWUPD_QT="$qt" >"$work/default.log" 2>&1; then
    fail "the default configure (BUILD_TESTING ON) succeeds without QtTest and cpp-httplib"
fi
grep -q "Qt${qt}Test" "$work/default.log" || { tail -20 "$work/default.log" >&2; fail "the default configure failed, but not for QtTest"; }
hidden_at=$(date +%s)

# A cache from an earlier configure may hold what another configure found: start from a fresh one.
rm -f "$build/CMakeCache.txt"
cmake -S "$top" -B "$build" -DVMFWUPD_QT="$qt" -DBUILD_TESTING=OFF -DVMFWUPD_WERROR=ON "$@" >"$work/configure.log" 2>&1 \
    || { cat "$work/configure.log" >&2; fail "configure with -DBUILD_TESTING=OFF"; }
cmake --build "$build" -j"${JOBS:-$(nproc)}" >"$work/build.log" 2>&1 || { tail -40 "$work/build.log" >&2; fail "build"; }
built=$(date +%s)

grep -qx 'BUILD_TESTING:BOOL=OFF' "$build/CMakeCache.txt" || fail "BUILD_TESTING is not OFF in $build"
# Qt 6's own packages run pkg-config (for xkbcommon): what counts is that nobody asked it for cpp-httplib.
if grep -E "^(Qt${qt}Test_DIR|HTTPLIB_[A-Z_]*|__pkg_config_checked_HTTPLIB):" "$build/CMakeCache.txt" | grep -v NOTFOUND >&2; then
    fail "the configure looked for test-only packages (cache entries above)"
fi
if cmake --build "$build" --target help | grep -E 'station-sim|autopilot|tst_|bench-|fuzz_|testsupport' >&2; then
    fail "the build has targets for tests, benchmarks or the demo (above)"
fi
mapfile -t programs < <(find "$build" -path '*/CMakeFiles' -prune -o -type f -perm -u+x -exec file {} + \
    | sed -n 's/:.*ELF.*executable.*//p' | sed "s|^$build/||" | sort)
[[ ${programs[*]} == "app/vmfwupd cli/vmfwupd-cli" ]] \
    || fail "the build made these programs, not only app/vmfwupd and cli/vmfwupd-cli: ${programs[*]}"

DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null
program=$work/root/usr/lib/vmfwupd/vmfwupd
cli=$work/root/usr/lib/vmfwupd/vmfwupd-cli
for name in vmfwupd vmfwupd-cli; do
    [[ -x $work/root/usr/lib/vmfwupd/$name && -L $work/root/usr/bin/$name ]] \
        || fail "cmake --install laid out no usr/lib/vmfwupd/$name with its usr/bin link"
    if ldd "$work/root/usr/lib/vmfwupd/$name" | grep 'not found' >&2; then fail "the installed $name lacks libraries (above)"; fi
done
needs() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort; }
mapfile -t needed < <(needs "$program")
for lib in "${needed[@]}"; do
    case $lib in
        "libQt${qt}Core.so.$qt" | "libQt${qt}Gui.so.$qt" | "libQt${qt}Network.so.$qt" | "libQt${qt}Widgets.so.$qt") ;;
        "libQt${qt}DBus.so.$qt") ;;
        libstdc++.so.6 | libgcc_s.so.1 | libc.so.6 | libm.so.6) ;;
        *) fail "the program links $lib (needs: ${needed[*]})" ;;
    esac
done
# The command line runs where no display is: no Qt Gui, no Qt Widgets.
mapfile -t cli_needed < <(needs "$cli")
for lib in "${cli_needed[@]}"; do
    case $lib in
        "libQt${qt}Core.so.$qt" | "libQt${qt}Network.so.$qt" | "libQt${qt}DBus.so.$qt") ;;
        libstdc++.so.6 | libgcc_s.so.1 | libc.so.6 | libm.so.6) ;;
        *) fail "vmfwupd-cli links $lib (needs: ${cli_needed[*]})" ;;
    esac
done

# Started as the menu entry starts it: through the link in bin/, working directory the program folder. The
# window sends nothing by itself; its network namespace has only loopback all the same, and the message buses
# of this machine (sockets by path, which cross network namespaces) are out of its reach.
nobus=unix:path=/nonexistent/vmfwupd-no-bus
(cd "$work/root/usr/lib/vmfwupd" && exec unshare --net -- env QT_QPA_PLATFORM=offscreen \
    DBUS_SESSION_BUS_ADDRESS=$nobus DBUS_SYSTEM_BUS_ADDRESS=$nobus ../../bin/vmfwupd) \
    >"$work/run.log" 2>&1 &
app=$!
for _ in $(seq 10); do
    sleep 0.1
    kill -0 "$app" 2>/dev/null || { wait "$app" && rc=0 || rc=$?; app=; tail -20 "$work/run.log" >&2; fail "vmfwupd ended within a second (exit $rc)"; }
done
kill "$app"
wait "$app" 2>/dev/null || true
app=
# --help sends nothing; it must run without any display, through its bin/ link.
(cd "$work" && exec unshare --net -- env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS=$nobus \
    DBUS_SYSTEM_BUS_ADDRESS=$nobus "$work/root/usr/bin/vmfwupd-cli" --help) >"$work/cli-help.log" 2>&1 \
    || { cat "$work/cli-help.log" >&2; fail "vmfwupd-cli --help failed without a display"; }
grep -q '^Usage: ' "$work/cli-help.log" || { cat "$work/cli-help.log" >&2; fail "vmfwupd-cli --help printed no usage"; }
finished=$(date +%s)

echo "ci-minimal: $(stat -c %s "$program") bytes unstripped, links: ${needed[*]}"
echo "ci-minimal: vmfwupd-cli $(stat -c %s "$cli") bytes unstripped, links: ${cli_needed[*]}"
echo "ci-minimal: hide and probe $((hidden_at - started)) s, configure and build $((built - hidden_at)) s," \
    "install and run $((finished - built)) s, total $((finished - started)) s"
echo "ci-minimal: passed: built on Qt $qt with -DBUILD_TESTING=OFF without QtTest and cpp-httplib; vmfwupd installed and" \
    "ran; vmfwupd-cli links no Qt Gui or Widgets and runs without a display"
