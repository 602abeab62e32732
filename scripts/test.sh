#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# The test suite also runs the file readers' fuzz targets briefly (a clang build of its own),
# and builds the benchmarks (without running them) so they keep compiling.
TRELVANIX_CMAKE_ARGS="${TRELVANIX_CMAKE_ARGS:-} -DTRELVANIX_BUILD_FUZZ=ON -DTRELVANIX_BUILD_BENCH=ON"
source scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)"
