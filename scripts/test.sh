#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests (ASan/UBSan), the string-table
# and help-document checks, the fuzzers (a minute each), the Windows-side tests and the
# end-to-end tests under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh || { echo "build failed"; exit 1; }
source scripts/wine-env.sh
status=0
passed=0
failed=0
run() {
  local name=$1; shift
  echo "=== $name"
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); status=1; echo "FAILED: $name"; fi
}

run "native unit tests" ctest --test-dir build/native --output-on-failure -j"$(nproc)"
run "string tables" python3 tools/check_strings.py
run "help documents" python3 tools/check_docs.py
run "application icon" python3 tools/check_icon.py
run "reproducible release" bash scripts/check_reproducible.sh
run "fuzzers" bash scripts/fuzz.sh
run "run-from-swap flags" python3 tools/pe_swap_flags.py --check \
  dist/win32/Program/quorvel/*.[dDeE][lLxX][lLeE] dist/win64/Program/quorvel/*.[dDeE][lLxX][lLeE]

bin=build/win-x86_64/bin
prefix=$PWD/build/wine-test/prefix
stick=$PWD/build/wine-test/stick
qv_wine_prefix "$prefix" "$stick"
export QV_DIST=$(qv_winpath dist/win64/Program/quorvel)
export QV_DIST_WIN32=$(qv_winpath dist/win32/Program/quorvel)
export QV_BIN=$(qv_winpath "$bin")
for exe in "$bin"/qv_win_*.exe; do
  [ -e "$exe" ] || continue
  run "$(basename "$exe")" qv_xrun "$exe"
done
# The lock screen at 1024x768 and at 1280x800 with 150 % scaling, in a prefix of its own.
run "lock screen on small and scaled screens" bash scripts/screens.sh
qv_stick_env "$stick"
run "end-to-end" qv_xrun "$bin/qv_e2e_tests.exe"
# The Chinese captions, under the matching locales (Wine takes its code page from them).
export LOCPATH=$PWD/build/locales
mkdir -p "$LOCPATH"
for loc in zh_CN zh_TW; do
  [ -d "$LOCPATH/$loc.UTF-8" ] || localedef -i $loc -f UTF-8 "$LOCPATH/$loc.UTF-8" 2>/dev/null || true
done
LC_ALL=zh_CN.UTF-8 QV_LANGUAGE=0804 run "end-to-end, Simplified Chinese" qv_xrun "$bin/qv_e2e_tests.exe" \
  --gtest_filter='FirstStart.*'
LC_ALL=zh_TW.UTF-8 QV_LANGUAGE=0404 run "end-to-end, Traditional Chinese" qv_xrun "$bin/qv_e2e_tests.exe" \
  --gtest_filter='FirstStart.*'
unset LOCPATH
qv_wine_stop
echo "$passed passed, $failed failed"
exit $status
