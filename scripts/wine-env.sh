# Sourced by the scripts that run the program under Wine.
# qv_wine_prefix PREFIX STICK: makes (once) a Wine prefix whose drive F: is the folder STICK,
# seen by the program as a removable drive, as a USB stick would be.
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
WINE=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
WINESERVER=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
export WINE WINESERVER

qv_wine_prefix() {
  local prefix=$1 stick=$2
  # A key left pulled by an earlier run (the key simulator moves the stick's folder aside).
  if [ -d "$stick.pulled" ]; then
    if [ -d "$stick" ]; then rm -rf "$stick.pulled"; else mv "$stick.pulled" "$stick"; fi
  fi
  mkdir -p "$stick"
  export WINEPREFIX=$prefix
  if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINE" reg add 'HKLM\Software\Wine\Drives' /v f: /d floppy /f >/dev/null 2>&1
    "$WINESERVER" -w 2>/dev/null || true
  fi
  ln -sfn "$(cd "$stick" && pwd)" "$prefix/dosdevices/f:"
}

# Stops the prefix's Wine server and waits until it is gone. A server left from an earlier run
# keeps that run's desktop, whose desktop process and windows belonged to an X display that no
# longer exists; programs of the next run would trip over them (the shared cursor-clip window,
# for one, is gone, and Wine ends a program that touches it).
qv_wine_stop() {
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
}

# Runs a Windows program under a fresh Xvfb, with a fresh Wine server.
qv_xrun() {
  qv_wine_stop
  timeout 900 xvfb-run -a -s "-screen 0 1280x1024x24" "$WINE" "$@"
}

# For the key simulator and the simulated USB library: pulling the key takes the stick's
# folder (drive F:) away from the program, as a real pull does, so the device list lives
# beside it instead of on it.
qv_stick_env() {
  local stick=$1
  QV_STICK=$(qv_winpath "$stick")
  QV_USBSIM=$(qv_winpath "$(dirname "$stick")/usbsim.txt")
  export QV_STICK QV_USBSIM
}

# A Windows path for a Linux path, through Wine's Z: drive.
qv_winpath() { echo "Z:$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" | tr / '\\'; }
