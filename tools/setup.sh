#!/usr/bin/env bash
# Installs the Debian packages sortune needs (only those missing), then configures and builds.
#   tools/setup.sh [BUILD_DIR] [CMAKE_ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config
  libtag1-dev zlib1g-dev
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n fonts-arphic-uming shared-mime-info
  libgtest-dev libgmock-dev libglib2.0-dev
  opencc libopencc1.1 python3 librsvg2-bin
  time
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$package")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=()
  if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -G Ninja "$@"
cmake --build "$build_dir"
