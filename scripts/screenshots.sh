#!/usr/bin/env bash
# Starts the program under a virtual display and writes one PNG per tab to
# build/screenshots (nothing here is committed).
set -euo pipefail
. "$(dirname "$0")/env.sh"
"$root/scripts/setup.sh"
configure_win 64 program-only
cmake --build "$build/win64" -j"$(nproc)" --target VeskInfo readme
ensure_prefix
unset DISPLAY
ensure_display
trap 'stop_display' EXIT
out="$build/screenshots"
mkdir -p "$out"
cd "$build/win64"
"$WINE64" ./VeskInfo.exe &
app=$!
win=$(xdotool search --sync --onlyvisible --name 'Ver1.01' | head -n 1)
sleep 2
for i in 1 2 3 4 5 6 7 8; do
  import -window "$win" "$out/tab$i.png" 2>/dev/null || import -window root "$out/tab$i.png"
  xdotool windowfocus --sync "$win" key ctrl+Tab
  sleep 1
done
kill $app 2>/dev/null || true
wineserver -k 2>/dev/null || true
echo "screenshots in $out"
