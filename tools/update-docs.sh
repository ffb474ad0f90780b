#!/usr/bin/env bash
# Refreshes the pictures in docs/ from the end-to-end screenshots of the
# last test run (tools/test.sh): the six pages and the five dialogs.
# Metadata is stripped, so a picture changes only when the window does.
#
#   tools/update-docs.sh [E2E_DIR]     (default: build/win32/e2e, else build/win64/e2e)
set -euo pipefail
cd "$(dirname "$0")/.."
e2e=${1:-}
if [ -z "$e2e" ]; then
  for preset in win32 win64; do
    [ -d "build/$preset/e2e/install" ] && { e2e=build/$preset/e2e; break; }
  done
fi
[ -n "$e2e" ] && [ -d "$e2e" ] || { echo "update-docs: no end-to-end screenshots; run tools/test.sh first" >&2; exit 1; }

# screenshot of the end-to-end run -> picture in docs/
pictures=(
  install/1-welcome:welcome
  install/2-folder:folder
  install/3-shortcuts:shortcuts
  install/4-language:language
  install/5-ready:ready
  install/6-finish:finish
  install/2-folder-warning:folder-warning
  shared-folder/2-folder-open-warning:folder-open-warning
  shared-folder/2-folder-foreign-warning:folder-foreign-warning
  install/5-device-question:device-question
  exit/7-exit-question:exit-question
)
for entry in "${pictures[@]}"; do
  [ -f "$e2e/${entry%%:*}.png" ] || { echo "update-docs: $e2e/${entry%%:*}.png is missing" >&2; exit 1; }
done
mkdir -p docs
for entry in "${pictures[@]}"; do
  convert "$e2e/${entry%%:*}.png" -strip "docs/${entry##*:}.png"
done
echo "docs/: ${#pictures[@]} pictures from $e2e"
