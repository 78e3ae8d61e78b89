#!/usr/bin/env bash
# Installs the Debian packages the tracker needs to build, run and test. Installs nothing when
# everything is already there; uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libglfw3-dev libopenal-dev libstb-dev libgl1-mesa-dev libgl1-mesa-dri libx11-dev
  xvfb xdotool x11-utils imagemagick sox zenity vorbis-tools
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${missing[@]}"
