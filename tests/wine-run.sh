#!/usr/bin/env bash
# Runs one Windows program under Wine for the tests.
#
#   wine-run.sh --prefix DIR --wine LOADER [--drive L:=UNIXDIR] PROGRAM [ARGS...]
#
# The prefix is made once per build folder (Desktop and Documents become
# plain folders inside it, so nothing is written outside the prefix), the
# wineserver stays up between runs, the locale is fixed, and a private Xvfb
# is started when there is no display. --drive maps a folder as a drive
# letter for this run only.
set -euo pipefail

prefix=
wine=wine
drive=
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --wine) wine=$2; shift 2 ;;
    --drive) drive=$2; shift 2 ;;
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

if [ -z "${DISPLAY:-}" ]; then
  if [ -f "$prefix.display" ] && xdpyinfo -display "$(cat "$prefix.display")" >/dev/null 2>&1; then
    :
  else
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
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
# Without a window manager (Xvfb), hiding a window that Wine hands to the
# window manager waits 2 s for it to answer; the test program's windows
# stay Wine's own.
if [ ! -f "$prefix/.qova-unmanaged" ]; then
  "$wine" reg add 'HKCU\Software\Wine\AppDefaults\win_tests.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  touch "$prefix/.qova-unmanaged"
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
