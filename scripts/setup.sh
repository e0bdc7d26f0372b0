#!/usr/bin/env bash
# Installs whatever the build, the Wine run and the tests need on Debian 12.
# Quick when everything is already there.
set -euo pipefail

pkgs=(cmake make g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
      wine wine64 wine32:i386 xvfb xauth x11-utils locales fonts-ipafont-gothic fonts-wine
      imagemagick cups printer-driver-cups-pdf libcups2:i386 poppler-utils libatasmart-bin
      fping googletest xdotool clang libclang-rt-14-dev cppcheck python3 iproute2 util-linux
      binutils-mingw-w64-x86-64 binutils-mingw-w64-i686)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine only uses code page 932 when this locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi

# Wine's x86 loader on a kernel that runs no 32-bit programs.
"$(dirname "$0")/setup-i386.sh"
