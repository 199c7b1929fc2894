#!/usr/bin/env bash
# Cross-compiles what ships for Windows with mingw-w64 against the real Windows
# headers and assembles it in $build/ship as it ships: the 32-bit modules and
# programs side by side (the image container, the file-system readers, disk
# enumeration, the raw-disk, boot-configuration, log and snapshot modules, the
# backup, restore, checker and mount engines, the command channel, the disc burner,
# the drive tool, Pip.exe and the launcher Loader.exe), the 64-bit installer
# x64/Inst.exe below them, and the bus driver's package for each architecture in
# driver/x86 and driver/x64 (zedisk.inf beside ZeDisk.sys). Then it checks them:
#  - each DLL exports its factory (or its calls) and nothing else;
#  - every import of every image is a call the oldest supported Windows has
#    (scripts/windows/imports-*.txt) or comes from one of our own modules;
#  - each ZeDisk.sys is a native image importing from the kernel only, with a valid
#    checksum and no symbol table or debug sections;
#  - under wine, from a folder holding only what ships: every module loads and its
#    factory makes and releases an object, Pip.exe relays a tool's output and exit
#    code, and FAT and NTFS volumes go through image sets written by the Windows
#    build and read by the Linux build, and the other way round, byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${WINDOWS_BUILD_DIR:-build-windows}
build64=${WINDOWS_BUILD64_DIR:-$build-x64}
host=${WINDOWS_HOST_BUILD_DIR:-$build-host}
ship=$build/ship
objdump=x86_64-w64-mingw32-objdump
started=$SECONDS

export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The 32-bit modules and the smoke test's programs; the 64-bit installer.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DRVD_WERROR=ON -DRVD_SANITIZE=OFF "${launcher[@]}"
cmake --build "$build" -j "$(nproc)"
cmake -S . -B "$build64" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DRVD_WINDOWS_ARCH=x86_64 \
  -DCMAKE_BUILD_TYPE=Release -DRVD_WERROR=ON -DRVD_SANITIZE=OFF "${launcher[@]}"
cmake --build "$build64" -j "$(nproc)"

failed=0
fail() {
  echo "cross-windows: $*" >&2
  failed=1
}

# DLL or program and the names it exports, in name order.
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
  [Provane.dll]=KSCreateObjectCheck
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
  [Loader.exe]=""
  [x64/Inst.exe]=""
)
# DLLs a module or program may import from (compared without regard to case), and
# beyond those the DLLs of its own: our modules it is linked with, and the device
# installer's for the two that install the driver. Each call imported from a system
# DLL is then held against the oldest system's list.
allowed_imports="kernel32.dll msvcrt.dll ole32.dll advapi32.dll"
declare -A module_imports=(
  [Backup.dll]="cofran.dll censa.dll fenlow.dll ferrow.dll log.dll quelm.dll rawdex.dll vovav.dll burner.dll drevel.dll"
  [Burner.dll]="drevel.dll"
  [Pyrelle.dll]="drevel.dll"
  [Restore.dll]="backup.dll censa.dll cofran.dll fenlow.dll ferrow.dll log.dll mirrane.dll rawdex.dll relayon.dll stretta.dll vovav.dll"
  [Provane.dll]="cofran.dll fenlow.dll ferrow.dll"
  [Ordwell.dll]="cofran.dll backup.dll censa.dll"
  [Palmet.dll]="cofran.dll setupapi.dll newdev.dll"
  [x64/Inst.exe]="setupapi.dll newdev.dll"
  [Tasque.dll]="ordwell.dll censa.dll"
)

# ---- The ship folder: only what ships, nothing left from an earlier run.
rm -rf "$ship"
mkdir -p "$ship/x64" "$ship/driver"
for name in "${!exports[@]}"; do
  case $name in
    Loader.exe) ;;
    x64/Inst.exe) cp "$build64/bin/x64/Inst.exe" "$ship/x64/Inst.exe" 2>/dev/null || fail "$build64/bin/x64/Inst.exe was not built" ;;
    *) cp "$build/bin/$name" "$ship/$name" 2>/dev/null || fail "$build/bin/$name was not built" ;;
  esac
done
# The launcher: a 32-bit image for the Windows GUI subsystem (no console).
if bash launcher/windows/build-loader.sh "$build/launcher"; then
  cp "$build/launcher/Loader.exe" "$ship/Loader.exe"
