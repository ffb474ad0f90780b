#!/usr/bin/env bash
# Builds setup.exe and starts the wizard under Wine, in a prefix of its own
# (build/run-prefix), so nothing is installed into your own Wine setup.
# Without a display it runs on a private Xvfb, saves a screenshot of the
# wizard to build/screenshots/run.png after a few seconds and ends; with
# --keep-open it leaves the wizard running until it is closed or the script
# is stopped. Either way the prefix's wineserver and the Xvfb end with it.
#
#   tools/run.sh [--keep-open]
set -euo pipefail
cd "$(dirname "$0")/.."
# Build folders configured with the posix thread model's compilers start afresh.
fresh() { if grep -qs 'mingw32-g++-posix' "$1/CMakeCache.txt"; then echo --fresh; fi; }
keep_open=
case "${1:-}" in
  --keep-open) keep_open=1 ;;
  "") ;;
  *) echo "usage: tools/run.sh [--keep-open]" >&2; exit 2 ;;
esac
tools/install-deps.sh
if tools/can-run-32bit.sh; then preset=win32 wine=wine; else preset=win64 wine=/usr/lib/wine/wine64; fi
cmake --preset "$preset" $(fresh "build/$preset") -DQOVA_BUILD_TESTS=OFF >/dev/null
cmake --build --preset "$preset" --target setup
exe=build/$preset/setup.exe
prefix=$PWD/build/run-prefix
run() { tests/wine-run.sh --prefix "$prefix" --wine "$wine" "$@"; }
stop() { run --stop; }
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ -n "${DISPLAY:-}" ]; then
  run "$exe"
  exit
fi
mkdir -p build/screenshots
# A prefix left from an older Wine is brought up to date first, so that the
# screenshot shows the wizard and not Wine's "being updated" notice.
run wineboot -u >/dev/null
run explorer /desktop=setup,800x600 "$exe" &
wizard=$!
sleep "${QOVA_SCREENSHOT_DELAY:-6}"
import -window root -display "$(cat "$prefix.display")" build/screenshots/run.png
echo "screenshot: build/screenshots/run.png"
if [ -n "$keep_open" ]; then
  echo "the wizard keeps running on display $(cat "$prefix.display"); stop it with Ctrl-C"
  wait "$wizard" || true
fi
