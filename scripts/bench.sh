#!/usr/bin/env bash
# Benchmark (not part of the tests): builds what it needs, runs the 64-bit program under Wine
# with the key simulator's actions (tools/bench/qv_bench.cpp) and prints medians, minimum and
# maximum of lock and unlock latency, the time until the lock record is on disk, CPU time,
# wake-ups and memory armed and locked, then the size of both shipped folders file by file.
#   scripts/bench.sh [--runs N] [--idle-seconds S]     (defaults: 15 runs, 60 s per phase)
# Start-up is left out: under Xvfb without a window manager Wine waits about 2 s for the
# withdrawn start-up window, which would swamp any start-up figure.
# Timings depend on the machine's load: the load average is printed before and after.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >/dev/null
jobs=$(nproc)
shipped() {   # the targets that fill the program folder
  ninja -C "$1" -t targets all | grep -oE '^(quorvel|QuorvelDll|SecureDel|KvUSBSerial|langfile[0-9]+|lic[0-9]+|qv_doc_[a-z0-9_]+):' \
    | tr -d : | sort -u
}
for arch in x86_64 i686; do
  dir=build/win-$arch
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  extra=""
  [ $arch = x86_64 ] && extra="qv_bench KvUSBSerialSim"
  # shellcheck disable=SC2046
  ninja -C "$dir" -j"$jobs" $(shipped "$dir") $extra >/dev/null
done

source scripts/wine-env.sh
prefix=$PWD/build/wine-bench/prefix
stick=$PWD/build/wine-bench/stick
qv_wine_prefix "$prefix" "$stick"
export QV_DIST=$(qv_winpath dist/win64/Program/quorvel)
export QV_BIN=$(qv_winpath build/win-x86_64/bin)
# The pull takes the stick's drive away, as on a real PC.
qv_stick_env "$stick"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
qv_xrun build/win-x86_64/bin/qv_bench.exe "$@"
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
qv_wine_stop

for folder in dist/win32/Program/quorvel dist/win64/Program/quorvel; do
  echo
  echo "$folder"
  total=0
  for f in "$folder"/*; do
    size=$(stat -c %s "$f")
    total=$((total + size))
    printf '  %-24s %9d\n' "$(basename "$f")" "$size"
  done
  awk -v t="$total" 'BEGIN { printf "  %-24s %9d bytes (%.3f MB)\n", "total", t, t / 1000000 }'
done
