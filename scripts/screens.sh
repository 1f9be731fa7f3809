#!/usr/bin/env bash
# The lock screen on a small screen (1024x768) and on a scaled one (1280x800 at 150 %, 144 dpi):
# runs the Windows-side check that every panel lies whole in the primary monitor's work area,
# and keeps a screenshot of each as build/screens/lock-<size>-<dpi>dpi.png. Needs the x86_64
# build (scripts/build.sh). Scaling under Wine is the LogPixels value of the prefix.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
exe=$PWD/build/win-x86_64/bin/qv_win_lock_screen_view_test.exe
out=$PWD/build/screens
work=$PWD/build/wine-screens
mkdir -p "$out"
qv_wine_prefix "$work/prefix" "$work/stick"
status=0
for screen in 1024x768:96 1280x800:144; do
  size=${screen%%:*}
  dpi=${screen##*:}
  qv_wine_stop
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$WINE" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$WINESERVER" -w   # the values reach the registry files before the next server starts
  mark=$work/screen-up
  rm -f "$mark"
  png=$out/lock-$size-${dpi}dpi.png
  rm -f "$png"
  echo "--- lock screen at $size, $dpi dpi"
  # The test writes the mark once the screen is up and waits until it is gone.
  QV_SCREEN_MARK=$(qv_winpath "$mark") timeout 300 xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
    "$WINE" "$1" --gtest_filter="LockScreenView.TimedLock*" & pid=$!
    for _ in $(seq 600); do [ -e "$2" ] && break; sleep 0.1; done
    [ -e "$2" ] && import -window root "$3"
    rm -f "$2"
    wait $pid' _ "$exe" "$mark" "$png" || status=1
  [ -s "$png" ] && echo "screenshot: $png" || { echo "no screenshot at $size"; status=1; }
done
qv_wine_stop
exit $status
