#!/usr/bin/env bash
# Builds setup.exe again from a copy of the sources in another folder and
# compares it byte for byte with build/win32/setup.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
reference=build/win32/setup.exe
[ -f "$reference" ] || { echo "check-reproducible: build the win32 preset first" >&2; exit 1; }
work=$(mktemp -d /tmp/qova-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT
git ls-files -z | xargs -0 cp --parents -t "$work" 2>/dev/null || cp -r . "$work/"
rm -rf "$work/build"
cmake -S "$work" -B "$work/other-build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQOVA_BUILD_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$work/cmake/toolchain-i686-w64-mingw32.cmake" >/dev/null
cmake --build "$work/other-build" -j2 --target setup >/dev/null
if cmp -s "$reference" "$work/other-build/setup.exe"; then
  echo "reproducible: setup.exe from another folder is byte-identical ($(stat -c %s "$reference") bytes)"
else
  cmp "$reference" "$work/other-build/setup.exe" | head -3 >&2 || true
  echo "check-reproducible: setup.exe differs when built in another folder" >&2
  exit 1
fi
