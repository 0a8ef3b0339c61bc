#!/usr/bin/env bash
# Installs what the project needs, builds Dovemark and starts it with a demo disk image attached.
# Only what the program runs with is built (the program, its Access reader, its text-converter folder, its signature
# file, and the NTFS tool that writes the demo disk): the tests, benchmarks and fuzz targets are not.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${DOVEMARK_BUILD_DIR:-$root/build/release}"
exe="$build/app/dovemark"
# Is any file of the sources newer than the program? (The build folders and git's own files aside.)
changed() {
  [ ! -x "$exe" ] || [ -n "$(find "$root" \( -path "$root/build" -o -path "$root/.git" -o -name CMakeFiles \) -prune \
                               -o -newer "$exe" -print -quit)" ]
}
# The package check runs again whenever the package lists change.
deps_stamp="$build/.packages-installed"
if [ ! -f "$deps_stamp" ] || [ -n "$(find "$root/scripts" -newer "$deps_stamp" -print -quit)" ]; then
  "$root/scripts/deps.sh"
  mkdir -p "$build"
  touch "$deps_stamp"
fi
if changed; then
  # Once configured, the build re-runs CMake by itself whenever a CMakeLists.txt changes.
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDOVEMARK_TESTS=OFF \
          -DDOVEMARK_BENCHMARKS=OFF
  fi
  cmake --build "$build" -j "$(nproc)" --target dovemark dovemark-mdb-reader text_converters raw_dat ntfs_fixture
  touch "$exe" # nothing to build is news too: the next start need not ask again
fi
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
exec "$exe" "$@"
