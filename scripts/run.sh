#!/usr/bin/env bash
# Installs what the project needs, builds Dovemark and starts it with a demo disk image attached.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="${DOVEMARK_BUILD_DIR:-$root/build/release}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDOVEMARK_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
demo="$build/demo"
mkdir -p "$demo"
if [ ! -f "$demo/demo.img" ]; then
  python3 "$root/tests/fixtures/make_image.py" demo "$demo/demo.img" >/dev/null
fi
export DOVEMARK_DISKS="$demo/demo.img${DOVEMARK_DISKS:+:$DOVEMARK_DISKS}"
export DOVEMARK_HOST_DISKS="${DOVEMARK_HOST_DISKS:-0}"
exec "$build/app/dovemark" "$@"
