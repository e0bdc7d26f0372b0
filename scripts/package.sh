#!/usr/bin/env bash
# Builds both programs and makes what a Windows user downloads, in
# build/packages: VeskInfo-1.01-win64.zip and -win32.zip (the program and
# its Shift-JIS read-me) and their -symbols.zip (the debug files).
set -euo pipefail
. "$(dirname "$0")/env.sh"
"$root/scripts/setup.sh"
for bits in 64 32; do
  configure_win $bits program-only
  cmake --build "$build/win$bits" -j"$(nproc)" --target VeskInfo readme
  (cd "$build/win$bits" && cpack -G ZIP -B "$build/packages" >/dev/null)
done
rm -rf "$build/packages/_CPack_Packages"
ls -l "$build/packages"/*.zip
