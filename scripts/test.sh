#!/usr/bin/env bash
# Installs what is missing, builds every tree and runs every test: native
# (with ASan/UBSan), then the x64 and x86 builds under Wine. The tests run
# in a network namespace with only loopback (scripts/loopback-ns.sh).
set -euo pipefail
. "$(dirname "$0")/env.sh"

if [ "${1:-}" != --run ]; then
  "$root/scripts/setup.sh"
  jobs=$(nproc)
  for bits in 64 32; do
    configure_win $bits
    cmake --build "$build/win$bits" -j"$jobs"
    cmake --build "$build/win$bits-tests" -j"$jobs"
  done
  cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug -DVESK_SANITIZE=ON \
        -DVESK_WIN64_DIR="$build/win64" -DVESK_WIN32_DIR="$build/win32" \
        -DVESK_WIN64_TESTS_DIR="$build/win64-tests" -DVESK_WIN32_TESTS_DIR="$build/win32-tests" >/dev/null
  cmake --build "$build/native" -j"$jobs"
  ensure_prefix
  export VESK_NS_TRIED=1
  exec "$root/scripts/loopback-ns.sh" "$0" --run "$@"
fi
shift
# Started with --run by hand: into the namespace first, so that no look-up
# leaves the machine.
if [ "${VESK_LOOPBACK_ONLY:-}" != 1 ] && [ -z "${VESK_NS_TRIED:-}" ]; then
  export VESK_NS_TRIED=1
  exec "$root/scripts/loopback-ns.sh" "$0" --run "$@"
fi

ensure_display
# The Wine session starts here, inside the namespace, and outside ctest: a
# test that happened to start the server would otherwise hold its output
# pipe open until every test ended.
wineserver -k 2>/dev/null || true
"$WINE64" "$build/win64-tests/tests/keepalive.exe" </dev/null >/dev/null 2>&1 &
keepalive=$!
trap 'kill $keepalive 2>/dev/null; wineserver -k 2>/dev/null; stop_display' EXIT
"$WINE64" cmd /c exit </dev/null >/dev/null 2>&1 || true
starts_i386 || echo "skipping the x86 groups under Wine: its 32-bit loader does not start here" \
                    "($("$WINE32" --version 2>&1 | head -1)), and no handler could be registered"
ctest --test-dir "$build/native" --output-on-failure -j2 "$@"
