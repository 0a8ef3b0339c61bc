#!/usr/bin/env bash
# Installs what the project needs, builds it with AddressSanitizer and UBSan (a warning fails the build), and
# runs the whole suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="${DOVEMARK_BUILD_DIR:-$root/build/ci}"
jobs=$(nproc)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDOVEMARK_SANITIZE=ON -DDOVEMARK_WERROR=ON \
      -DCMAKE_C_FLAGS="-O1 -g" -DCMAKE_CXX_FLAGS="-O1 -g"
cmake --build "$build" -j "$jobs"
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300 "$@"
