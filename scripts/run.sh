#!/usr/bin/env bash
# Installs what is missing, builds the x64 program and starts it under Wine
# with a Japanese locale, from the folder that holds its read-me.
set -euo pipefail
. "$(dirname "$0")/env.sh"
"$root/scripts/setup.sh"
configure_win 64 program-only
cmake --build "$build/win64" -j"$(nproc)" --target VeskInfo readme
ensure_prefix
ensure_display
cd "$build/win64"
"$WINE64" ./VeskInfo.exe
stop_display
