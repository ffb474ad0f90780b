#!/usr/bin/env bash
# Runs one end-to-end scenario in a fresh Wine prefix of its own.
#
#   run-e2e.sh --wine LOADER --work DIR --name NAME [--dll-overrides LIST] [--dpi N] -- PROGRAM [ARGS...]
#
# A template prefix is booted once under DIR; each scenario gets a copy of
# it (a few seconds instead of a boot), set to run in Wine's virtual
# desktop so that the window frames are drawn and can be photographed.
# Screenshots (PNG) and figures land in DIR/NAME.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine=wine work= name= overrides= dpi=
while [ $# -gt 0 ]; do
  case "$1" in
    --wine) wine=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --name) name=$2; shift 2 ;;
    --dll-overrides) overrides=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "run-e2e.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -n "$work" ] && [ -n "$name" ] && [ $# -gt 0 ] || { echo "usage: see the head of $0" >&2; exit 2; }
case "$wine" in
  *wine64) server=/usr/lib/wine/wineserver64 ;;
  *) server=wineserver ;;
esac
[ -x "$server" ] || server=wineserver

mkdir -p "$work"
out=$work/$name
rm -rf "$out"
mkdir -p "$out"

# One private X server for the scenario when there is no display.
if [ -z "${DISPLAY:-}" ]; then
  n=110
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
  xvfb=$!
  for _ in $(seq 1 50); do xdpyinfo -display ":$n" >/dev/null 2>&1 && break; sleep 0.1; done
  export DISPLAY=:$n
fi

template=$work/template-prefix
prefix=$work/prefix-$name
cleanup() {
  WINEPREFIX=$prefix "$server" -k >/dev/null 2>&1 || true
  [ -z "${xvfb:-}" ] || kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

(
  flock 8
  if [ ! -f "$template/.qova-template" ]; then
    rm -rf "$template"
    "$here/../wine-run.sh" --prefix "$template" --wine "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
    "$here/../wine-run.sh" --prefix "$template" --wine "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null
    WINEPREFIX=$template "$server" -k >/dev/null 2>&1 || true
    WINEPREFIX=$template "$server" -w >/dev/null 2>&1 || true
    touch "$template/.qova-template"
  fi
) 8>"$work/template.lock"
rm -rf "$prefix"
cp -a "$template" "$prefix"

set +e
QOVA_E2E_OUT="Z:$(printf '%s' "$out" | tr / '\\')" QOVA_EXTRA_DLLOVERRIDES=$overrides \
  "$here/../wine-run.sh" --prefix "$prefix" --wine "$wine" ${dpi:+--dpi "$dpi"} "$@"
rc=$?
set -e

for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
[ ! -f "$out/figures.txt" ] || { echo "== figures (not checks)"; cat "$out/figures.txt"; }
exit $rc
