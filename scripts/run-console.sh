#!/usr/bin/env bash
# Starts the recovery console on this machine for a look around: installs what the
# build needs, builds the console with every module it loads and its pictures, makes
# two small demo disk images and an image set of the first one, lays out a demo
# recovery environment, and starts the console over them. The console sees only the
# demo images (through RVD_DISK_IMAGES) and the demo environment (through
# RVD_ENV_ROOT), never the machine's own disks or /mnt.
#
#   run-console.sh [CONSOLE_ARGS...]      build, prepare and start the console
#   run-console.sh --prepare-only         build and prepare, list what was made, stop
#   run-console.sh --prepare-only --no-build
#                                         prepare over what BUILD_DIR already holds
#   run-console.sh --list-modules         the modules the console loads by name
#
# The demo environment (BUILD_DIR/demo/root) holds the recovery scripts in mnt/ and
# the demo set in mnt/P1/, where the wizards' file browser shows it as a mounted volume.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD_DIR:-build}

# Loaded by name at run time (nothing links them): without one, an operation fails
# halfway. The console's own tests check this list against the sources.
modules=(Vessmar Common Brasket Tillory)
targets=(RecoveryConsole Help rvd_pictures BackupTool "${modules[@]}")

mode=run
build_it=1
while [ $# -gt 0 ]; do
  case "$1" in
    --prepare-only) mode=prepare; shift ;;
    --no-build) build_it=0; shift ;;
    --list-modules) printf '%s\n' "${modules[@]}"; exit 0 ;;
    *) break ;;
  esac
done

if [ "$mode" = run ]; then
  # Without a display the console cannot show anything: say so before minutes of
  # installing and building. A DISPLAY that names a local server must have its socket.
  if [ -z "${DISPLAY:-}" ]; then
    echo "No display: run this from a graphical session (DISPLAY is not set)." >&2
    exit 1
  fi
  case "$DISPLAY" in
    :*)
      number=${DISPLAY#:}
      number=${number%%.*}
      if [ ! -S "/tmp/.X11-unix/X$number" ]; then
        echo "No X server answers on DISPLAY=$DISPLAY (no /tmp/.X11-unix/X$number): start one, or run this from a graphical session." >&2
        exit 1
      fi
      ;;
  esac
  bash scripts/install-deps.sh
fi

if [ "$build_it" = 1 ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
fi

case "$build" in
  /*) build_path=$build ;;
  *) build_path=$root/$build ;;
esac
bin="$build_path/bin"
for module in "${modules[@]}"; do
  if [ ! -f "$bin/$module.mo" ]; then
    echo "The module $module.mo is missing from $bin: build it (cmake --build $build --target $module)." >&2
    exit 1
  fi
done

demo="$build_path/demo"
mkdir -p "$demo"
images=()
for n in 0 1; do
  image="$demo/demo-disk-$n.img"
  if [ ! -f "$image" ]; then
    echo "Making demo disk $n"
    bash tests/fixtures/demo/demo-disk-$n.sh "$image.tmp" >"$image.log" 2>&1 || {
      echo "could not make $image; see $image.log" >&2
      exit 1
    }
    mv "$image.tmp" "$image"
    rm -f "$image.log"
  fi
  images+=("$image")
done

# An image set of the first demo disk, written by the backup engine.
set_file="$demo/sets/DEMO.RVD"
if [ ! -f "$set_file" ]; then
  echo "Backing up demo disk 0 into $set_file"
  mkdir -p "$demo/sets"
  bash tests/fixtures/demo/demo-set.sh "$bin/BackupTool" "${images[0]}" "$set_file" >"$demo/sets.log" 2>&1 || {
    echo "could not back up the demo disk; see $demo/sets.log" >&2
    exit 1
  }
fi

# The demo recovery environment: its scripts, and the set on a "mounted volume" at
# /mnt/P1. It lists no disk under sys/block, so the scripts mount nothing; the
# console's disks are the demo images.
env_root="$demo/root"
mkdir -p "$env_root/mnt/P1"
cp platform/recovery/mnt/* "$env_root/mnt/"
for file in "$demo/sets/"*; do
  ln -sfn "$file" "$env_root/mnt/P1/$(basename "$file")"
done

export RVD_DISK_IMAGES RVD_ENV_ROOT
RVD_DISK_IMAGES=$(IFS=:; echo "${images[*]}")
RVD_ENV_ROOT=$env_root

if [ "$mode" = prepare ]; then
  echo "RVD_DISK_IMAGES=$RVD_DISK_IMAGES"
  echo "RVD_ENV_ROOT=$RVD_ENV_ROOT"
  (cd "$env_root" && find . -mindepth 1 | sort)
  exit 0
fi

# The console finds its pictures and message file as ../res/ from bin/.
cd "$bin"
exec ./RecoveryConsole "$@"
