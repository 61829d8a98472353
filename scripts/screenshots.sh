#!/usr/bin/env bash
# Renders the desktop window for the documentation under a virtual X display: the main window
# in the middle of a working day (log lines in every colour, both progress bars, drive
# buttons) into docs/window-main.png, and, with trayer as the tray host, the notification area
# with the icon and its menu open into docs/window-tray.png, and the preview of a generated card
# into docs/window-preview.png.
# Usage: scripts/screenshots.sh   (BUILD=folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build}"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target window_screenshots cardgen >/dev/null

card="$(mktemp -d /tmp/zepimport-shots.XXXXXX)"
trap 'rm -rf "$card"' EXIT
"$build/bin/cardgen" "$card" --archives 6 >/dev/null

# The desktop's own look, not the test platform's.
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
    trayer --edge top --align right --widthtype pixel --width 120 --height 28 \
        --tint 0xdddddd --transparent true --alpha 0 >/dev/null 2>&1 &
    tray=$!
    sleep 1
    status=0
    "$0" docs "$1" || status=$?
    kill "$tray"
    exit "$status"' "$build/tests/window_screenshots" "$card/Pexilor/Tessal"
