#!/usr/bin/env bash
# Installs whatever Debian packages the build, the program and the tests need
# and are not on this machine yet. Cheap when everything is already there.
set -euo pipefail

packages=(
  build-essential g++ cmake make pkg-config
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libgl-dev
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-utils xdotool imagemagick
  time procps
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
