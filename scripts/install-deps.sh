#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (run as root, or with
# sudo available). Packages already present are left alone.
# Usage: scripts/install-deps.sh [windows]
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
          libbenchmark-dev python3 procps qt6-base-dev
          # The Debian package and its test: dpkg-shlibdeps, file, setpriv.
          dpkg-dev file fakeroot util-linux
          # The Windows window's tests under Wine run on a virtual display (xvfb-run).
          xvfb xauth)
# "windows" adds the cross-build for Windows (mingw-w64 with posix threads, GoogleTest's sources
# to build for it), Wine to run its tests, and wixl and msitools for the installer package.
if [ "${1:-}" = windows ]; then
    packages+=(g++-mingw-w64-x86-64-posix googletest wine64 wixl msitools)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
