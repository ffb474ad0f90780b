#!/usr/bin/env bash
# Runs a command with a small RAM disk mounted, for the tests of a drive
# that is too small for the payload; unmounts it afterwards.
#
#   small-drive.sh DIR SIZE -- COMMAND [ARGS...]
#
# Mounting a tmpfs needs root (as in CI). Where it cannot be mounted, the
# test is skipped: exit code 77, which ctest reports as skipped.
set -euo pipefail
dir=$1 size=$2
[ "${3:-}" = "--" ] || { echo "usage: see the head of $0" >&2; exit 2; }
shift 3

mkdir -p "$dir"
if mountpoint -q "$dir"; then umount "$dir"; fi
# Mode 755: tmpfs gives its root 1777, which Wine shows as a drive root
# where everyone may delete what is in it, and an installation refuses.
if ! mount -t tmpfs -o "size=$size,mode=0755" tmpfs "$dir" 2>/dev/null; then
  echo "small-drive.sh: cannot mount a $size tmpfs at $dir (needs root): the small-drive test is skipped"
  exit 77
fi
trap 'umount "$dir" || umount -l "$dir"' EXIT
set +e
"$@"
rc=$?
set -e
exit $rc
