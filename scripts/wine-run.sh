#!/usr/bin/env bash
# wine-run.sh 64|32 program.exe [args...]: runs a Windows program in the
# project's prefix, or at the display scale VESK_DPI in a prefix of its own.
set -euo pipefail
. "$(dirname "$0")/env.sh"
bits=$1; shift
ensure_prefix
if [ -n "${VESK_DPI:-}" ]; then use_dpi_prefix "$VESK_DPI"; fi
[ -n "${DISPLAY:-}" ] || ensure_display
loader=$WINE32
[ "$bits" = 64 ] && loader=$WINE64
# Programs the tests start inherit the output; a file, not the caller's pipe,
# so one left running cannot keep the caller waiting.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
rc=0
"$loader" "$@" >"$log" 2>&1 </dev/null || rc=$?
if [ $rc -ne 0 ] && [ "$bits" = 32 ] && ! starts_i386; then
  # Told apart from a program's own exit code 77 by this first line.
  echo "wine-run: skipped: Wine's 32-bit loader does not start here" \
       "($(head -c 200 "$log" | head -1)); scripts/setup-i386.sh registers a handler for it"
  exit 77
fi
cat "$log"
exit $rc
