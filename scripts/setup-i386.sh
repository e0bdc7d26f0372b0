#!/usr/bin/env bash
# Makes Wine's 32-bit loader start on a kernel that runs no 32-bit programs
# (IA-32 emulation off): qemu-user from bookworm-backports registered as the
# handler of i386 programs. Bookworm's own qemu takes close to a minute per
# process start under Wine; the backported one well under a second.
# VESK_I386=emulated takes this path even where 32-bit programs run natively
# (a registered handler comes before the kernel's own).
# Says what it does, one line a step; never fails the set-up: without the
# handler the x86 groups under Wine report as skipped.
set -uo pipefail
. "$(dirname "$0")/env.sh"

qemu=/usr/bin/qemu-i386
handler=/proc/sys/fs/binfmt_misc/qemu-i386
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo -n "$@"; fi; }
give_up() { echo "i386: $*; the x86 groups under Wine will be skipped"; exit 0; }

if [ "${VESK_I386:-}" != emulated ] && starts_i386; then exit 0; fi
if [ -f "$handler" ] && grep -qx enabled "$handler" && grep -qx "interpreter $qemu" "$handler" &&
   starts_i386; then
  exit 0
fi

# qemu-user 10 or later, from backports only.
qemu_major() { "$qemu" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p'; }
if [ "$(qemu_major)" = "" ] || [ "$(qemu_major)" -lt 10 ]; then
  list=/etc/apt/sources.list.d/vesk-backports.sources
  if [ ! -f "$list" ]; then
    # The mirror the machine's own sources name for bookworm.
    mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '
      /^URIs:/ {uri = $2} /^Suites:/ {for (i = 2; i <= NF; i++) if ($i == "bookworm") print uri}
      /^$/ {uri = ""}' | head -1)
    [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $3 == "bookworm" {print $2; exit}' \
                                 /etc/apt/sources.list 2>/dev/null)
    [ -n "$mirror" ] || give_up "no bookworm mirror in the apt sources to take backports from"
    echo "i386: adding bookworm-backports from $mirror"
    printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: %s\n' \
      "$mirror" /usr/share/keyrings/debian-archive-keyring.gpg | as_root tee "$list" >/dev/null ||
      give_up "cannot write $list (no root)"
  fi
  echo "i386: installing qemu-user from bookworm-backports"
  as_root apt-get update -qq >/dev/null 2>&1
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends \
    -t bookworm-backports qemu-user >/dev/null 2>&1 || give_up "qemu-user from backports did not install"
  [ "$(qemu_major)" -ge 10 ] 2>/dev/null || give_up "$qemu is older than version 10"
fi

if [ ! -f /proc/sys/fs/binfmt_misc/register ]; then
  echo "i386: mounting binfmt_misc"
  as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
    give_up "binfmt_misc cannot be mounted"
fi
if [ -f "$handler" ]; then echo -1 | as_root tee "$handler" >/dev/null; fi
echo "i386: registering $qemu as the handler of i386 programs"
# ELF class 32, little-endian, version 1, machine 3 (i386), executables and
# shared objects; F opens the interpreter now, so it also serves inside other
# mount namespaces.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$qemu" |
  as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null 2>&1 || give_up "the handler could not be registered"
starts_i386 || give_up "Wine's 32-bit loader still does not start"
