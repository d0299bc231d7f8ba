#!/usr/bin/env bash
# Installs the Debian packages that are missing, for the programs only or for everything.
# Usage: scripts/install_deps.sh [programs|all]   (default all: the programs, tests and benchmarks)
set -euo pipefail
what=${1:-all}
# Building and running Lumenfold and Spindleway.
packages=(cmake ninja-build g++ qt6-base-dev libjpeg-dev libpng-dev zlib1g-dev fonts-dejavu-core)
case "$what" in
  programs) ;;
  # The tests, their reference tools and sample makers, and the benchmarks; imagemagick with its
  # extra coders (the WMF reader) renders metafiles a second time for a test. The real-display test
  # runs both programs on an X server of its own with a window manager, sets key repeat (xset),
  # holds a key through XTest (xdotool) and reads the windows shown (xprop); the X platform plugin
  # comes with Qt's GUI library. A rotation test mounts a file system of its own without hard links
  # (over FUSE: python3-fusepy, fuse3).
  all) packages+=(libgtest-dev libbenchmark-dev libjpeg-turbo-progs python3-aiosmtpd python3-pil
                  libtiff-tools netpbm imagemagick libmagickcore-6.q16-6-extra
                  xvfb openbox x11-xserver-utils x11-utils xdotool python3-fusepy fuse3) ;;
  *) echo "usage: $0 [programs|all]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
