#!/usr/bin/env bash
# Runs one Windows program under Wine for the tests.
#
#   wine-run.sh --prefix DIR --wine LOADER [--drive L:=UNIXDIR] [--dpi N] PROGRAM [ARGS...]
#   wine-run.sh --prefix DIR --wine LOADER --stop
#
# The prefix is made once per build folder (Desktop and Documents become
# plain folders inside it, so nothing is written outside the prefix, and
# Wine's own fonts are in its Fonts folder), the wineserver stays up between
# runs, the locale is fixed, and a private Xvfb is started when there is no
# display. --drive maps a folder as a drive letter for this run only; --dpi
# sets the prefix's display DPI (96 is 100 % scale) from this run on.
# --stop ends the prefix's wineserver and that Xvfb.
set -euo pipefail

prefix=
wine=wine
drive=
dpi=
stop=
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --wine) wine=$2; shift 2 ;;
    --drive) drive=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    --stop) stop=1; shift ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "wine-run.sh: --prefix is required" >&2; exit 2; }

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${QOVA_EXTRA_DLLOVERRIDES:+;$QOVA_EXTRA_DLLOVERRIDES}"
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
case "$wine" in
  *wine64) export WINEARCH=win64; server=${WINESERVER:-/usr/lib/wine/wineserver64} ;;
  *) export WINEARCH=win32; server=${WINESERVER:-wineserver} ;;
esac
[ -x "$server" ] || server=wineserver

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9

if [ -n "$stop" ]; then
  # Both gone before this returns: a server still ending would take the
  # next run's first programs, with a display that is no more.
  "$server" -k >/dev/null 2>&1 || true
  "$server" -w >/dev/null 2>&1 || true
  if [ -f "$prefix.xvfb" ]; then
    pid=$(cat "$prefix.xvfb")
    # Only our Xvfb: the number may belong to another process by now.
    if [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' < "/proc/$pid/cmdline" | grep -q "^Xvfb $(cat "$prefix.display" 2>/dev/null) "; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
  fi
  rm -f "$prefix.xvfb" "$prefix.display"
  exit 0
fi

if [ -z "${DISPLAY:-}" ]; then
  if [ -f "$prefix.display" ] && xdpyinfo -display "$(cat "$prefix.display")" >/dev/null 2>&1; then
    :
  else
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
    echo $! > "$prefix.xvfb"
    for _ in $(seq 1 50); do xdpyinfo -display ":$n" >/dev/null 2>&1 && break; sleep 0.1; done
    echo ":$n" > "$prefix.display"
  fi
  export DISPLAY=$(cat "$prefix.display")
fi

if [ ! -f "$prefix/.qova-ready" ]; then
  rm -rf "$prefix"
  "$wine" wineboot -i >/dev/null 2>&1 || true
  "$server" -w
  for user in "$prefix"/drive_c/users/*/; do
    for name in Desktop Documents Downloads Music Pictures Videos Templates; do
      if [ -L "$user$name" ]; then rm -f "$user$name"; mkdir -p "$user$name"; fi
    done
  done
  touch "$prefix/.qova-ready"
fi
# Debian's Wine looks for its own fonts (MS Sans Serif, Marlett, Tahoma)
# in the Windows Fonts folder and in /usr/share/fonts, but fonts-wine puts
# them in /usr/share/wine/fonts, where neither Wine nor fontconfig looks:
# without a copy in the prefix every face falls back to DejaVu Sans.
fonts=${QOVA_WINE_FONTS:-/usr/share/wine/fonts}
if [ ! -f "$prefix/.qova-fonts" ]; then
  if [ -f "$fonts/marlett.ttf" ]; then
    cp -p "$fonts"/*.ttf "$fonts"/*.fon "$prefix/drive_c/windows/Fonts/"
    touch "$prefix/.qova-fonts"
  else
    echo "wine-run.sh: no Wine fonts in $fonts (Debian package fonts-wine): the windows are drawn in other fonts" >&2
  fi
fi
# Without a window manager (Xvfb), hiding a window that Wine hands to the
# window manager waits 2 s for it to answer; the test program's windows
# stay Wine's own.
if [ ! -f "$prefix/.qova-unmanaged" ]; then
  "$wine" reg add 'HKCU\Software\Wine\AppDefaults\win_tests.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  touch "$prefix/.qova-unmanaged"
fi
if [ -n "$dpi" ]; then
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
fi
"$server" -p >/dev/null 2>&1 < /dev/null || true
# The drive's link is made after the prefix is ready, which may recreate it.
letter=
if [ -n "$drive" ]; then
  letter=$(printf '%s' "${drive%%=*}" | tr 'A-Z' 'a-z')
  ln -sfn "${drive#*=}" "$prefix/dosdevices/$letter"
fi
flock -u 9
exec 9>&-

# Wine's helper processes (services, rpcss) outlive the program and inherit
# its output: give them a file, not the caller's pipe, or the caller waits
# for them forever.
out=$(mktemp)
trap 'rm -f "$out"; [ -z "$letter" ] || rm -f "$prefix/dosdevices/$letter"' EXIT
set +e
"$wine" "$@" > "$out" 2>&1 < /dev/null
rc=$?
set -e
cat "$out"
exit $rc
