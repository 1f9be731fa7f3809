#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# An `apt-get update` that fails for some list is not fatal: the install below
# only needs the lists that carry these packages.
set -u
PKGS=(
  cmake ninja-build g++ make python3
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix binutils-mingw-w64
  wine64 xvfb xauth x11-utils imagemagick xdotool
  fonts-wqy-microhei locales
  googletest libgtest-dev
  clang libclang-rt-14-dev
  groff ghostscript poppler-utils python3-reportlab
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q || echo "apt-get update reported a failure; going on with the lists we have"
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
