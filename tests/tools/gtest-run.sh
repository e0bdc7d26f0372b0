#!/usr/bin/env bash
# gtest-run.sh COMMAND...: runs a GoogleTest program for ctest. Fails when
# the program fails or when no test ran; exits 77 (ctest's skip code here)
# when it passed but skipped a test, so the skip shows in the summary.
set -uo pipefail
out=$(mktemp)
trap 'rm -f "$out"' EXIT
rc=0
"$@" >"$out" 2>&1 </dev/null || rc=$?
cat "$out"
summary=$(tr -d '\r' <"$out")
if [ $rc -ne 0 ]; then
  # A skip only when wine-run.sh says so; never a program's own 77.
  [ $rc -eq 77 ] && ! head -1 "$out" | grep -q '^wine-run: skipped:' && rc=1
  exit $rc
fi
ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\{0,1\} from .* ran\..*/\1/p' <<<"$summary" | tail -1)
if [ -z "$ran" ] || [ "$ran" -eq 0 ]; then
  echo "gtest-run: no test ran"
  exit 1
fi
# Only the final summary counts: a test may print a child run's output.
tail=$(awk '/^\[==========\] [0-9]+ tests? from .* ran\./ {buf = ""} {buf = buf $0 "\n"} END {printf "%s", buf}' <<<"$summary")
skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}, listed below:.*/\1/p' <<<"$tail" | head -1)
if [ -n "$skipped" ] && [ "$skipped" -gt 0 ]; then
  echo "gtest-run: $skipped of $ran tests skipped"
  exit 77
fi
exit 0
