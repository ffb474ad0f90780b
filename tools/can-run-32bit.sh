#!/usr/bin/env bash
# Succeeds when this machine can run 32-bit Linux programs, which 32-bit Wine
# needs. Some sandboxed kernels cannot; the tests then use the 64-bit build.
[ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --help >/dev/null 2>&1
