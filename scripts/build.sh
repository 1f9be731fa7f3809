#!/usr/bin/env bash
# Builds every target: the portable behaviour and its tests natively, and the program for
# Windows x86_64 (tested under Wine) and i686 (the shipped 32-bit build).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
ninja -C build/native -j"$jobs"
for arch in x86_64 i686; do
  dir=build/win-$arch
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -C "$dir" -j"$jobs"
done
version=$(sed -n 's/^project(quorvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
(cd dist && sha256sum "quorvel-lite-$version-win32.zip" "quorvel-lite-$version-win64.zip" >SHA256SUMS)
echo "Program folders: dist/win64/Program/quorvel and dist/win32/Program/quorvel"
echo "Release: dist/quorvel-lite-$version-win32.zip and -win64.zip, checksums in dist/SHA256SUMS"
