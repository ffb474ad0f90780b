#!/usr/bin/env bash
# Checks that the layers only point down:
#   setup -> install -> shell -> engine -> platform
# No file includes a header of a higher layer, no two files include each
# other in a loop, and nothing in engine/ reaches a Windows header, directly
# or through what it includes. (The build enforces the rest: each layer is a
# library that links only the ones below it, and the host build compiles
# every engine source without Windows headers.)
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A rank=([platform]=0 [engine]=1 [shell]=2 [install]=3 [setup]=4)
windows_header='<(windows|win[a-z0-9]*|commctrl|objbase|ole2|oleauto|shlobj|shellapi|shlwapi|psapi|uxtheme|vsstyle|aclapi|accctrl|sddl|wincrypt|knownfolders)\.h>'
failed=0
fail() { echo "check-layers: $*" >&2; failed=1; }

mapfile -t files < <(git ls-files 'platform/*.h' 'platform/*.cpp' 'engine/*.h' 'engine/*.cpp' 'shell/*.h' \
  'shell/*.cpp' 'install/*.h' 'install/*.cpp' 'setup/*.h' 'setup/*.cpp')

declare -A includes # file -> its project includes, space-separated
for file in "${files[@]}"; do
  layer=${file%%/*}
  list=
  while read -r included; do
    [ -n "$included" ] || continue
    target=${included%%/*}
    if [ -n "${rank[$target]:-}" ] && [ "${rank[$target]}" -gt "${rank[$layer]}" ]; then
      fail "$file includes $included of a higher layer"
    fi
    [ -f "$included" ] && list+=" $included"
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
  includes[$file]=$list
done

# Include loops: a depth-first walk that meets a file still on its path.
declare -A state # 1 on the path, 2 done
walk() {
  local file=$1 next
  state[$file]=1
  for next in ${includes[$file]:-}; do
    if [ "${state[$next]:-0}" = 1 ]; then
      fail "include loop through $file and $next"
    elif [ "${state[$next]:-0}" = 0 ]; then
      walk "$next"
    fi
  done
  state[$file]=2
}
for file in "${files[@]}"; do
  [ "${state[$file]:-0}" = 0 ] && walk "$file"
done

# What an engine file reaches through its includes must be Windows-free.
for file in $(printf '%s\n' "${files[@]}" | grep '^engine/'); do
  declare -A seen=()
  queue=("$file")
  while [ ${#queue[@]} -gt 0 ]; do
    current=${queue[0]}
    queue=("${queue[@]:1}")
    [ -z "${seen[$current]:-}" ] || continue
    seen[$current]=1
    if grep -Eq "^[[:space:]]*#[[:space:]]*include[[:space:]]*$windows_header" "$current"; then
      fail "$file reaches a Windows header through $current"
    fi
    for next in ${includes[$current]:-}; do queue+=("$next"); done
  done
  unset seen
done

[ "$failed" = 0 ] || exit 1
echo "layers: ${#files[@]} files, every include points down, no loops, the engine is Windows-free"
