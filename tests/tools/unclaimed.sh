#!/usr/bin/env bash
# unclaimed.sh WINE-RUN BITS EXE FILTER...: fails when a window test belongs
# to none of the ctest groups (it would never run).
set -euo pipefail
run=$1 bits=$2 exe=$3; shift 3
neg=$(IFS=:; echo "$*")
left=$("$run" "$bits" "$exe" --gtest_list_tests "--gtest_filter=-$neg" | grep -v '^Note:' || true)
if [ -n "$left" ]; then echo "tests in no group:"; echo "$left"; exit 1; fi
echo "every window test belongs to a group"
