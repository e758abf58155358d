#!/usr/bin/env bash
# Runs every test: installs what is missing, then the host unit tests, a
# short fuzz run, and the Windows build with its tests under Wine.
# Exits non-zero as soon as anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

step() { printf '\n==> %s\n' "$*"; }

ensure_packages "${HOST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"

step "host build and unit tests (build/host)"
cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host
ctest --test-dir build/host --output-on-failure

step "short fuzz run of the report text (build/fuzz)"
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DQUORVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz
ctest --test-dir build/fuzz --output-on-failure

step "Windows build and Wine tests (build/win)"
cmake -S . -B build/win -G Ninja --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build/win
ctest --test-dir build/win --output-on-failure

step "all tests passed"
