#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests (ASan/UBSan), the string-table,
# help-document, release-bytes and run-from-swap checks, the fuzzers (a minute each),
# the Windows-side tests and the end-to-end tests under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh || { echo "build failed"; exit 1; }
source scripts/wine-env.sh
passed=0 failed=0
run() {
  echo "=== $1"
  if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}

run "native unit tests" ctest --test-dir build/native --output-on-failure -j"$(nproc)"
for check in strings docs; do run "check_$check" python3 tools/check_$check.py; done
run "reproducible release" bash scripts/check_reproducible.sh
run "fuzzers" bash scripts/fuzz.sh
run "run-from-swap flags" python3 tools/pe_swap_flags.py --check dist/win*/Program/quorvel/*.[dDeE][lLxX][lLeE]

bin=build/win-x86_64/bin
stick=$PWD/build/wine-test/stick
qv_wine_prefix "$PWD/build/wine-test/prefix" "$stick"
export QV_DIST=$(qv_winpath dist/win64/Program/quorvel)
export QV_DIST_WIN32=$(qv_winpath dist/win32/Program/quorvel)
export QV_BIN=$(qv_winpath "$bin")
for exe in "$bin"/qv_win_*.exe; do run "$(basename "$exe")" qv_xrun "$exe"; done
# The lock screen at 1024x768 and at 1280x800 with 150 % scaling, in a prefix of its own.
run "lock screen on small and scaled screens" bash scripts/screens.sh
qv_stick_env "$stick"
run "end-to-end" qv_xrun "$bin/qv_e2e_tests.exe"
# The first start in Chinese, under the matching locales (Wine takes its code page from them),
# compiled beside the test prefix.
export LOCPATH=$PWD/build/wine-test
for language in zh_CN:0804 zh_TW:0404; do
  locale=${language%:*}
  [ -d "$LOCPATH/$locale.UTF-8" ] || localedef -i "$locale" -f UTF-8 "$LOCPATH/$locale.UTF-8" 2>/dev/null
  LC_ALL=$locale.UTF-8 QV_LANGUAGE=${language#*:} run "end-to-end, $locale" qv_xrun "$bin/qv_e2e_tests.exe" \
    --gtest_filter='FirstStart.*'
done
qv_wine_stop
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
