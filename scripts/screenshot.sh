#!/usr/bin/env bash
# Shows what a newcomer sees: starts the demo of scripts/run.sh in Xvfb and writes
# build/screenshots/main-and-about.png, the desktop with the main window and, beside it, the
# desktop with the About box open over the main window (the whole desktops: main.png, about.png).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build/screenshots
desktop=${QV_DESKTOP:-1280x800}

if [ "${1:-}" != "--inside" ]; then
  bash scripts/run.sh --prepare
  rm -rf "$out"
  mkdir -p "$out"
  xvfb-run -a -s "-screen 0 ${desktop}x24" bash "$0" --inside
  echo "Screenshot: $out/main-and-about.png"
  exit 0
fi

source scripts/wine-env.sh
export WINEPREFIX=$PWD/build/run/prefix
capture() { import -window root "$1"; }

# Waits until the screen shows something new and then holds still for two seconds.
settle() {
  local before=$1 last="" now i
  for i in $(seq 1 90); do
    sleep 2
    now=$(import -window root png:- | md5sum)
    if [ "$now" != "$before" ] && [ "$now" = "$last" ]; then return 0; fi
    last=$now
  done
  echo "the screen never settled" >&2
  return 1
}

trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
empty=$(import -window root png:- | md5sum)
"$WINE" 'F:\Program\quorvel\quorvel.exe' &
settle "$empty"
capture "$out/main.png"
main=$(import -window root png:- | md5sum)
# The Help menu's About entry, by keyboard, on the virtual desktop's X window.
xdotool mousemove 5 5
xdotool key alt+h
sleep 1
xdotool key a
settle "$main"
capture "$out/about.png"
# Side by side, each cut down to its windows.
convert "$out/main.png" "$out/about.png" -trim +repage -bordercolor white -border 12 +append \
  "$out/main-and-about.png"
