#!/usr/bin/env bash
# Builds the native driver image ZeDisk.sys for one architecture with mingw-w64,
# against Debian's kernel headers (mingw-w64-common) and import libraries:
#   build-sys.sh x86_64|i686 OUTPUT_FOLDER
# The core and the image container's kernel form are compiled as freestanding C++
# (no exceptions, RTTI or C++ library), the glue as C, and all linked with zlib
# (libz-mingw-w64-dev, static) as a native-subsystem image with DriverEntry as its
# entry, importing from ntoskrnl.exe, HAL.dll and WMILIB.SYS only.
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
# The image container in its kernel form: the container's own reading sources
# (driver/container/sources.txt) over the core's kernel services, the container's
# Win32 names given by driver/container/include/windows.h, and the core's door to it.
root=$(cd "$driver/.." && pwd)
kernel_form_flags=("${cxxflags[@]}" -DRVD_CRC64_TABLE_ONLY -I"$driver/container/include" -I"$root/container"
                   -I"$root/container/crypto" -I"$root/container/win32/include" -I"/usr/$triple/include")
while IFS= read -r source; do
  [ -n "$source" ] || continue
  name=kf_$(basename "${source%.cpp}")
  "$triple-g++" "${kernel_form_flags[@]}" -c "$root/$source" -o "$work/$name.o"
  objects+=("$work/$name.o")
done < "$driver/container/sources.txt"
"$triple-g++" "${kernel_form_flags[@]}" -c "$driver/core/ContainerImage.cpp" -o "$work/ContainerImage.o"
objects+=("$work/ContainerImage.o")
"$triple-gcc" "${cflags[@]}" -c "$here/ZlibDefaultAllocator.c" -o "$work/ZlibDefaultAllocator.o"
objects+=("$work/ZlibDefaultAllocator.o")
for name in ZeDiskEntry ZeDiskPortWindows ZeDiskWmi; do
  "$triple-gcc" "${cflags[@]}" -c "$here/$name.c" -o "$work/$name.o"
  objects+=("$work/$name.o")
done
# The core's numbers against the kernel's headers (compile time only).
"$triple-gcc" "${cflags[@]}" -c "$here/ZeDiskCodeCheck.c" -o "$work/ZeDiskCodeCheck.o"

"$triple-gcc" -shared -nostdlib -nostartfiles -Wl,--subsystem,native -Wl,--entry,"$entry" \
  -Wl,--image-base,0x10000 -Wl,--file-alignment,0x200 -Wl,--section-alignment,0x1000 \
  -Wl,--dynamicbase -Wl,--nxcompat -Wl,--gc-sections -Wl,--exclude-all-symbols \
  -o "$out/ZeDisk.sys" "${objects[@]}" "/usr/$triple/lib/libz.a" -lntoskrnl -lhal -lwmilib -lgcc
