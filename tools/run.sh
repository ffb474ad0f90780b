#!/usr/bin/env bash
# Builds setup.exe and starts the wizard under Wine, in a prefix of its own
# (build/run-prefix), so nothing is installed into your own Wine setup.
# Without a display it runs on a private Xvfb and saves a screenshot of the
# wizard to build/screenshots/run.png after a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
if tools/can-run-32bit.sh; then preset=win32 wine=wine; else preset=win64 wine=/usr/lib/wine/wine64; fi
cmake --preset "$preset" -DQOVA_BUILD_TESTS=OFF >/dev/null
cmake --build --preset "$preset" --target setup
exe=build/$preset/setup.exe
prefix=$PWD/build/run-prefix
if [ -n "${DISPLAY:-}" ]; then
  exec tests/wine-run.sh --prefix "$prefix" --wine "$wine" "$exe"
fi
mkdir -p build/screenshots
# A prefix left from an older Wine is brought up to date first, so that the
# screenshot shows the wizard and not Wine's "being updated" notice.
tests/wine-run.sh --prefix "$prefix" --wine "$wine" wineboot -u >/dev/null
tests/wine-run.sh --prefix "$prefix" --wine "$wine" explorer /desktop=setup,800x600 "$exe" &
pid=$!
sleep "${QOVA_SCREENSHOT_DELAY:-6}"
import -window root -display "$(cat "$prefix.display")" build/screenshots/run.png
echo "screenshot: build/screenshots/run.png (the wizard keeps running on display $(cat "$prefix.display"); stop it with: kill $pid)"
wait "$pid"
