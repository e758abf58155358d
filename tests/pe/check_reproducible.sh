#!/usr/bin/env bash
# Two clean builds of dunlo.exe from the same source, in folders of different
# names and at different times, must give the same bytes.
# Usage: check_reproducible.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1
work_dir=$2

rm -rf "$work_dir"
for build in first-build second; do
    cmake -S "$source_dir" -B "$work_dir/$build" -G Ninja --toolchain "$source_dir/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
    cmake --build "$work_dir/$build" --target dunlo >/dev/null
    sleep 2  # so that any time stamp would differ
done

if cmp "$work_dir/first-build/dunlo.exe" "$work_dir/second/dunlo.exe"; then
    echo "two clean builds: identical, $(stat -c %s "$work_dir/second/dunlo.exe") bytes, sha256 $(sha256sum < "$work_dir/second/dunlo.exe" | cut -c1-16)"
else
    echo "two clean builds of dunlo.exe differ" >&2
    exit 1
fi
