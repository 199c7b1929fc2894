#!/usr/bin/env bash
# Starts the recovery console on this machine for a look around: installs what the
# build needs, builds the console with its modules and pictures, makes two small
# demo disk images, and starts the console over them. The console sees only the
# demo images (through RVD_DISK_IMAGES), never the machine's own disks.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD_DIR:-build}

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

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)" --target RecoveryConsole Vessmar Common rvd_pictures BackupTool

demo="$root/$build/demo"
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
  bash tests/fixtures/demo/demo-set.sh "$root/$build/bin/BackupTool" "${images[0]}" "$set_file" >"$demo/sets.log" 2>&1 || {
    echo "could not back up the demo disk; see $demo/sets.log" >&2
    exit 1
  }
fi

export RVD_DISK_IMAGES
RVD_DISK_IMAGES=$(IFS=:; echo "${images[*]}")
# The console finds its pictures and message file as ../res/ from bin/.
cd "$build/bin"
exec ./RecoveryConsole "$@"
