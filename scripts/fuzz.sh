#!/usr/bin/env bash
# Builds the fuzz targets with clang (build/fuzz, libFuzzer with ASan and UBSan) and runs each
# for QV_FUZZ_SECONDS (60) from its seed corpus tests/fuzz/corpus/<target>, four at a time.
# New inputs go to build/fuzz/work/<target>; a crash leaves build/fuzz/crash-<target>-*, to be
# added to the target's corpus once mended. Prints the executions per target.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
seconds=${QV_FUZZ_SECONDS:-60}
out=build/fuzz
CC=clang CXX=clang++ cmake -S . -B $out -G Ninja -DQV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
ninja -C $out || exit 1

targets=()
for source in tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done

run_target() {
  local t=$1
  mkdir -p "$out/work/$t"
  "$out/$t" -max_total_time="$seconds" -max_len=4096 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/crash-$t-" "$out/work/$t" "tests/fuzz/corpus/$t" >"$out/$t.log" 2>&1
}
export -f run_target
export out seconds
printf '%s\n' "${targets[@]}" | xargs -P 4 -I{} bash -c 'run_target {}' || true

status=0
for t in "${targets[@]}"; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$t.log" | tail -1)
  if grep -q "^Done [0-9]* runs" "$out/$t.log" && [ -n "$runs" ]; then
    echo "$t: ${runs} executions in ${seconds} s"
  else
    echo "$t: FAILED (see $out/$t.log)"
    grep -m1 -A12 "ERROR:\|==ERROR\|runtime error\|deadly signal" "$out/$t.log"
    status=1
  fi
done
exit $status
