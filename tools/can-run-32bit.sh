#!/usr/bin/env bash
# Succeeds when this machine can run 32-bit Linux programs, which 32-bit Wine
# needs, and 32-bit Wine is installed. Some sandboxed kernels cannot, and a
# mirror may lack the i386 packages; the tests then use the 64-bit build.
[ -x /usr/lib/wine/wine ] && [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --help >/dev/null 2>&1
