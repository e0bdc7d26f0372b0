#!/usr/bin/env bash
# unclaimed.sh WINE-RUN BITS EXE FILTER...: fails when a window test belongs
# to none of the ctest groups (it would never run).
set -euo pipefail
run=$1 bits=$2 exe=$3; shift 3
neg=$(IFS=:; echo "$*")
rc=0
list=$("$run" "$bits" "$exe" --gtest_list_tests "--gtest_filter=-$neg") || rc=$?
# 77: wine-run.sh found that this loader does not start.
if [ $rc -ne 0 ]; then echo "$list"; exit $rc; fi
left=$(grep -v '^Note:' <<<"$list" || true)
if [ -n "$left" ]; then echo "tests in no group:"; echo "$left"; exit 1; fi
echo "every window test belongs to a group"
