#!/usr/bin/env bash
# Installs what the build needs (Debian packages), then configures and builds into build/.
# Sourced by start.sh and test.sh; safe to run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(cmake g++ ninja-build pkg-config qt6-base-dev libqcustomplot-dev libfftw3-dev
          libgtest-dev libgmock-dev libbenchmark-dev libboost-dev xvfb xauth fonts-dejavu-core
          python3-numpy python3-neo python3-pytest clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TRELVANIX_CMAKE_ARGS:-}
# TRELVANIX_BUILD_TARGETS names what to build (start.sh: the program alone); unset, everything.
targets=()
for t in ${TRELVANIX_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build build -j "$(nproc)" "${targets[@]}"
