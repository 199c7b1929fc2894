#!/usr/bin/env bash
# Cross-compiles the Windows modules (the image container, the file-system readers,
# disk enumeration, the raw-disk, boot-configuration, log and snapshot modules, the
# command object and its executor, the mount engine with its 64-bit installer
# x64/Inst.exe, the disc burner, the drive tool and Pip.exe) with
# mingw-w64 against the real Windows headers, then checks what the DLLs export and
# import: each exports its factory (or its calls) and nothing else, and each imports
# only from system DLLs, zlib and the modules it is linked with, so no POSIX call or
# compiler run-time DLL slipped in.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${WINDOWS_BUILD_DIR:-build-windows}
objdump=x86_64-w64-mingw32-objdump

export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DRVD_WERROR=ON -DRVD_SANITIZE=OFF "${launcher[@]}"
cmake --build "$build" -j "$(nproc)"

# DLL name and the names it exports, in name order.
declare -A exports=(
  [Cofran.dll]=KSCreateObjectImg
  [Fenlow.dll]=KSCreateObjectFsFat
  [Censa.dll]=CreateCensaObj
  [Rawdex.dll]=KSCreateObjectDevIO
  [Vovav.dll]="Bcd_GetDiskSignature Bcd_Init Bcd_IsBcdPartition Bcd_IsUsingBcdFile Bcd_IsVistaBoot Bcd_LockBcdFile Bcd_UnlockBcdFile BootIni_GetArcInfo BootIni_IsUpdated BootIni_SetOptPart BootIni_UpdateFile"
  [Log.dll]=_ZN10CLogWriter3LogEPKcz
  [Quelm.dll]=KSCreateObjectQuelm
  [Ferrow.dll]=KSCreateObjectFsNt
  [Backup.dll]="KSCreateObjHotVolume KSCreateObjectBk"
  [Restore.dll]=KSCreateObjectRt
  [Palmet.dll]=KSCreateObjectMount
  [Relayon.dll]=LoadOperationName
  [Stretta.dll]=StrettaVolume
  [Mirrane.dll]=CopyNTFSVolume
  [Ordwell.dll]=CreateOrdwellObj
  [Tasque.dll]=CreateTasqueObj
  [Burner.dll]=CreateObjectPyrelle
  [Drevel.dll]=CreateObjectBurnerTool
  [Pyrelle.dll]=CreateObjectPyrelle
  [Pip.exe]=""
  [x64/Inst.exe]=""
)
# DLLs a module may import from (compared without regard to case).
allowed_imports="kernel32.dll msvcrt.dll ole32.dll advapi32.dll zlib1.dll"
# Our own modules a DLL is linked with, beyond those.
declare -A module_imports=(
  [Backup.dll]="cofran.dll censa.dll fenlow.dll ferrow.dll log.dll quelm.dll rawdex.dll vovav.dll burner.dll drevel.dll"
  [Burner.dll]="drevel.dll"
  [Pyrelle.dll]="drevel.dll"
  [Restore.dll]="backup.dll censa.dll cofran.dll fenlow.dll ferrow.dll log.dll mirrane.dll rawdex.dll relayon.dll stretta.dll vovav.dll"
  [Ordwell.dll]="cofran.dll backup.dll censa.dll"
  [Palmet.dll]="cofran.dll setupapi.dll newdev.dll"
  [x64/Inst.exe]="setupapi.dll newdev.dll"
  [Tasque.dll]="ordwell.dll censa.dll"
)

failed=0
for dll in "${!exports[@]}"; do
  file="$build/bin/$dll"
  if [ ! -f "$file" ]; then
    echo "cross-windows: $file was not built" >&2
    failed=1
    continue
  fi
  dump=$("$objdump" -p "$file")

  # The export name table: lines "[   0] Name" after "[Ordinal/Name Pointer] Table".
  names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] \(.*\)$/\1/p')
  wanted=$(tr ' ' '\n' <<<"${exports[$dll]}")
  if [ "$names" != "$wanted" ]; then
    echo "cross-windows: $dll should export only ${exports[$dll]}; it exports:" >&2
    echo "${names:-(nothing)}" >&2
    failed=1
  fi

  while read -r imported; do
    lower=${imported,,}
    if [[ " $allowed_imports ${module_imports[$dll]:-} " != *" $lower "* ]]; then
      echo "cross-windows: $dll imports from $imported" >&2
      failed=1
    fi
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
done

# The bus driver as native kernel images for both architectures, the image
# container and zlib inside: subsystem native, imports from the kernel, the HAL and
# the WMI library only.
for arch in x86_64 i686; do
  sys_out="$build/driver-$arch"
  if ! bash driver/windows/build-sys.sh "$arch" "$sys_out"; then
    echo "cross-windows: ZeDisk.sys ($arch) was not built" >&2
    failed=1
    continue
  fi
  dump=$("$objdump" -p "$sys_out/ZeDisk.sys")
  if ! grep -q "^Subsystem[[:space:]]*00000001" <<<"$dump"; then
    echo "cross-windows: ZeDisk.sys ($arch) is not a native image" >&2
    failed=1
  fi
  while read -r imported; do
    case ${imported,,} in
      ntoskrnl.exe | hal.dll | wmilib.sys) ;;
      *)
        echo "cross-windows: ZeDisk.sys ($arch) imports from $imported" >&2
        failed=1
        ;;
    esac
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
  # The image container is in the image: it reads sets through the kernel's file calls.
  if ! grep -q "ZwReadFile" <<<"$dump"; then
    echo "cross-windows: ZeDisk.sys ($arch) cannot read images (no ZwReadFile)" >&2
    failed=1
  fi
done

# The launcher: a 32-bit image for the Windows GUI subsystem (no console) that
# imports from the system's DLLs and the C run-time only.
loader_out="$build/launcher"
if ! bash launcher/windows/build-loader.sh "$loader_out"; then
  echo "cross-windows: Loader.exe was not built" >&2
  failed=1
else
  dump=$("$objdump" -p "$loader_out/Loader.exe")
  if ! grep -q "file format pei-i386" <<<"$dump"; then
    echo "cross-windows: Loader.exe is not an i386 image" >&2
    failed=1
  fi
  if ! grep -q "^Subsystem[[:space:]]*00000002" <<<"$dump"; then
    echo "cross-windows: Loader.exe is not a Windows GUI program" >&2
    failed=1
  fi
  while read -r imported; do
    case ${imported,,} in
      kernel32.dll | user32.dll | advapi32.dll | setupapi.dll | msvcrt.dll) ;;
      *)
        echo "cross-windows: Loader.exe imports from $imported" >&2
        failed=1
        ;;
    esac
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
fi

if [ "$failed" -ne 0 ]; then
  exit 1
fi
echo "cross-windows: ${!exports[*]} ZeDisk.sys (x86_64, i686) and Loader.exe (i686) built; exports and imports as expected"
