#!/usr/bin/env bash
# Builds the release zips a second time, from a copy of the sources in another folder and with
# build folders elsewhere, and compares them byte for byte with the ones scripts/build.sh made:
# a time stamp or a build path that leaks into an image makes them differ. Only the shipped
# targets are built, without the compiler cache, so nothing is taken from the first build.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(quorvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
work=$PWD/build/reproducible
rm -rf "$work"
mkdir -p "$work/sources-elsewhere"
tar --exclude=./build --exclude=./dist --exclude=./.git --exclude=./.cache -cf - . | tar -xf - -C "$work/sources-elsewhere"
export CCACHE_DISABLE=1
status=0
for arch in x86_64 i686; do
  name=win32; [ $arch = x86_64 ] && name=win64
  zip=quorvel-lite-$version-$name.zip
  dir=$work/build-$arch
  cmake -S "$work/sources-elsewhere" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake \
        -DCMAKE_BUILD_TYPE=Release -DQV_RELEASE_ZIP="$work/$zip" >/dev/null
  ninja -C "$dir" qv_release_zip >/dev/null
  if cmp -s "dist/$zip" "$work/$zip"; then
    echo "$zip: the same bytes from a second build elsewhere"
  else
    status=1
    echo "$zip differs from a second build elsewhere; entries that differ:"
    python3 - "dist/$zip" "$work/$zip" <<'PY'
import sys, zipfile
a, b = (zipfile.ZipFile(p) for p in sys.argv[1:3])
names = sorted(set(a.namelist()) | set(b.namelist()))
for n in names:
    if n not in a.namelist() or n not in b.namelist() or a.read(n) != b.read(n) or a.getinfo(n).date_time != b.getinfo(n).date_time:
        print("  " + n)
PY
  fi
done
exit $status
