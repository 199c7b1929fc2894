#!/usr/bin/env bash
# Builds the native driver image ZeDisk.sys for one architecture with mingw-w64,
# against Debian's kernel headers (mingw-w64-common) and import libraries:
#   build-sys.sh x86_64|i686 OUTPUT_FOLDER
# The core is compiled as freestanding C++ (no exceptions, RTTI or C++ library),
# the glue as C, and both linked as a native-subsystem image with DriverEntry as
# its entry, importing from ntoskrnl.exe, HAL.dll and WMILIB.SYS only.
set -euo pipefail
arch=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
driver=$(cd "$here/.." && pwd)
triple=$arch-w64-mingw32
work="$out/obj-$arch"
mkdir -p "$work"

ddk=/usr/share/mingw-w64/include/ddk
common=(-O2 -Wall -Wextra -Werror -fno-stack-protector -fno-asynchronous-unwind-tables -ffunction-sections
        -I"$driver/port" -I"$driver/core" -I"$driver/../include")
if [ "$arch" = x86_64 ]; then
  common+=(-mno-red-zone)
  entry=DriverEntry
else
  entry=_DriverEntry@8
fi
cxxflags=(-std=c++17 -ffreestanding -fno-exceptions -fno-rtti -fno-threadsafe-statics "${common[@]}")
# The headers' inline readers of the processor block trip GCC's bounds warning.
cflags=(-std=gnu11 -I"$ddk" "${common[@]}" -Wno-array-bounds)

# The core: every decision of the driver, the same sources as the Linux build.
core_sources=(DriverEntry Dispatch BusPnp ChildPnp Power Wmi BusControl ChildControl ChildLifetime
              ScsiDispatch DiskWorker DiskIo BootRecord WriteOverlay LastError KernelFiles)
objects=()
for name in "${core_sources[@]}"; do
  "$triple-g++" "${cxxflags[@]}" -c "$driver/core/$name.cpp" -o "$work/$name.o"
  objects+=("$work/$name.o")
done
"$triple-g++" "${cxxflags[@]}" -c "$here/DiskImageUnavailable.cpp" -o "$work/DiskImageUnavailable.o"
objects+=("$work/DiskImageUnavailable.o")
for name in ZeDiskEntry ZeDiskPortWindows ZeDiskWmi; do
  "$triple-gcc" "${cflags[@]}" -c "$here/$name.c" -o "$work/$name.o"
  objects+=("$work/$name.o")
done
# The core's numbers against the kernel's headers (compile time only).
"$triple-gcc" "${cflags[@]}" -c "$here/ZeDiskCodeCheck.c" -o "$work/ZeDiskCodeCheck.o"

"$triple-gcc" -shared -nostdlib -nostartfiles -Wl,--subsystem,native -Wl,--entry,"$entry" \
  -Wl,--image-base,0x10000 -Wl,--file-alignment,0x200 -Wl,--section-alignment,0x1000 \
  -Wl,--dynamicbase -Wl,--nxcompat -Wl,--gc-sections -Wl,--exclude-all-symbols \
  -o "$out/ZeDisk.sys" "${objects[@]}" -lntoskrnl -lhal -lwmilib -lgcc
