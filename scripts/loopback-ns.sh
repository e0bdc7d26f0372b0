#!/usr/bin/env bash
# loopback-ns.sh COMMAND...: runs COMMAND in a network namespace of its own
# that reaches nothing beyond loopback, with a private /etc/hosts (the names
# the tests give loopback hosts, tests/data/hosts) and a resolv.conf whose
# server is on loopback where nothing answers, so that no echo and no name
# look-up leaves the machine. Inside, VESK_LOOPBACK_ONLY=1. Where no
# namespace can be made (no privilege), COMMAND runs as it is, without that
# variable, and the tests that look names up skip.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# NetBIOS reports an adapter's address only for an adapter with an IPv4
# address. This one is half of a pair of virtual adapters whose other half
# stays in the namespace too, so it connects to nothing; its address is from
# the documentation range, with no route beyond itself.
adapter() {
  ip link set lo up
  ip link add vesk0 address 02:56:45:53:4b:00 type veth peer name vesk1
  ip link set vesk1 up
  ip link set vesk0 up
  ip addr add 192.0.2.1/32 dev vesk0
}

if [ "${1:-}" = --inside ]; then  # in the new namespaces
  hosts=$2 resolv=$3
  shift 3
  adapter
  mount --bind "$hosts" /etc/hosts
  mount --bind "$resolv" /etc/resolv.conf
  export VESK_LOOPBACK_ONLY=1
  exec "$@"
fi
[ "${VESK_LOOPBACK_ONLY:-}" = 1 ] && exec "$@"  # already inside

files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
{
  echo "127.0.0.1 localhost $(hostname)"
  grep -v '^#' "$root/tests/data/hosts"
} >"$files/hosts"
printf 'nameserver 127.0.0.1\noptions attempts:1 timeout:1\n' >"$files/resolv.conf"
chmod 644 "$files/hosts" "$files/resolv.conf"

# As root the namespaces are made directly; otherwise inside a user
# namespace that maps this user to root.
as=(unshare -n -m)
[ "$(id -u)" = 0 ] || as=(unshare -r -n -m)
if "${as[@]}" bash -c "$(declare -f adapter); adapter" 2>/dev/null; then
  rc=0
  "${as[@]}" "$0" --inside "$files/hosts" "$files/resolv.conf" "$@" || rc=$?
  exit $rc
fi
echo "loopback-ns: no private network namespace here (${as[*]} failed); look-up tests will skip" >&2
unset VESK_LOOPBACK_ONLY
"$@"
