#!/usr/bin/env bash
# Benchmarks (not tests). Prints one table: each figure is the median of
# five or more runs, beside its peer measured in the same run. The window
# figures are under Wine x64; the decoder's natively. Like the tests, the
# measurements run in a network namespace with only loopback.
set -euo pipefail
. "$(dirname "$0")/env.sh"
if [ "${1:-}" != --run ]; then
  {
    "$root/scripts/setup.sh"
    configure_win 64
    cmake --build "$build/win64" -j"$(nproc)"
    cmake --build "$build/win64-tests" -j"$(nproc)"
    cmake -S "$root" -B "$build/bench-native" -DCMAKE_BUILD_TYPE=Release -DVESK_TESTS=OFF
    cmake --build "$build/bench-native" --target smartdecode nvmedecode -j"$(nproc)"
  } >&2
  ensure_prefix
  exec "$root/scripts/loopback-ns.sh" "$0" --run
fi
ensure_display
tmp=$(mktemp -d)
wineserver -k 2>/dev/null || true
"$WINE64" "$build/win64-tests/tests/keepalive.exe" </dev/null >/dev/null 2>&1 &
keepalive=$!
cleanup() {
  kill "$keepalive" 2>/dev/null
  wineserver -k 2>/dev/null
  stop_display
  rm -rf "$tmp"
}
trap cleanup EXIT
"$WINE64" cmd /c exit </dev/null >/dev/null 2>&1 || true

median() { sort -g | awk '{v[NR] = $1} END {if (NR) print v[int((NR + 1) / 2)]; else print "-"}'; }
ms_now() { date +%s%N | cut -c1-13; }
tests="$build/win64-tests/tests/win_tests.exe"
bench() { "$WINE64" "$tests" --gtest_also_run_disabled_tests --gtest_filter="$1" 2>/dev/null | tr -d '\r'; }
values() { awk -v k="$1" '$1 == "bench" && $2 == k {print $3}'; }
# Times a Unix command five times after one warm-up; the median in ms.
timed() {
  "$@" >/dev/null 2>&1 || true
  for _ in 1 2 3 4 5; do
    local s; s=$(ms_now)
    "$@" >/dev/null 2>&1 || true
    echo $(( $(ms_now) - s ))
  done | median
}

echo "start-up ..." >&2
(cd "$build/win64" && "$WINE64" bench/startwatch.exe 9 TTrivial bench/trivialwin.exe TForm1 VeskInfo.exe) \
  | tr -d '\r' > "$tmp/start"
start_of() { awk -v c="$1" '$2 == c":" {print $4}' "$tmp/start"; }
peak_of() { awk -v c="$1" '$2 == c":" {print $(NF-1)}' "$tmp/start"; }

echo "identity and clock ..." >&2
bench 'IdentityBench.DISABLED_IdentitySequence' > "$tmp/identity"
bench 'IdentityBench.DISABLED_ClockAccuracy' > "$tmp/clock"
kernel=$(awk '$2 == "clock_mhz" {print $5; exit}' "$tmp/clock")

echo "WMI ..." >&2
bench 'WmiBench.*' > "$tmp/wmi"
wmic_ms=$(timed "$WINE64" wmic os get /value)
# Wine's wmic refuses "/value" at once, so the same request naming every
# property is timed too.
props=$(sed -n 's/^properties: //p' "$tmp/wmi")
wmic_all_ms=$(timed "$WINE64" wmic os get "$props")

echo "sweep ..." >&2
bench 'NetBench.DISABLED_LoopbackSweep' > "$tmp/sweep"
fping_ms=$(timed fping -a -g 127.0.0.0/24)
fping_hosts=$(fping -a -g 127.0.0.0/24 2>/dev/null | wc -l || true)
hosts_of() { awk '$2 == "sweep_ms" {print $5}' "$1" | sort -n | head -1; }

echo "decoding ..." >&2
captures="$root/tests/data/smart"
"$build/bench-native/bench/smartdecode" "$captures" 1 > "$tmp/decode"
n=$(ls "$captures"/*.bin | wc -l)
skdump_all() { for f in "$captures"/*.bin; do skdump --load="$f" >/dev/null 2>&1 || true; done; }
skdump_ms=$(timed skdump_all)
nvme="$root/tests/data/nvme"
"$build/bench-native/bench/nvmedecode" "$nvme" 1 > "$tmp/nvme"

echo "working set ..." >&2
bench 'FormBench.*' > "$tmp/ws"

cat <<EOF
| measurement | VeskInfo | peer, same run |
|---|---|---|
| start-up to visible window (median of 9) | $(start_of TForm1) ms | trivial window program: $(start_of TTrivial) ms |
| identity sequence (median of 5) | $(values identity_ms < "$tmp/identity" | median) ms | its clock measurement alone: $(values clock_alone_ms < "$tmp/identity" | median) ms |
| measured clock, error against the kernel (median of 5) | $(values clock_error_pct < "$tmp/clock" | median) % | /proc/cpuinfo: ${kernel:-?} MHz |
| \`Win32_OperatingSystem\` request, service warm (median of 10) | $(values wmi_ms < "$tmp/wmi" | median) ms | \`wine wmic os get /value\`: ${wmic_ms} ms; naming all $(echo "$props" | tr ',' '\n' | wc -l) properties: ${wmic_all_ms} ms (process start included) |
| 127.0.0.0/24 sweep in the window, names from the hosts file (median of 5) | $(values sweep_ms < "$tmp/sweep" | median) ms, $(hosts_of "$tmp/sweep") found | \`fping -a -g 127.0.0.0/24\`: ${fping_ms} ms, ${fping_hosts} found |
| \`DecodeSmartData\`, native (median of 5) | $(values decode_sectors_per_s < "$tmp/decode" | median) sectors/s | \`skdump --load\` on the same $n captures: $(( 2 * n * 1000 / (skdump_ms > 0 ? skdump_ms : 1) )) sectors/s (process start included) |
| \`DecodeNvmeHealth\`, native, the $(ls "$nvme"/*.health.bin | wc -l) drives of \`tests/data/nvme\` (median of 5) | $(values nvme_drives_per_s < "$tmp/nvme" | median) drives/s | \`DecodeSmartData\` above, same run: $(( $(values decode_sectors_per_s < "$tmp/decode" | median) / 2 )) ATA drives/s (two sectors each) |
| peak working set after using every tab | $(values peak_ws_mb < "$tmp/ws") MB | trivial window program: $(peak_of TTrivial) MB; VeskInfo.exe when first shown: $(peak_of TForm1) MB |

Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores, $(. /etc/os-release; echo "$PRETTY_NAME"), $("$WINE64" --version 2>/dev/null || echo Wine), $(date -u +%Y-%m-%d).
EOF
