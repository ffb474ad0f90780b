#!/usr/bin/env bash
# Checks that the layers only point down:
#   setup -> install -> shell -> engine -> platform -> runtime
# No file includes a header of a higher layer, however the include is
# written (from the project's root, or relative to the file with "../"), no
# two files include each other in a loop, and nothing in engine/ reaches a
# header beyond the C++ library and zlib, directly or through what it
# includes. (The build enforces the rest: each layer is a library that links
# only the ones below it, and the host build compiles every engine source
# without Windows headers.)
#
#   tools/check-layers.sh [DIR]     checks DIR (default: this checkout)
#   tools/check-layers.sh --self-test
#                                   plants each kind of violation in a scratch
#                                   copy and makes sure each is refused
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" = --self-test ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  mkdir "$scratch/clean"
  (cd "$here/.." && git ls-files runtime platform engine shell install setup | tar -cf - -T -) | tar -xf - -C "$scratch/clean"
  "$here/check-layers.sh" "$scratch/clean" >/dev/null || { echo "check-layers self-test: the clean copy fails" >&2; exit 1; }
  plant() { # what, the refusal it must give, file, line
    rm -rf "$scratch/planted"
    cp -r "$scratch/clean" "$scratch/planted"
    printf '%s\n' "$4" >> "$scratch/planted/$3"
    if "$here/check-layers.sh" "$scratch/planted" >/dev/null 2>"$scratch/refusal" ||
      ! grep -q "$2" "$scratch/refusal"; then
      echo "check-layers self-test: $1 is not refused" >&2
      exit 1
    fi
  }
  plant "an upward include from the root" "higher layer" shell/language.cpp '#include "install/install_files.h"'
  plant "an upward include written with ../" "higher layer" engine/install_log.cpp '#include "../shell/shortcuts.h"'
  plant "an upward include relative to the file" "higher layer" install/setup_state.cpp '#include "../setup/window.h"'
  plant "a Windows header in the engine" "reaches <shobjidl.h>" engine/zstream.cpp '#include <shobjidl.h>'
  plant "a Windows header reached from the engine" "reaches <objidl.h>" platform/stream.h '#include <objidl.h>'
  plant "an include loop" "include loop" setup/window.h '#include "setup/setup_form.h"'
  echo "check-layers self-test: each planted violation is refused"
  exit 0
fi

root=$(cd "${1:-$here/..}" && pwd)
cd "$root"

declare -A rank=([runtime]=-1 [platform]=0 [engine]=1 [shell]=2 [install]=3 [setup]=4)
# What engine code may reach: the C++ library's headers and zlib.
allowed_system='^<(zlib\.h|[a-z_]+)>$'
failed=0
fail() { echo "check-layers: $*" >&2; failed=1; }

mapfile -t files < <(find runtime platform engine shell install setup -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

# The file a quoted include names, as the compiler finds it: beside the
# including file first, then from the project's root. Empty when neither.
resolve() {
  local from=$1 included=$2 path
  for path in "$(dirname "$from")/$included" "$included"; do
    if [ -f "$path" ]; then
      realpath -m --relative-to="$root" "$path"
      return
    fi
  done
}

declare -A includes # file -> its project includes, space-separated
for file in "${files[@]}"; do
  layer=${file%%/*}
  list=
  while read -r included; do
    [ -n "$included" ] || continue
    target=$(resolve "$file" "$included")
    [ -n "$target" ] || continue
    target_layer=${target%%/*}
    if [ -n "${rank[$target_layer]:-}" ] && [ "${rank[$target_layer]}" -gt "${rank[$layer]}" ]; then
      fail "$file includes $included ($target) of a higher layer"
    fi
    list+=" $target"
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

# What an engine file reaches through its includes: no system header but
# the C++ library's and zlib's.
for file in $(printf '%s\n' "${files[@]}" | grep '^engine/'); do
  declare -A seen=()
  queue=("$file")
  while [ ${#queue[@]} -gt 0 ]; do
    current=${queue[0]}
    queue=("${queue[@]:1}")
    [ -z "${seen[$current]:-}" ] || continue
    seen[$current]=1
    while read -r header; do
      [[ $header =~ $allowed_system ]] || fail "$file reaches $header through $current"
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*\(<[^>]*>\).*/\1/p' "$current")
    for next in ${includes[$current]:-}; do queue+=("$next"); done
  done
  unset seen
done

[ "$failed" = 0 ] || exit 1
echo "layers: ${#files[@]} files, every include points down, no loops, the engine reaches only the C++ library and zlib"
