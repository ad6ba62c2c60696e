#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-3-Clause
# Installs what the build needs on a fresh Debian 12 machine (apt-get, as root or with sudo)
# and configures and builds the normal tree in build/ (and, with --sanitize, build-asan/;
# with --bench, also the peers the benchmarks compare with).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ clang pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libtiff-dev libjpeg62-turbo-dev libhwy-dev libopenexr-dev libpng-dev libexif-dev libclang-rt-14-dev locales doxygen time
          libcpp-httplib-dev chromium chromium-driver python3-selenium
          pybind11-dev python3-dev python3-numpy python3-pytest python3-dask python3-distributed
          lintian dpkg-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

# A decimal-comma locale, so that the tests can check that numbers never follow the host's.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf-\?8$'; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq locales
  $sudo_cmd sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
  $sudo_cmd locale-gen >/dev/null
fi

# Optional, with --bench: the peers the benchmarks compare with (OpenCV for bench/peers.py,
# bench/image_differences.py and bench/merge_peers.py, which also writes EXIF with piexif);
# neither the build nor the tests need them.
if [ "${1:-}" = "--bench" ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq python3-opencv python3-pil \
    python3-piexif
fi

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
if [ "${1:-}" = "--sanitize" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLFTM_SANITIZE=ON \
        -DLFTM_BUILD_BENCH=OFF
  cmake --build build-asan -j "$jobs"
fi
