#!/usr/bin/env bash
# Sets up, builds and opens Trelvanix on the built-in simulated board.
# Extra arguments go to the program (for example --sim-time or --script FILE).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: opening the window on a virtual X server (xvfb-run)."
    exec xvfb-run -a build/app/trelvanix "$@"
fi
exec build/app/trelvanix "$@"
