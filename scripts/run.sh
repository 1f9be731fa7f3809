#!/usr/bin/env bash
# Builds the program and starts it under Wine from F:\Program\quorvel, as it runs from a
# USB stick, with the key simulator beside it, on a Windows desktop of its own in one window
# (Wine's virtual desktop: title bars, windows that can be moved). Without a display it runs
# in Xvfb. QV_DESKTOP sets the desktop's size (default 1280x800).
#   scripts/run.sh             build, then start
#   scripts/run.sh --prepare   build and make the program folder only
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
bin=build/win-x86_64/bin
stick=$PWD/build/run/stick
folder=$stick/Program/quorvel
desktop=${QV_DESKTOP:-1280x800}
export WINEPREFIX=$PWD/build/run/prefix

launch() {
  # The demo reads its devices from the key simulator's file; the key starts plugged in.
  [ -f build/run/usbsim.txt ] || "$WINE" 'F:\Program\quorvel\keysim.exe' plug-key >/dev/null 2>&1 || true
  "$WINE" 'F:\Program\quorvel\keysim.exe' &
  "$WINE" 'F:\Program\quorvel\quorvel.exe'
  "$WINESERVER" -k 2>/dev/null || true
}

if [ "${1:-}" = "--launch" ]; then
  launch
  exit 0
fi

bash scripts/install-deps.sh
cmake -S . -B build/win-x86_64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build/win-x86_64 quorvel keysim KvUSBSerialSim qv_release_zip
qv_wine_prefix "$WINEPREFIX" "$stick"
# Every program of this prefix opens on the one virtual desktop, which Wine draws like Windows.
"$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Quorvel /f >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Quorvel /d "$desktop" /f >/dev/null 2>&1
qv_stick_env "$stick"
mkdir -p "$folder"
cp -r dist/win64/Program/quorvel/. "$folder/"
# The simulator and its USB library take the place of the real USB bus.
cp "$bin/sim/KvUSBSerial.DLL" "$bin/keysim.exe" "$folder/"
qv_wine_stop
[ "${1:-}" = "--prepare" ] && exit 0
if [ -n "${DISPLAY:-}" ]; then
  launch
else
  echo "No display: running in Xvfb."
  xvfb-run -a -s "-screen 0 ${desktop}x24" bash "$0" --launch
fi
