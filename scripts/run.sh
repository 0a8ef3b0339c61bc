#!/usr/bin/env bash
# Installs what the project needs, builds Dovemark and starts it with a demo disk image attached.
# Only what the program runs with is built (the program, its Access reader, its text-converter folder, its signature
# file, and the NTFS tool that writes the demo disk): the tests, benchmarks and fuzz targets are not.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="${DOVEMARK_BUILD_DIR:-$root/build/release}"
# Once configured, the build re-runs CMake by itself whenever a CMakeLists.txt changes.
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDOVEMARK_TESTS=OFF \
        -DDOVEMARK_BENCHMARKS=OFF
fi
cmake --build "$build" -j "$(nproc)" --target dovemark dovemark-mdb-reader text_converters raw_dat ntfs_fixture
demo="$build/demo"
mkdir -p "$demo"
if [ ! -f "$demo/demo.img" ]; then
  DOVEMARK_NTFS_FIXTURE="$build/tools/ntfs_fixture/ntfs_fixture" \
    python3 "$root/tests/fixtures/make_image.py" demo "$demo/demo.img.part" >/dev/null
  mv "$demo/demo.img.part" "$demo/demo.img"
  [ -f "$demo/demo.img.part.manifest.tsv" ] && mv "$demo/demo.img.part.manifest.tsv" "$demo/demo.img.manifest.tsv"
fi
export DOVEMARK_DISKS="$demo/demo.img${DOVEMARK_DISKS:+:$DOVEMARK_DISKS}"
export DOVEMARK_HOST_DISKS="${DOVEMARK_HOST_DISKS:-0}"
exec "$build/app/dovemark" "$@"
