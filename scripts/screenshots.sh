#!/usr/bin/env bash
# Renders the desktop window for the documentation under a virtual X display: the main window
# in the middle of a working day (log lines in every colour, both progress bars, drive
# buttons) into docs/window-main.png.
# Usage: scripts/screenshots.sh   (BUILD=folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build}"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target window_screenshots >/dev/null

# The desktop's own look, not the test platform's.
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    "$build/tests/window_screenshots" docs
