#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ and runs each in turn, one process
# on one core.
#   scripts/fuzz.sh [seconds-per-target] [target...]
# Targets are the names of fuzz/<name>_fuzz.cpp; all of them by default.
# Each run starts from a scratch corpus in the build tree (kept between
# runs) and reads the committed seeds of fuzz/corpus/<name>/ without
# writing to them. Exits non-zero when any target reports a crash, a leak,
# a time-out or a sanitizer error; its input stays in the build tree.
set -euo pipefail
. "$(dirname "$0")/env.sh"

seconds=${1:-20}
[ $# -gt 0 ] && shift
case $seconds in '' | *[!0-9]*) echo "usage: $0 [seconds-per-target] [target...]" >&2; exit 2 ;; esac

out=$build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$root"/fuzz/*_fuzz.cpp; do
    f=${f##*/}
    targets+=("${f%_fuzz.cpp}")
  done
fi
for t in "${targets[@]}"; do
  [ -f "$root/fuzz/${t}_fuzz.cpp" ] || { echo "no fuzz target $t" >&2; exit 2; }
done

CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$out" >/dev/null
if ! cmake --build "$out" -j"${VESK_FUZZ_JOBS:-$(nproc)}" >"$out/build.log" 2>&1; then
  cat "$out/build.log" >&2
  echo "fuzz build failed" >&2
  exit 1
fi

failed=0
for t in "${targets[@]}"; do
  dir=$out/runs/$t
  mkdir -p "$dir/corpus"
  rm -f "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* "$dir"/slow-unit-*
  log=$dir/log.txt
  seeds=$root/fuzz/corpus/$t
  [ -d "$seeds" ] || seeds=
  start=$(date +%s)
  rc=0
  # New inputs go to the first corpus directory only, never to the seeds.
  "$out/${t}_fuzz" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/" "$dir/corpus" ${seeds:+"$seeds"} >"$log" 2>&1 </dev/null || rc=$?
  elapsed=$(( $(date +%s) - start ))
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  done_s=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  artifact=$(ls "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* 2>/dev/null | head -1 || true)
  if [ $rc -ne 0 ] || [ -n "$artifact" ] ||
     grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|^\*\*\* ' "$log"; then
    failed=1
    echo "$t: FAILED after ${elapsed} s (exit $rc), log $log${artifact:+, input $artifact}"
    grep -m1 -A3 -E '^\*\*\* |ERROR: |runtime error:' "$log" | sed 's/^/    /' || true
  else
    echo "$t: ${execs:-?} execs in ${done_s:-$elapsed} s, ok"
  fi
done
exit $failed
