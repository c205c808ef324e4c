#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Idempotent: installs only what is missing. Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libavformat-dev libavcodec-dev libavutil-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg fitsverify python3 python3-numpy python3-astropy
  xvfb xauth python3-xlib fonts-liberation fonts-dejavu-core
  clang-format
  libindi-dev indi-bin libcfitsio-dev zlib1g-dev
  desktop-file-utils appstream dpkg-dev file groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
