#!/usr/bin/env bash
# Installs what building, running and testing need (Debian 12 packages).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic clang-format ccache
  xvfb xauth libjpeg-turbo-progs libtiff-tools qt6-image-formats-plugins imagemagick
  qt6-translations-l10n qt6-tools-dev qt6-l10n-tools libgdal-dev libmuparser-dev
  desktop-file-utils appstream dpkg-dev poppler-utils
  clang libclang-rt-14-dev llvm
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
