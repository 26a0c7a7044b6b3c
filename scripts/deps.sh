#!/usr/bin/env bash
# Installs the Debian packages the program (and, with "test", its tests) need.
# Only missing packages are installed; the package lists are refreshed first
# when anything is missing.
set -euo pipefail

BUILD_PKGS=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev qt6-qpa-plugins
  libjpeg62-turbo-dev libtiff-dev libgif-dev
  libcups2-dev
)
TEST_PKGS=(
  libgtest-dev libbenchmark-dev clang libclang-rt-14-dev clang-format
  imagemagick netpbm libtiff-tools libjpeg-turbo-progs
  cups cups-client cups-bsd cups-filters printer-driver-cups-pdf poppler-utils
  xvfb xauth xclip fonts-dejavu-core
)

pkgs=("${BUILD_PKGS[@]}")
if [ "${1:-}" = "test" ]; then
  pkgs+=("${TEST_PKGS[@]}")
fi

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
