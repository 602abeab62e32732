#!/usr/bin/env bash
# Sets up, builds the program alone and opens Trelvanix on the built-in simulated board.
# Extra arguments go to the program (for example --sim-time or --script FILE).
# The test suite, benchmarks and fuzz targets are built by scripts/test.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
TRELVANIX_BUILD_TARGETS="trelvanix vnxinfo"
source scripts/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: opening the window on a virtual X server (xvfb-run), where nobody"
    echo "can see it or answer its questions. Start it from a desktop session to work in it."
    # Nobody could answer the start-up question about a missing data folder there: such a
    # start gets a data folder it can use, under the user's home.
    if [ -z "${TRELVANIX_DATA_FOLDER:-}" ] && [ ! -d /data ]; then
        export TRELVANIX_DATA_FOLDER="$HOME/trelvanix-data"
        mkdir -p "$TRELVANIX_DATA_FOLDER"
        echo "There is no /data folder: data files go to $TRELVANIX_DATA_FOLDER."
    fi
    exec xvfb-run -a build/app/trelvanix "$@"
fi
exec build/app/trelvanix "$@"
