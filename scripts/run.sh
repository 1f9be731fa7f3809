#!/usr/bin/env bash
# Builds the program and starts it under Wine from F:\Program\quorvel, as it runs from a
# USB stick, with the key simulator beside it. Without a display it runs in Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
bin=build/win-x86_64/bin
stick=$PWD/build/run/stick
folder=$stick/Program/quorvel

launch() {
  "$WINE" 'F:\Program\quorvel\keysim.exe' &
  "$WINE" 'F:\Program\quorvel\quorvel.exe'
  "$WINESERVER" -k 2>/dev/null || true
}

if [ "${1:-}" = "--launch" ]; then
  export WINEPREFIX=$PWD/build/run/prefix
  launch
  exit 0
fi

bash scripts/install-deps.sh
cmake -S . -B build/win-x86_64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build/win-x86_64
qv_wine_prefix "$PWD/build/run/prefix" "$stick"
mkdir -p "$folder"
cp -r dist/win64/Program/quorvel/. "$folder/"
# The demo reads its devices from the key simulator's file instead of the USB bus.
cp "$bin/sim/KvUSBSerial.DLL" "$bin/keysim.exe" "$folder/"
[ -f "$folder/usbsim.txt" ] || "$WINE" 'F:\Program\quorvel\keysim.exe' --program-folder 'F:\Program\quorvel' plug-key >/dev/null 2>&1 || true
if [ -n "${DISPLAY:-}" ]; then
  launch
else
  echo "No display: running in Xvfb."
  qv_wine_stop
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --launch
fi
