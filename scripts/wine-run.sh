#!/usr/bin/env bash
# wine-run.sh 64|32 program.exe [args...]: runs a Windows program in the project's prefix.
set -euo pipefail
. "$(dirname "$0")/env.sh"
bits=$1; shift
ensure_prefix
[ -n "${DISPLAY:-}" ] || ensure_display
loader=$WINE32
[ "$bits" = 64 ] && loader=$WINE64
# Programs the tests start inherit the output; a file, not the caller's pipe,
# so one left running cannot keep the caller waiting.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
rc=0
"$loader" "$@" >"$log" 2>&1 </dev/null || rc=$?
cat "$log"
exit $rc
