#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and runs with.
# Idempotent: when all packages are present it only checks and returns.
set -euo pipefail

PACKAGES=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev liblzo2-dev libvorbis-dev libogg-dev
  libjpeg62-turbo-dev libdevil-dev libsdl2-dev
  libcurl4-openssl-dev libpng-dev libsndfile1-dev
  liblua5.4-dev libpixman-1-dev libcairo2-dev cups-client
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev ffmpeg
  vorbis-tools sox imagemagick fonts-dejavu-core
  xvfb xauth x11-apps python3
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
