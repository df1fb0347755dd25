#!/usr/bin/env bash
# Installs the Debian packages red siege needs (only those missing) and builds the game and its
# data folder in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES="cmake g++ clang libclang-rt-14-dev libgtest-dev pkg-config libsdl2-dev libgl-dev \
libglu1-mesa-dev libgl1-mesa-dri libopenal-dev libjpeg62-turbo-dev libfreetype-dev libpng-dev \
fonts-dejavu-core xvfb xauth sox desktop-file-utils shared-mime-info appstream lintian clang-format libx11-dev dpkg-dev \
libmicrohttpd-dev libsqlite3-dev libpq-dev libssl-dev nlohmann-json3-dev libcurl4-openssl-dev postgresql \
chromium systemd"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends $missing
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
