#!/usr/bin/env bash
# Cross-builds the core's tests for s390x, a big-endian processor, and runs
# them under QEMU's user-mode emulator, so that byte-order mistakes in the
# core's word-at-a-time code show up on a little-endian machine. Installs
# what is missing. Slow (minutes), so it is not part of CI.
# Usage: scripts/test-big-endian.sh [gtest arguments...]   (JOBS=N to limit the build)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

triple=s390x-linux-gnu
build="$root/build-s390x"
jobs=${JOBS:-$jobs}

install_missing cmake ninja-build "g++-$triple" qemu-user libgtest-dev

# Naming the system makes CMake cross-compile: nothing built is run at configure time.
cmake -S "$root/scripts/big-endian" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=s390x \
    -DCMAKE_C_COMPILER="$triple-gcc" -DCMAKE_CXX_COMPILER="$triple-g++"
cmake --build "$build" --parallel "$jobs"

tests="$build/conversion_tests"
if ! "$triple-readelf" -h "$tests" | grep -q 'big endian'; then
    echo "error: $tests is not a big-endian program" >&2
    exit 1
fi
echo "== Core tests on s390x (big-endian), under qemu-s390x"
qemu-s390x -L "/usr/$triple" "$tests" "$@"
