#!/usr/bin/env bash
# Network discovery: the wall time of a full 127.0.0.0/24 sweep in the window
# (x64, real echo client, three runs) against fping over the same block in
# the same run, and how many hosts each found. fping -g leaves out the
# network and broadcast addresses (.0 and .255); the window probes all 256.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"
exe="$build/win64/tests/win_tests.exe"
"$WINE64" "$exe" --gtest_also_run_disabled_tests --gtest_filter='NetBench.*' 2>/dev/null |
  grep -E '^(window sweep|echo only)|FAILED' || true
if command -v fping >/dev/null; then
  for run in 1 2 3; do
    start=$(date +%s%N)
    hosts=$(fping -a -g 127.0.0.0/24 2>/dev/null | wc -l || true)
    echo "fping -a -g 127.0.0.0/24 run $run: $(( ($(date +%s%N) - start) / 1000000 )) ms, $hosts hosts"
  done
else
  echo "fping is not installed"
fi
