#!/usr/bin/env bash
# Installs every Debian 12 package that building and testing the project needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libssl-dev
  ntfs-3g mtools dosfstools fdisk partclone pigz gawk shellcheck
  libfdisk-dev libblkid-dev libparted-dev
  libhivex-dev libhivex-bin libwin-hivex-perl ntfs-3g-dev
  genisoimage wodim growisofs
  libgtk2.0-dev libxtst-dev xvfb xauth
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev libz-mingw-w64-dev
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix mingw-w64-i686-dev mingw-w64-common
  g++-mingw-w64-i686-win32
  wine wine32 wine64
)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
# wine32 (the 32-bit side of wine, which runs the shipped 32-bit modules in the
# Windows smoke test) is an i386 package.
added_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  added_i386=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ "$added_i386" -eq 1 ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The 32-bit launcher is built with i686-w64-mingw32-g++-win32 by name; the plain
# i686 compiler names stay with the posix thread model the other builds use.
for tool in gcc g++; do
  if [ -x /usr/bin/i686-w64-mingw32-$tool-posix ]; then
    $SUDO update-alternatives --set i686-w64-mingw32-$tool /usr/bin/i686-w64-mingw32-$tool-posix >/dev/null 2>&1 || true
  fi
done
