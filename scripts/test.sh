#!/usr/bin/env bash
# Builds and runs every test twice: a plain build and an AddressSanitizer + UBSan build.
# Usage: scripts/test.sh [plain|sanitize|all]   (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
mode="${1:-all}"
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
