#!/usr/bin/env bash
# Builds the Debian package from a clean copy of the sources, checks it with the Debian tools,
# installs it into a fresh Debian 12 root and tries it there as a user would: the program
# runs, organizes the demo collection without a display, publishes the file-manager menus for
# a user, and its removal (not a purge: the package keeps no configuration) leaves nothing
# of it behind.
#
#   tools/package_test.sh [WORK_DIR]      (default: build-pkg)
#
# Needs root (for the chroot), network access to a Debian mirror, and the packaging tools
# (dpkg-buildpackage, debhelper, debootstrap, lintian, desktop-file-validate, appstreamcli,
# man). Without them it says what is missing and skips (exit 0), so that the test command
# runs it only where it can; SORTUNE_REQUIRE_PACKAGE_TEST=1 turns the skip into a failure.
# The Debian base system is downloaded once and kept in WORK_DIR.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "${1:-$repo/build-pkg}")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

skip() {
    echo "package test skipped: $*"
    [[ ${SORTUNE_REQUIRE_PACKAGE_TEST:-0} == 1 ]] && exit 1
    exit 0
}
[[ $(id -u) -eq 0 ]] || skip "needs root for the chroot"
for tool in dpkg-buildpackage dh debootstrap lintian desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

demo_writer=$repo/build/tools/sortune_make_demo
[[ -x $demo_writer ]] || skip "build the project first (tools/setup.sh): the demo writer comes from build/"

step() { printf '\n== %s\n' "$*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

mkdir -p "$work"
root=$work/root
cleanup() {
    mountpoint -q "$root/proc" && umount "$root/proc"
    return 0
}
trap cleanup EXIT

step "Building the package from a clean copy of the sources"
deb=$("$repo/tools/package.sh" "$work" | tail -n 1)
version=$(dpkg-deb --field "$deb" Version)
cmake_version=$(sed -n 's/^project(sortune VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
[[ $version == "$cmake_version" ]] ||
    fail "debian/changelog says $version, CMakeLists.txt says $cmake_version"
echo "$deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Section\|Depends\|Recommends\):/  &/p'

step "lintian"
lintian --info --display-info "$deb" | tee "$work/lintian.txt"
if grep -q '^E:' "$work/lintian.txt"; then fail "lintian reports errors"; fi

step "Validating the desktop entry, the AppStream file and the manual page"
unpacked=$work/unpacked
rm -rf "$unpacked" && dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
for page in "$unpacked"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || { echo "$warnings"; fail "man reports problems in $page"; }
    echo "$(basename "$page"): no warnings"
done

step "A fresh Debian 12 root"
base=$work/bookworm-minbase.tar
if [[ ! -f $base ]]; then
    rm -rf "$work/base"
    debootstrap --variant=minbase bookworm "$work/base" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        fail "debootstrap (log: $work/debootstrap.log)"
    tar -C "$work/base" -cf "$base" . && rm -rf "$work/base"
fi
rm -rf "$root" && mkdir -p "$root" && tar -C "$root" -xf "$base"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"; }
find_ours() {
    (cd "$root" && find . -xdev \( -path ./proc -o -path ./tmp \) -prune -o -iname '*sortune*' -print)
}
[[ -z $(find_ours) ]] || fail "the fresh root already holds files of ours"

step "Installing with dpkg -i and apt-get install -f"
cp "$deb" "$root/tmp/"
in_root dpkg -i "/tmp/$(basename "$deb")" >"$work/install.log" 2>&1 || true
in_root apt-get update -qq >>"$work/install.log" 2>&1
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -f -y -qq --no-install-recommends \
    >>"$work/install.log" 2>&1 || { tail -20 "$work/install.log"; fail "apt-get install -f"; }
in_root dpkg-query -W -f='${Status}\n' sortune | grep -q 'install ok installed' ||
    fail "sortune is not installed (log: $work/install.log)"

step "sortune --version"
in_root sortune --version

step "The demo collection, organized without a display"
"$demo_writer" "$root/tmp/music"
in_root env HOME=/tmp/home LC_ALL=zh_CN.UTF-8 sortune /tmp/music || fail "the run failed"
for name in 小雨.mp3 爱情.mp3 月亮代表我的心.mp3 "ACDC Live.mp3" Song.mp3; do
    [[ -f $root/tmp/music/$name ]] || fail "the run did not name a file $name"
done
[[ ! -L $root/tmp/music/旧歌.mp3.lnk ]] || fail "the dead link is still there"
ls "$root/tmp/music"

step "sortune i publishes the file-manager menus for the user"
# A home of its own: the run above may already have published the menus for its user.
in_root env HOME=/tmp/menu-home sortune i
published=$(cd "$root/tmp/menu-home" && find .local/share .config -type f \
    -not -path '*/sortune/*' 2>/dev/null | sort)
[[ -n $published ]] || fail "sortune i wrote no file-manager menu"
echo "$published"

step "dpkg -r leaves nothing of ours behind"
installed=$(in_root dpkg-query -L sortune)
in_root dpkg -r sortune >/dev/null
while read -r path; do
    if [[ -e $root$path || -L $root$path ]] && [[ ! -d $root$path ]]; then
        fail "$path is left after the removal"
    fi
done <<<"$installed"
left=$(find_ours)
[[ -z $left ]] || { echo "$left"; fail "files of ours are left after the removal"; }
echo "nothing left"

echo
echo "package test passed: $deb"
