#!/usr/bin/env bash
# Builds Loader.exe for 32-bit Windows (2000 and later) with mingw-w64: a GUI-subsystem
# program (no console), the C++ run-time linked in, so that it imports only from
# the system's DLLs. Usage: build-loader.sh <output folder>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${1:?output folder}
mkdir -p "$out"
# The win32 thread model: the posix one would bring its thread library along,
# whose calls Windows 2000 and XP do not have.
cxx=i686-w64-mingw32-g++-win32
compiler=("$cxx")
command -v ccache >/dev/null && compiler=(ccache "$cxx")
src=$root/launcher/src
"${compiler[@]}" -std=c++17 -O2 -Wall -Wextra -Werror -D_WIN32_WINNT=0x0500 -DWINVER=0x0500 \
  -I"$src" -I"$root/include" \
  "$src/RegistryValue.cpp" "$src/SystemChecks.cpp" "$src/DriverChecks.cpp" \
  "$src/IncompatibleSoftware.cpp" "$src/LoaderRun.cpp" "$src/LoaderMain.cpp" \
  -mwindows -static -static-libgcc -static-libstdc++ \
  -lsetupapi -ladvapi32 -luser32 -lkernel32 \
  -o "$out/Loader.exe"
