# Sourced by the scripts: the build tree, its own Wine prefix, a Japanese locale.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VESK_BUILD:-$root/build}
export WINEPREFIX=${WINEPREFIX_VESK:-$build/wineprefix}
export LANG=ja_JP.UTF-8; unset LC_ALL
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=${WINEDEBUG:--all}
# Debian keeps the loaders off PATH; /usr/bin/wine picks one itself.
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine

# Whether Wine's 32-bit loader starts: not on a kernel that runs no 32-bit
# programs, unless a handler for them is registered (scripts/setup-i386.sh).
starts_i386() { "$WINE32" --version >/dev/null 2>&1; }

# A prefix first made while 32-bit programs could not start stays broken for
# them ("could not load kernel32.dll"), so each prefix records that its
# 32-bit half starts, and one without that record is checked, and made
# again, once they can.
record_i386() {
  starts_i386 && "$WINE32" cmd /c exit </dev/null >/dev/null 2>&1 && touch "$WINEPREFIX/.vesk-i386"
}
broken_i386() { [ ! -f "$WINEPREFIX/.vesk-i386" ] && starts_i386 && ! record_i386; }

# Creates the prefix once; later runs reuse it.
ensure_prefix() {
  mkdir -p "$build"
  (
    flock 9
    if [ -f "$WINEPREFIX/system.reg" ] && broken_i386; then
      echo "making Wine prefix $WINEPREFIX again: its 32-bit half does not start"
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "creating Wine prefix $WINEPREFIX"
      "$WINE64" wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      record_i386 || true
    fi
    if [ ! -f "$WINEPREFIX/.vesk-settings" ]; then
      # Unmanaged windows: without a window manager, hiding a managed window
      # waits two seconds for a state change that never comes.
      "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
      # No crash debugger: a crashed tool ends instead of waiting for a person.
      "$WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1 &&
      "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 &&
        wineserver -w && touch "$WINEPREFIX/.vesk-settings"
    fi
    if [ ! -f "$WINEPREFIX/.vesk-fonts" ]; then
      # Metric-compatible faces for the Japanese fonts the window asks for,
      # so that text measures as on Windows whatever else is installed.
      # Tahoma's Japanese link face keeps the Latin of mixed texts proportional.
      local face
      for face in 'ＭＳ Ｐゴシック=IPAPGothic' 'ＭＳ ゴシック=IPAGothic' 'MS UI Gothic=IPAPGothic'; do
        "$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%=*}" /d "${face#*=}" /f \
          >/dev/null 2>&1 || exit 1
      done
      wineserver -w && touch "$WINEPREFIX/.vesk-fonts"
    fi
  ) 9>"$build/.wineprefix.lock"
}

# Switches to a prefix at another display scale (pixels per inch). Wine
# takes the scale from the registry when its session starts, so each scale
# has a session, and a prefix, of its own: copies of the project prefix's
# registry with LogPixels set, sharing its drive C. Call after ensure_prefix.
use_dpi_prefix() { # dpi
  local dpi=$1 base=$WINEPREFIX
  export WINEPREFIX=$build/wineprefix-dpi$dpi
  (
    flock 9
    if [ ! "$WINEPREFIX/.vesk-dpi" -nt "$base/.vesk-fonts" ] || broken_i386; then
      echo "creating Wine prefix $WINEPREFIX"
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      mkdir -p "$WINEPREFIX/dosdevices"
      cp "$base"/*.reg "$base/.update-timestamp" "$WINEPREFIX/"
      ln -s "$base/drive_c" "$WINEPREFIX/drive_c"
      ln -s ../drive_c "$WINEPREFIX/dosdevices/c:"
      ln -s / "$WINEPREFIX/dosdevices/z:"
      "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 &&
        wineserver -w && touch "$WINEPREFIX/.vesk-dpi"
      record_i386 || true
    fi
  ) 9>"$build/.wineprefix.lock"
}

# Uses the current display when it answers, else starts a virtual one.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    VESK_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  done
  echo "no X display could be started" >&2; return 1
}

stop_display() { [ -n "${VESK_XVFB_PID:-}" ] && kill "$VESK_XVFB_PID" 2>/dev/null || true; }

# Configures a build's two Windows trees: the program's, win$bits, built
# with the win32 thread model so that it links no threads runtime, and its
# tests', win$bits-tests, with the posix model that GoogleTest needs.
configure_win() { # bits [program-only]
  local bits=$1 tc=x64
  [ "$bits" = 32 ] && tc=x86
  cmake -S "$root" -B "$build/win$bits" -DCMAKE_BUILD_TYPE=Release -DVESK_THREADS=win32 \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$tc.cmake" >/dev/null
  [ "${2:-}" = program-only ] && return
  cmake -S "$root" -B "$build/win$bits-tests" -DCMAKE_BUILD_TYPE=Release -DVESK_THREADS=posix \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$tc.cmake" >/dev/null
}
