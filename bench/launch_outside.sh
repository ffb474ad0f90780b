#!/usr/bin/env bash
# Times each program's launch as a person sees it: from starting it under
# Wine until its window is mapped and viewable on the X display (xdotool,
# polled; no window manager), the programs in turns. Prints the median and
# range of each and, for the first against the others, the ratios.
#
#   launch_outside.sh --prefix DIR --wine LOADER --rounds N LABEL=EXE [LABEL=EXE...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix= wine=wine rounds=9
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --wine) wine=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] && [ $# -gt 0 ] || { echo "usage: see the head of $0" >&2; exit 2; }
command -v xdotool >/dev/null || { echo "launch_outside.sh: xdotool is missing" >&2; exit 2; }

labels=() exes=()
for pair in "$@"; do labels+=("${pair%%=*}"); exes+=("${pair#*=}"); done
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LANG=en_US.UTF-8
own_display=${DISPLAY:-}

# Starts program i and waits for its window; sets shown (empty when none
# came) and why.
shown= why=
log=$(mktemp)
trap 'rm -f "$log"' EXIT
launch() {
  local start pid deadline
  start=$(date +%s%N)
  "$wine" "${exes[$1]}" >/dev/null 2>"$log" &
  pid=$!
  shown= why="no window within 30 s"
  deadline=$((start + 30000000000))
  while [ "$(date +%s%N)" -lt "$deadline" ]; do
    if xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; then shown=$(date +%s%N); break; fi
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" 2>/dev/null && why="it ended without a window" || why="it ended with status $?"
      why+="$(grep -v fixme "$log" | tail -1 | sed 's/^/: /' || true)"
      break
    fi
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -z "$shown" ] || shown=$((shown - start))
}

# The prefix, its wineserver and its private X server, as the tests run
# them. A first start, not timed, must show its window: the first start of
# a prefix is slow, and in the bench every start has at times failed after
# a first that did, so the servers are started again, up to twice.
for attempt in 1 2 3; do
  if [ -n "$own_display" ]; then export DISPLAY=$own_display; else unset DISPLAY; fi
  "$here/../tests/wine-run.sh" --prefix "$prefix" --wine "$wine" cmd /c exit >/dev/null 2>&1 || true
  [ -n "${DISPLAY:-}" ] || DISPLAY=$(cat "$prefix.display" 2>/dev/null || true)
  [ -n "$DISPLAY" ] || { echo "launch_outside.sh: no X display" >&2; exit 2; }
  export DISPLAY
  launch 0
  [ -z "$shown" ] || break
  echo "(first start of ${labels[0]}, attempt $attempt: $why)"
  [ -n "$own_display" ] || "$here/../tests/wine-run.sh" --prefix "$prefix" --wine "$wine" --stop
done

declare -A times
for ((round = 0; round < rounds; round++)); do
  for i in "${!exes[@]}"; do
    launch "$i"
    if [ -n "$shown" ]; then
      times[$i]+="$((shown / 1000)) "
    else
      echo "(${labels[$i]}: round $((round + 1)): $why)"
    fi
  done
done

# median (min - max) in ms of a list of microseconds
stats() {
  tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort -n |
    awk '{v[NR] = $1} END {if (NR == 0) {print "- - -"; exit}
         m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
         printf "%.1f %.1f %.1f\n", m / 1000, v[1] / 1000, v[NR] / 1000}'
}
echo "launch to window mapped, timed from outside (xdotool under Xvfb, no window manager; $rounds rounds in turns):"
read -r first _ _ <<<"$(stats "${times[0]:-}")"
for i in "${!exes[@]}"; do
  read -r median low high <<<"$(stats "${times[$i]:-}")"
  line=$(printf '  %-14s %7s ms (%s - %s)' "${labels[$i]}" "$median" "$low" "$high")
  if [ "$i" -gt 0 ] && [ "$median" != "-" ] && [ "$first" != "-" ]; then
    line+=$(awk -v a="$first" -v b="$median" -v l="${labels[0]}" 'BEGIN {printf "   %s: %.2f x this", l, a / b}')
  fi
  echo "$line"
done
