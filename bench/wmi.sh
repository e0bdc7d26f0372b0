#!/usr/bin/env bash
# WMI browser: one Win32_OperatingSystem request through RunWmiQuery (in the
# test program, service warmed up, mean of 10) against Wine's own wmic in
# the same run. Wine's wmic rejects "get /value" at once ("invalid query"),
# so the same request naming every property is timed as well.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"
exe="$build/win64/tests/win_tests.exe"
out=$("$WINE64" "$exe" --gtest_also_run_disabled_tests --gtest_filter='WmiBench.*' 2>/dev/null || true)
echo "$out" | grep -E '^RunWmiQuery|FAILED' || true
props=$(echo "$out" | sed -n 's/^properties: //p' | tr -d '\r')

wmic_ms() {  # runs wmic 5 times after one warm-up; prints ms per run
  "$WINE64" wmic "$@" >/dev/null 2>&1 || true
  local start runs=5
  start=$(date +%s%N)
  for _ in $(seq $runs); do "$WINE64" wmic "$@" >/dev/null 2>&1 || true; done
  echo $(( ($(date +%s%N) - start) / 1000000 / runs ))
}
echo "wine wmic os get /value: $(wmic_ms os get /value) ms per run (process start included)"
if [ -n "$props" ]; then
  n=$(echo "$props" | tr ',' '\n' | wc -l)
  echo "wine wmic os get <all $n properties>: $(wmic_ms os get "$props") ms per run (process start included)"
fi
