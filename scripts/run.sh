#!/usr/bin/env bash
# Builds the program and starts it under Wine from F:\Program\quorvel, as it runs from a
# USB stick, with the key simulator beside it. Without a display it runs in Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/win-x86_64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build/win-x86_64
source scripts/wine-env.sh
stick=$PWD/build/run/stick
qv_wine_prefix "$PWD/build/run/prefix" "$stick"
folder=$stick/Program/quorvel
mkdir -p "$folder"
cp -r dist/win64/Program/quorvel/. "$folder/"
# The demo reads its devices from the key simulator's file instead of the USB bus.
bin=build/win-x86_64/bin
[ -f "$bin/sim/KvUSBSerial.DLL" ] && cp "$bin/sim/KvUSBSerial.DLL" "$folder/"
launch() {
  [ -f "$bin/keysim.exe" ] && { cp "$bin/keysim.exe" "$folder/"; "$WINE" 'F:\Program\quorvel\keysim.exe' & }
  "$WINE" 'F:\Program\quorvel\quorvel.exe'
  wait
}
if [ -n "${DISPLAY:-}" ]; then
  launch
else
  export -f launch; export WINE bin folder
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c launch
fi
