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
for build in x86_64:win64 i686:win32; do
  zip=quorvel-lite-$version-${build#*:}.zip
  cmake -S "$work/sources-elsewhere" -B "$work/build-${build%:*}" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-${build%:*}.cmake -DQV_RELEASE_ZIP="$work/$zip" >/dev/null
  ninja -C "$work/build-${build%:*}" qv_release_zip >/dev/null
  if ! cmp -s "dist/$zip" "$work/$zip"; then
    echo "$zip differs from a second build elsewhere; the entries' listings (CRC, time stamp) differ so:"
    diff <(unzip -lv "dist/$zip") <(unzip -lv "$work/$zip")
    exit 1
  fi
  echo "$zip: the same bytes from a second build elsewhere"
done
