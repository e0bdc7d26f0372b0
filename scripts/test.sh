#!/usr/bin/env bash
# Installs what is missing, builds every tree and runs every test:
# native (with ASan/UBSan), then the x64 and x86 builds under Wine.
set -euo pipefail
. "$(dirname "$0")/env.sh"
"$root/scripts/setup.sh"
jobs=$(nproc)
for bits in 64 32; do
  configure_win $bits
  cmake --build "$build/win$bits" -j"$jobs"
done
cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug -DVESK_SANITIZE=ON \
      -DVESK_WIN64_DIR="$build/win64" -DVESK_WIN32_DIR="$build/win32" >/dev/null
cmake --build "$build/native" -j"$jobs"
ensure_prefix
ensure_display
trap stop_display EXIT
ctest --test-dir "$build/native" --output-on-failure -j2 "$@"
