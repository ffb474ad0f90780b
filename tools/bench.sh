#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine; prints figures, checks nothing.
#
#   tools/bench.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh >/dev/null
if tools/can-run-32bit.sh; then preset=win32 wine=wine; else preset=win64 wine=/usr/lib/wine/wine64; fi
cmake --preset "$preset" -DQOVA_BUILD_TESTS=ON >/dev/null
cmake --build --preset "$preset" --target payload_bench >/dev/null
build=$PWD/build/$preset
echo "== $preset build under $(basename "$wine")"
tests/wine-run.sh --prefix "$build/wineprefix" --wine "$wine" "$build/bench/payload_bench.exe" "${1:-15}" \
  "Z:${build//\//\\}\\setup.exe"
if [ "$preset" != win32 ] && [ -f build/win32/setup.exe ]; then
  echo "== shipped 32-bit setup.exe: $(stat -c %s build/win32/setup.exe) bytes," \
    "compressed payload $(cat build/win32/packed/*.z | wc -c) bytes"
fi
