#!/usr/bin/env bash
# Builds the Debian package sortune_<version>_<arch>.deb into WORK_DIR from a clean copy of the
# sources (what git tracks, and new files it does not ignore), installing the packaging tools
# and build dependencies first when they are missing.
#
#   tools/package.sh [WORK_DIR]      (default: build-pkg)
#
# Then: sudo apt install ./build-pkg/sortune_<version>_<arch>.deb
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "${1:-$repo/build-pkg}")

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
tools=(dpkg-dev debhelper fakeroot)
missing=()
for package in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

src=$work/src/sortune
rm -rf "$work/src" && mkdir -p "$src"
(cd "$repo" && git ls-files -z --cached --others --exclude-standard |
    xargs -0 cp --parents -t "$src")
cd "$src"
if ! dpkg-checkbuilddeps 2>/dev/null; then
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get build-dep -y -qq --no-install-recommends .
fi
echo "Building the package (log: $work/build.log)"
dpkg-buildpackage -b -us -uc -j"$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -30 "$work/build.log"; echo "tools/package.sh: the build failed" >&2; exit 1; }
version=$(dpkg-parsechangelog -S Version)
deb=sortune_${version}_$(dpkg --print-architecture).deb
mv "$work/src/$deb" "$work/$deb"
echo "$work/$deb"
