#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12; safe to run again.
set -euo pipefail

need=()
command -v i686-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-i686-win32)
command -v x86_64-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-x86-64-win32)
[ -f /usr/i686-w64-mingw32/lib/libz.a ] || need+=(libz-mingw-w64-dev)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v clang++ >/dev/null || need+=(clang)
dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
[ -d /usr/src/googletest ] || need+=(googletest)
command -v zopfli >/dev/null || need+=(zopfli)
pkg-config --exists zlib 2>/dev/null || need+=(zlib1g-dev pkg-config)
# The packer records each resource's SHA-256 with OpenSSL's libcrypto.
[ -f /usr/include/openssl/evp.h ] || need+=(libssl-dev)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v import >/dev/null || need+=(imagemagick)
command -v wrestool >/dev/null || need+=(icoutils)
command -v xdpyinfo >/dev/null || need+=(x11-utils)
[ -x /usr/lib/wine/wine ] || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
# Fonts Wine recommends: its own (MS Sans Serif, Marlett), and Liberation
# Sans, which Wine draws for Arial, whose metrics it has.
[ -f /usr/share/wine/fonts/marlett.ttf ] || need+=(fonts-wine)
dpkg -s fonts-liberation >/dev/null 2>&1 || need+=(fonts-liberation)
command -v osslsigncode >/dev/null || need+=(osslsigncode)
command -v openssl >/dev/null || need+=(openssl)
command -v flock >/dev/null || need+=(util-linux)
command -v locale-gen >/dev/null || need+=(locales)

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi

export DEBIAN_FRONTEND=noninteractive
apt_install() { $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "$@"; }
# A mirror in the middle of a sync fails one index; try again, then go on
# with what the lists hold (an install fails if a package is missing).
update_lists() {
  local try
  for try in 1 2 3; do
    $SUDO apt-get -o DPkg::Lock::Timeout=600 update -q && return 0
    [ "$try" = 3 ] || sleep 10
  done
  echo "install-deps: apt-get update failed; going on with the package lists there are" >&2
}
wine32=
dpkg -s wine32:i386 >/dev/null 2>&1 || wine32=missing
if [ ${#need[@]} -gt 0 ] || [ -n "$wine32" ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  update_lists
fi
[ ${#need[@]} -eq 0 ] || apt_install "${need[@]}"
# 32-bit Wine on its own: where its packages cannot be had (a mirror that
# lacks an i386 index), the tests run the 64-bit build under wine64 instead.
if [ -n "$wine32" ]; then
  apt_install wine32:i386 || echo "install-deps: wine32 could not be installed; the 64-bit build runs under wine64" >&2
fi

# Wine takes its ANSI code page (1252) from the locale.
if ! locale -a 2>/dev/null | grep -qix 'en_US.utf8'; then
  $SUDO sed -i 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
