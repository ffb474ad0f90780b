#!/usr/bin/env bash
# Builds everything and runs every test. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
# Build folders configured with the posix thread model's compilers start afresh.
fresh() { if grep -qs 'mingw32-g++-posix' "$1/CMakeCache.txt"; then echo --fresh; fi; }
tools/install-deps.sh
tools/check-layers.sh
tools/check-layers.sh --self-test

echo "== setup.exe for 32-bit Windows"
cmake --preset win32 $(fresh build/win32) >/dev/null
cmake --build --preset win32
tools/check-setup-exe.sh build/win32/setup.exe
tools/check-reproducible.sh

# Tests run under Wine. 32-bit Wine needs a kernel that runs 32-bit programs;
# where it cannot, the same sources are built and tested for 64-bit Windows.
if tools/can-run-32bit.sh; then preset=win32 wine=wine; else preset=win64 wine=/usr/lib/wine/wine64; fi
# ctest ends the tests' wineserver and Xvfb itself; this covers a run cut short.
trap 'tests/wine-run.sh --prefix "$PWD/build/$preset/wineprefix" --wine "$wine" --stop' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
echo "== tests under Wine ($preset)"
cmake --preset "$preset" $(fresh "build/$preset") -DQOVA_BUILD_TESTS=ON >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"

echo "== portable code under the sanitizers"
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host
echo "== fuzzing the decompressing stream for ${QOVA_FUZZ_SECONDS:-60} s"
# Seeds: the shipped resources and the test resources (damaged ones, and
# some larger than the stream's 65,536-byte input buffer), whole.
corpus=build/host/fuzz-corpus seeds=build/host/fuzz-seeds
rm -rf "$seeds"
mkdir -p "$corpus" "$seeds"
cp build/win32/packed/*.z "build/$preset/tests/testdata/"*.z "$seeds/"
build/host/zstream_fuzz -max_total_time="${QOVA_FUZZ_SECONDS:-60}" -rss_limit_mb=2048 -print_final_stats=1 \
  "$corpus" "$seeds" 2>build/host/fuzz.log || { tail -50 build/host/fuzz.log; exit 1; }
grep -E "stat::number_of_executed_units|Done" build/host/fuzz.log | head -3
