#!/usr/bin/env bash
# Builds and runs the benchmarks; prints figures, checks nothing.
#
#   tools/bench.sh [rounds]
#
# First the installer against the peer installer users would otherwise pick
# (NSIS with its default zlib, built by makensis around the same payload
# from bench/peer.nsi) and against the floors, on the stand-in payload and
# on a generated payload of the vendor's shape (build/bench/vendor-payload,
# with setup.exe built around it in a build folder of its own); then the
# extraction figures of the stand-in build.
set -euo pipefail
cd "$(dirname "$0")/.."
# Build folders configured with the posix thread model's compilers start afresh.
fresh() { if grep -qs 'mingw32-g++-posix' "$1/CMakeCache.txt"; then echo --fresh; fi; }
tools/install-deps.sh >/dev/null
# The peer, and xdotool, which times the launch from outside, are the
# bench's alone: installed here, not for the tests.
need=()
command -v makensis >/dev/null || need+=(nsis)
command -v xdotool >/dev/null || need+=(xdotool)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends \
    "${need[@]}" >/dev/null
fi
rounds=${1:-7}
if tools/can-run-32bit.sh; then preset=win32 wine=wine; else preset=win64 wine=/usr/lib/wine/wine64; fi
bench=$PWD/build/bench
trap 'tests/wine-run.sh --prefix "$PWD/build/$preset/wineprefix" --wine "$wine" --stop
      tests/wine-run.sh --prefix "$bench/launch-prefix" --wine "$wine" --stop' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== building ($preset; the vendor-shaped payload's first packing takes about half a minute)"
cmake -S bench/host -B "$bench/host" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$bench/host" >/dev/null
"$bench/host/make_vendor_payload" "$bench/vendor-payload"
cmake --preset "$preset" $(fresh "build/$preset") -DQOVA_BUILD_TESTS=ON >/dev/null
cmake --build --preset "$preset" --target setup wizard_bench empty_window payload_bench >/dev/null
vendor_build=$bench/vendor-$preset
cmake --preset "$preset" -B "$vendor_build" $(fresh "$vendor_build") -DQOVA_BUILD_TESTS=ON -DQOVA_PAYLOAD_DIR="$bench/vendor-payload" >/dev/null
cmake --build "$vendor_build" -j2 --target setup wizard_bench empty_window >/dev/null

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
for payload in stand-in vendor-shaped; do
  if [ "$payload" = stand-in ]; then build=$PWD/build/$preset; else build=$vendor_build; fi
  payload_dir=$(sed -n 's/^QOVA_PAYLOAD_DIR:PATH=//p' "$build/CMakeCache.txt")
  [ -n "$payload_dir" ] || payload_dir=$build/payload
  "$bench/host/peer_files" "$payload_dir" "$build/peer-files.nsh"
  makensis -V1 -DFILES="$build/peer-files.nsh" -DOUTFILE="$build/peer.exe" bench/peer.nsi
  # The floor on the file system the Wine prefixes are on.
  "$bench/host/native_install" "$build/packed" "$bench/native-work" "$rounds" > "$build/bench-floor.txt"
  rm -rf "$bench/native-work"
  tests/e2e/run-e2e.sh --wine "$wine" --work "$bench/e2e" --name "$payload" -- \
    "$build/bench/wizard_bench.exe" "$rounds" "$(winpath "$build/setup.exe")" \
    "$(winpath "$build/bench/empty_window.exe")" "$(winpath "$build/bench-floor.txt")" "$payload" \
    "$(winpath "$build/peer.exe")" ||
    echo "(some rounds on the $payload payload failed)"
  rm -rf "$bench/e2e/prefix-$payload"
  # The same launch as a person sees it: until the window is on the screen.
  bench/launch_outside.sh --prefix "$bench/launch-prefix" --wine "$wine" --rounds "$rounds" \
    ours="$build/setup.exe" NSIS="$build/peer.exe" "empty window=$build/bench/empty_window.exe"
  echo "  (targets: ours <= 0.9 x NSIS's wizard, <= 1.5 x the empty window)"
done
echo "(medians of $rounds rounds on a shared machine: expect noise of a few per cent, more on the launch)"

build=$PWD/build/$preset
echo "== extraction figures, stand-in payload ($preset build under $(basename "$wine"))"
tests/wine-run.sh --prefix "$build/wineprefix" --wine "$wine" "$build/bench/payload_bench.exe" 15 \
  "$(winpath "$build/setup.exe")"
if [ "$preset" != win32 ] && [ -f build/win32/setup.exe ]; then
  echo "== shipped 32-bit setup.exe: $(stat -c %s build/win32/setup.exe) bytes," \
    "compressed payload $(cat build/win32/packed/*.z | wc -c) bytes"
fi
