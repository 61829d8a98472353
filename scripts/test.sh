#!/usr/bin/env bash
# Builds and runs every test twice: a plain build and an AddressSanitizer + UBSan build; then
# the threaded tests under ThreadSanitizer, each fuzz target for a short while, the Debian
# package installed and run, and the Windows cross-build with its tests under Wine, one device
# session through it and its installer package installed, upgraded and removed.
# Usage: scripts/test.sh [plain|sanitize|tsan|fuzz|package|windows|all]   (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-all}"
if [ "$mode" = windows ] || [ "$mode" = all ]; then
    scripts/install-deps.sh windows
else
    scripts/install-deps.sh
fi
jobs="$(nproc)"
# The builds below share compiled objects through ccache where it is installed; paths relative to
# the checkout let a clone in another folder reuse them too.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

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

# --- ThreadSanitizer: only the programs of the threaded tests (controller, worker threads,
# conversion worker, the service end to end), to keep the stage short.
if [ "$mode" = tsan ] || [ "$mode" = all ]; then
    echo "== ThreadSanitizer build (controller, workers, conversion worker, integration)"
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEP_TSAN=ON >/dev/null
    cmake --build build-tsan -j "$jobs" --target app_tests convert_tests integration_tests
    for program in app_tests convert_tests integration_tests; do
        TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "build-tsan/tests/$program" \
            --gtest_brief=1
    done
fi

# --- Fuzzing: the program and every fuzz target build with clang and the fuzzer
# instrumentation (the build the README documents), and each target runs 20 s on a copy of its
# corpus.
if [ "$mode" = fuzz ] || [ "$mode" = all ]; then
    echo "== fuzz build (clang) and 20 s per target"
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DZEP_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j "$jobs" --target zepimport zep_fuzzers
    scripts/fuzz-run.sh build-fuzz 20
fi

# --- The Debian package: built, installed with apt, run from its installed place, removed.
if [ "$mode" = package ] || [ "$mode" = all ]; then
    echo "== Debian package"
    scripts/package-test.sh build-package
fi

# --- Windows: the cross-build, its tests under Wine, one ZEP session through zepimport.exe
# against the Linux simulators and the Linux build, and the installer package under Wine.
if [ "$mode" = windows ] || [ "$mode" = all ]; then
    echo "== Windows cross-build (mingw-w64), tests under Wine"
    started=$SECONDS
    run build-win -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
    # The session meets the Linux simulators and the Linux build's result.
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$jobs" --target zep-sim zepimport zep_drivers
    scripts/windows-session.sh build build-win
    # The installer package: install, session from the installed place, upgrade, removal.
    scripts/windows-install.sh build build-win
    echo "Windows stage: $((SECONDS - started)) s"
fi
