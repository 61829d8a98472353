#!/usr/bin/env bash
# Cross-builds zepimport.exe and the sample driver DLLs for 64-bit Windows with mingw-w64, and
# the installer package and the driver SDK zip beside them, installing what the build needs
# first.
# Usage: scripts/build-windows.sh [BUILD_FOLDER]   (default: build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh windows
dir="${1:-build-win}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build "$dir" -j "$(nproc)" --target zepimport zep_drivers msi sdk_zip
echo "zepimport.exe: $PWD/$dir/bin/zepimport.exe"
echo "driver DLLs:   $(ls "$PWD/$dir"/drivers/*.dll | tr '\n' ' ')"
echo "package:       $(ls -t "$PWD/$dir"/zepimport-*-x64.msi | head -1)"
echo "driver SDK:    $(ls -t "$PWD/$dir"/zepimport-*-sdk.zip | head -1)"
