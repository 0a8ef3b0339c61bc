#!/usr/bin/env bash
# Installs what the project needs, builds it with AddressSanitizer and UBSan (a warning fails the build), and
# runs the whole suite. Prints the time the build and the suite took, wall and CPU.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="${DOVEMARK_BUILD_DIR:-$root/build/ci}"
jobs=$(nproc)

# CPU seconds (user + system) of this script's finished children so far, from the kernel's count for this shell
# (a pipeline or a command substitution would ask a subshell, which has no children of its own).
cpu_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '{ print int(($16 + $17) / hz) }' "/proc/$$/stat"
}
report() {
  local status=$?
  local now cpu
  now=$(date +%s)
  cpu=$(cpu_seconds)
  if [ -n "${suite_start:-}" ]; then
    echo "== build: $((suite_start - build_start)) s wall, $((build_cpu)) s CPU;" \
         "suite: $((now - suite_start)) s wall, $((cpu - build_cpu)) s CPU"
  else
    echo "== build: $((now - build_start)) s wall, ${cpu} s CPU (stopped before the suite)"
  fi
  return $status
}
build_start=$(date +%s)
trap report EXIT
# Line tables only (-g1, in place of the Debug configuration's full -g): enough for every sanitizer report's file
# and line, at a fraction of the build's time.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDOVEMARK_SANITIZE=ON -DDOVEMARK_WERROR=ON \
      -DCMAKE_C_FLAGS="-O1" -DCMAKE_CXX_FLAGS="-O1" -DCMAKE_C_FLAGS_DEBUG="-g1" -DCMAKE_CXX_FLAGS_DEBUG="-g1"
cmake --build "$build" -j "$jobs"
build_cpu=$(cpu_seconds)
suite_start=$(date +%s)
# The suites carry these settings themselves; here they reach any test registered without them.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300 "$@"
