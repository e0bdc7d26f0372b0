#!/usr/bin/env bash
# Benchmarks (not timed tests): builds what is needed, then runs bench/*.sh
# in turn. Each prints its own measurements.
set -euo pipefail
. "$(dirname "$0")/env.sh"
"$root/scripts/setup.sh"
for bits in 64; do
  configure_win $bits
  cmake --build "$build/win$bits" -j"$(nproc)"
done
ensure_prefix
ensure_display
trap stop_display EXIT
for b in "$root"/bench/*.sh; do
  echo "== $(basename "$b" .sh)"
  bash "$b"
done
