#!/usr/bin/env bash
# Runs the benchmarks: the report text on the host (Google Benchmark), then
# under Wine the start-up of dunlo.exe against a bare dialog and the cost of
# each probe, and dunlo.exe's size. Figures only: nothing here passes or fails
# on a number. Builds in build/bench-host and build/bench-win.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

step() { printf '\n==> %s\n' "$*"; }

ensure_packages "${WINDOWS_PACKAGES[@]}" libbenchmark-dev g++

step "host benchmark build (build/bench-host, Release -O2, no sanitizers)"
cmake -S . -B build/bench-host -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
      -DQUORVANE_BENCH=ON -DQUORVANE_SANITIZE=OFF >/dev/null
cmake --build build/bench-host --target report_bench

step "report text: layered list and report against catalogue size"
build/bench-host/tests/bench/report_bench

step "Windows benchmark build (build/bench-win, MinSizeRel)"
cmake -S . -B build/bench-win -G Ninja --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
      -DQUORVANE_BENCH=ON >/dev/null
cmake --build build/bench-win --target dunlo bare_dialog dialog_driver probe_timing

step "start-up under Wine in Xvfb, and each probe's cost"
/usr/bin/python3 tests/bench/startup_timing.py --bin build/bench-win

step "size of dunlo.exe"
size=$(stat -c %s build/bench-win/dunlo.exe)
limit=65536
if [ "$size" -le "$limit" ]; then
    echo "dunlo.exe: $size bytes, at or below 64 KiB ($limit bytes)"
else
    echo "dunlo.exe: $size bytes, ABOVE 64 KiB ($limit bytes) by $((size - limit)) bytes"
fi
