#!/usr/bin/env bash
# Builds and runs every test twice: a plain build and an AddressSanitizer + UBSan build; then
# the Windows cross-build, its tests under Wine and one device session through it.
# Usage: scripts/test.sh [plain|sanitize|windows|all]   (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-all}"
if [ "$mode" = windows ] || [ "$mode" = all ]; then
    scripts/install-deps.sh windows
else
    scripts/install-deps.sh
fi
jobs="$(nproc)"

run() {
    local dir="$1"; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

if [ "$mode" = plain ] || [ "$mode" = all ]; then
    echo "== plain build"
    run build -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if [ "$mode" = sanitize ] || [ "$mode" = all ]; then
    echo "== sanitizer build (ASan + UBSan)"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        run build-asan -DCMAKE_BUILD_TYPE=Debug -DZEP_SANITIZE=ON
fi
if [ "$mode" = windows ] || [ "$mode" = all ]; then
    echo "== Windows cross-build (mingw-w64), tests under Wine"
    started=$SECONDS
    run build-win -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
    # The session meets the Linux simulators and the Linux build's result.
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$jobs" --target zep-sim zepimport zep_drivers
    scripts/windows-session.sh build build-win
    echo "Windows stage: $((SECONDS - started)) s"
fi
