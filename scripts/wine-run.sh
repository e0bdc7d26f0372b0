#!/usr/bin/env bash
# wine-run.sh 64|32 program.exe [args...]: runs a Windows program in the project's prefix.
set -euo pipefail
. "$(dirname "$0")/env.sh"
bits=$1; shift
ensure_prefix
[ -n "${DISPLAY:-}" ] || ensure_display
if [ "$bits" = 64 ]; then exec "$WINE64" "$@"; else exec "$WINE32" "$@"; fi
