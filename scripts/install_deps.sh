#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail
# imagemagick with its extra coders (the WMF reader) renders metafiles a second time for a test.
packages=(cmake ninja-build g++ qt6-base-dev libjpeg-dev libpng-dev zlib1g-dev libgtest-dev
          libbenchmark-dev libjpeg-turbo-progs python3-aiosmtpd python3-pil fonts-dejavu-core
          libtiff-tools netpbm imagemagick libmagickcore-6.q16-6-extra)
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