else
  fail "Loader.exe was not built"
fi
# The bus driver as a native kernel image per architecture, packaged with its .inf.
declare -A driver_folders=([i686]=x86 [x86_64]=x64)
for arch in i686 x86_64; do
  if bash driver/windows/build-sys.sh "$arch" "$build/driver-$arch"; then
    bash driver/windows/package-driver.sh "$arch" "$build/driver-$arch/ZeDisk.sys" "$ship/driver/${driver_folders[$arch]}"
  else
    fail "ZeDisk.sys ($arch) was not built"
  fi
done
built_at=$SECONDS

# ---- Exports, architectures and imports of the modules and programs.
for name in "${!exports[@]}"; do
  file="$ship/$name"
  [ -f "$file" ] || continue
  dump=$("$objdump" -p "$file")
  case $name in
    x64/*) format=pei-x86-64 ;;
    *) format=pei-i386 ;;
  esac
  grep -q "file format $format" <<<"$dump" || fail "$name is not a $format image"

  # The export name table: lines "[   0] Name" after "[Ordinal/Name Pointer] Table".
  names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] \(.*\)$/\1/p')
  wanted=$(tr ' ' '\n' <<<"${exports[$name]}")
  if [ "$names" != "$wanted" ]; then
    fail "$name should export only ${exports[$name]}; it exports: ${names:-(nothing)}"
  fi

  # The launcher has a rule of its own, below.
  [ "$name" = Loader.exe ] && continue
  while read -r imported; do
    lower=${imported,,}
    if [[ " $allowed_imports ${module_imports[$name]:-} " != *" $lower "* ]]; then
      fail "$name imports from $imported"
    fi
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
done
# Every call imported from a system DLL must be one the oldest system has.
mapfile -t images32 < <(find "$ship" -maxdepth 1 -type f \( -iname '*.dll' -o -iname '*.exe' \) | sort)
bash scripts/windows/check-imports.sh scripts/windows/imports-win2000-x86.txt "$ship" "${images32[@]}" ||
  fail "a 32-bit image imports a call Windows 2000 SP4 lacks"
bash scripts/windows/check-imports.sh scripts/windows/imports-winxp-x64.txt "$ship/x64" "$ship/x64/Inst.exe" ||
  fail "x64/Inst.exe imports a call Windows XP x64 lacks"
# The launcher is a GUI program (no console window appears when it starts) that
# needs nothing but the system's DLLs and the C run-time.
if [ -f "$ship/Loader.exe" ]; then
  dump=$("$objdump" -p "$ship/Loader.exe")
  grep -q "^Subsystem[[:space:]]*00000002" <<<"$dump" || fail "Loader.exe is not a Windows GUI program"
  while read -r imported; do
    case ${imported,,} in
      kernel32.dll | user32.dll | advapi32.dll | setupapi.dll | msvcrt.dll) ;;
      *) fail "Loader.exe imports from $imported" ;;
    esac
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
fi

# ---- The driver packages.
for arch in i686 x86_64; do
  package="$ship/driver/${driver_folders[$arch]}"
  sys="$package/ZeDisk.sys"
  [ -f "$sys" ] || continue
  [ -f "$package/zedisk.inf" ] || fail "driver/${driver_folders[$arch]} has no zedisk.inf beside ZeDisk.sys"
  # Windows 2000 matches the device only through the undecorated models section.
  grep -qx '\[ZeDiskModels\]' "$package/zedisk.inf" || fail "zedisk.inf has no undecorated models section"
  dump=$("$objdump" -p "$sys")
  format=pei-i386
  [ "$arch" = x86_64 ] && format=pei-x86-64
  grep -q "file format $format" <<<"$dump" || fail "ZeDisk.sys ($arch) is not a $format image"
  grep -q "^Subsystem[[:space:]]*00000001" <<<"$dump" || fail "ZeDisk.sys ($arch) is not a native image"
  while read -r imported; do
    case ${imported,,} in
      ntoskrnl.exe | hal.dll | wmilib.sys) ;;
      *) fail "ZeDisk.sys ($arch) imports from $imported" ;;
    esac
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
  # The image container is in the image: it reads sets through the kernel's file calls.
  grep -q "ZwReadFile" <<<"$dump" || fail "ZeDisk.sys ($arch) cannot read images (no ZwReadFile)"
  grep -q "symbols stripped" <<<"$dump" || fail "ZeDisk.sys ($arch) carries a symbol table"
  if grep -q '\.debug' <<<"$("$objdump" -h "$sys")"; then
    fail "ZeDisk.sys ($arch) carries debug sections"
  fi
  python3 scripts/windows/pe-checksum.py "$sys" || fail "ZeDisk.sys ($arch) has a wrong checksum"
done
checked_at=$SECONDS

# ---- Under wine, from a copy of the ship folder with the test programs beside it.
if ! command -v wine >/dev/null; then
  fail "wine is not installed (scripts/install-deps.sh installs it): the modules were not loaded"
else
  # The Linux build of the round trip's program (the image container alone).
  cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRVD_BENCH=OFF \
    -DRVD_ONLY="include;platform/win32;platform/diskmap;container;tests/windows" "${launcher[@]}" >/dev/null
  cmake --build "$host" -j "$(nproc)" --target VolumeRoundTrip

  work=$(mktemp -d)
  export WINEPREFIX="$work/prefix" WINEDEBUG=-all
  # The prefix is made once for the run; wineserver goes with the folder at the end.
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
  prefix_from=$SECONDS
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
  prefix_made=$((SECONDS - prefix_from))
  wine_path() { echo "Z:${1//\//\\}"; }
  run="$work/run"
  cp -r "$ship" "$run"
  cp "$build/smoke/"*.exe "$run/"
  # Wine has DLLs a stock Windows lacks (zlib1.dll among them, which its own user32
  # needs): ModuleSmoke holds each module's imports against Windows 2000's DLLs too.
  (cd "$run" && wine ModuleSmoke.exe) || fail "a module does not load, or its factory fails, under wine"
  (cd "$run" && wine PipRelay.exe) || fail "Pip.exe does not relay its tool's output and exit code"
  # The 64-bit installer starts (wine64) and answers a command it does not know with
  # its bad-argument code (kind 0x009: 9 in the exit status's low byte).
  inst_status=0
  (cd "$run" && wine x64/Inst.exe /unknown) || inst_status=$?
  if [ "$inst_status" -eq 9 ]; then
    echo "cross-windows: x64/Inst.exe starts and refuses an unknown command"
  else
    fail "x64/Inst.exe does not start under wine (status $inst_status)"
  fi

  volumes="$work/volumes"
  mkdir -p "$volumes"
  bash tests/windows/make-volumes.sh "$volumes" 2>/dev/null || fail "the volume images were not made"
  linux_tool="$host/tests/VolumeRoundTrip"
  for kind in fat ntfs; do
    image="$volumes/$kind.img"
    # Written by the Windows build, read by the Linux build.
    if (cd "$run" && wine VolumeRoundTrip.exe write "$kind" "$(wine_path "$image")" \
          "$(wine_path "$volumes/windows-$kind.rvd")") &&
       "$linux_tool" read "$volumes/windows-$kind.rvd" "$volumes/$kind-linux.img" &&
       cmp "$image" "$volumes/$kind-linux.img"; then
      echo "cross-windows: the $kind volume written by the Windows build reads back byte for byte on Linux"
    else
      fail "the $kind volume written by the Windows build does not read back whole on Linux"
    fi
    # Written by the Linux build, read by the Windows build.
    if "$linux_tool" write "$kind" "$image" "$volumes/linux-$kind.rvd" &&
       (cd "$run" && wine VolumeRoundTrip.exe read "$(wine_path "$volumes/linux-$kind.rvd")" \
          "$(wine_path "$volumes/$kind-windows.img")") &&
       cmp "$image" "$volumes/$kind-windows.img"; then
      echo "cross-windows: the $kind volume written by the Linux build reads back byte for byte on Windows"
    else
      fail "the $kind volume written by the Linux build does not read back whole under wine"
    fi
  done
  echo "cross-windows: wine prefix made in ${prefix_made} s; wine part $((SECONDS - checked_at)) s"
fi

echo "cross-windows: built in $((built_at - started)) s, checked in $((checked_at - built_at)) s, all in $((SECONDS - started)) s"
if [ "$failed" -ne 0 ]; then
  exit 1
fi
echo "cross-windows: $ship holds ${!exports[*]} and the driver packages driver/x86 and driver/x64; exports, imports, driver images and the wine smoke test as expected"
