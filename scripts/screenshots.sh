#!/usr/bin/env bash
# screenshots.sh [--dpi N]: starts the program under a virtual display and
# writes one PNG per tab to build/screenshots, or at N pixels per inch to
# build/screenshots-N (nothing here is committed). The program looks names
# up when shown, so it runs in the loopback namespace or not at all.
set -euo pipefail
. "$(dirname "$0")/env.sh"
if [ "${1:-}" != --inside ]; then
  "$root/scripts/setup.sh"
  configure_win 64 program-only
  cmake --build "$build/win64" -j"$(nproc)" --target VeskInfo readme
  ensure_prefix
  exec "$root/scripts/loopback-ns.sh" "$0" --inside "$@"
fi
shift
if [ "${VESK_LOOPBACK_ONLY:-}" != 1 ]; then
  echo "no private network namespace here: no screenshots" >&2
  exit 1
fi
dpi=
if [ "${1:-}" = --dpi ]; then
  dpi=$2
  use_dpi_prefix "$dpi"
fi
unset DISPLAY
ensure_display
trap 'stop_display' EXIT
out="$build/screenshots${dpi:+-$dpi}"
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
