#!/usr/bin/env bash
# Checks what ships: a PE32 i386 GUI program that needs no DLL beyond the
# system's, with its manifest, version resource and one payload resource a
# row of the product manifest, its resources on a page in the file.
# Its static imports are KnownDLLs, which the loader takes from the system
# folder whatever lies beside the program, and comctl32, which the manifest
# binds to the side-by-side store; anything else would be searched for in the
# folder the installer was started from, such as a downloads folder. COM and
# the shell are not among them: the window would wait for them at start.
#   check-setup-exe.sh PATH/setup.exe
set -euo pipefail
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "check-setup-exe: $*" >&2; exit 1; }
grep -q "file format pei-i386" <<<"$dump" || fail "not a PE32 i386 image"
grep -Eq "^Subsystem[[:space:]]+0*2[[:space:]]" <<<"$dump" || fail "not a GUI program"
known_dlls='advapi32|clbcatq|combase|comdlg32|coml2|gdi32|gdiplus|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz'
known_dlls+='|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shcore|shell32|shlwapi|user32|wldap32|ws2_32'
allowed="^($known_dlls|comctl32)\\.dll\$"
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  grep -Eq "$allowed" <<<"$lower" || fail "imports a DLL that is neither a KnownDLL nor comctl32: $dll"
  # Loaded when a step first needs them, not before the window shows.
  grep -Eq '^(ole32|oleaut32|shell32|shlwapi)\.dll$' <<<"$lower" && fail "imports $dll, which only later steps need"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
# The resources, nearly all of the file, start on a page: Wine maps such a
# section from the file and reads any other into private memory.
rsrc_offset=$(i686-w64-mingw32-objdump -h "$exe" | awk '$2 == ".rsrc" {print $6}')
[ -n "$rsrc_offset" ] || fail "no .rsrc section"
[ $((16#$rsrc_offset % 4096)) -eq 0 ] || fail "the resources start at file offset 0x$rsrc_offset, not on a page"
list=$(wrestool -l "$exe")
binaries=$(grep -c "^--type='BINARY'" <<<"$list" || true)
# One a row of the manifest's payload and device tables.
rows=$(awk '/(PayloadTable|DeviceTable)\{\{/ {inside = 1; next} /^\}\};/ {inside = 0} inside && /^ *\{"/ {n++} END {print n + 0}' \
  "$(dirname "$0")/../engine/product_manifest.h")
[ "$rows" -gt 0 ] || fail "no payload rows found in the manifest"
[ "$binaries" -eq "$rows" ] || fail "$binaries resources of type BINARY, not the manifest's $rows"
grep -q "^--type=14 --name='MAINICON'" <<<"$list" || fail "no MAINICON"
grep -q "^--type=16 --name=1 " <<<"$list" || fail "no version resource"
manifest=$(wrestool -x --raw --type=24 --name=1 "$exe")
grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest" || fail "manifest without common controls 6.0"
grep -q 'requestedExecutionLevel level="requireAdministrator"' <<<"$manifest" || fail "manifest does not ask for administrator rights"
grep -q '<dpiAwareness[^>]*>PerMonitorV2' <<<"$manifest" || fail "manifest does not declare per-monitor DPI awareness"
echo "setup.exe: PE32 i386 GUI, $(stat -c %s "$exe") bytes, system DLLs only"
