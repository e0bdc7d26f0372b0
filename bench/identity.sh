#!/usr/bin/env bash
# System identity: the measured clock against the kernel's figure over five
# runs, and the time of the whole identity sequence (real probes, x64).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"
exe="$build/win64/tests/win_tests.exe"
"$WINE64" "$exe" --gtest_also_run_disabled_tests --gtest_filter='IdentityBench.*' 2>/dev/null |
  grep -E '^(clock|identity sequence)|FAILED' || true
