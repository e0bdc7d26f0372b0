#!/usr/bin/env bash
# Disk health: how long one "Info" press takes with every recorded drive
# replayed in the window, and a full read on Wine's own disk devices.
set -euo pipefail
. "$(dirname "$0")/../scripts/env.sh"
exe="$build/win64/tests/win_tests.exe"
for t in SmartTab.EveryCaptureShowsAsThePeerReadIt SmartWine.RealDevicesEndInALabelOutcome; do
  start=$(date +%s%N)
  "$WINE64" "$exe" --gtest_filter="$t" | grep -E '^\[ +(OK|FAILED) +\]|^disk ' || true
  echo "$t: $(( ($(date +%s%N) - start) / 1000000 )) ms wall, including start-up"
done
