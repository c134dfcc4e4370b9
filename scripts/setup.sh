#!/usr/bin/env bash
# Installs the Debian packages that building, testing, benchmarking and fuzzing
# Orbisk need, when any of them is missing, and the extra packages named as
# arguments (make package-check adds lintian). Safe to run again: it does
# nothing when everything is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libpng-dev zlib1g-dev libxxhash-dev
  libgtest-dev libgmock-dev
  libcli11-dev
  man-db groff-base bash-completion
  clang libclang-rt-14-dev
  fonts-dejavu-core
  xvfb xauth xdotool
  dbus-daemon at-spi2-core python3-pyatspi
  qt6-gtk-platformtheme librsvg2-common
  desktop-file-utils appstream
  shared-mime-info
  libgdk-pixbuf2.0-bin
  fuse3 libfuse3-dev
)

packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
