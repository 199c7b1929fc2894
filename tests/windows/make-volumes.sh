#!/usr/bin/env bash
# Makes the volume images of the Windows smoke test's round trip in FOLDER, with the
# fixtures' own helpers: fat.img (16 MiB FAT16 holding the FAT fixtures' common
# tree) and ntfs.img (16 MiB NTFS, 4 KiB clusters, files in the root and one of 1 MB).
#   make-volumes.sh FOLDER
set -euo pipefail
out=$(cd "$1" && pwd)
fixtures=$(cd "$(dirname "$0")/../fixtures" && pwd)
(
  # shellcheck source=tests/fixtures/fat/fat-fill.sh
  source "$fixtures/fat/fat-fill.sh"
  truncate -s 16M "$out/fat.img"
  mkfs.fat -F 16 -s 4 --invariant -i 0C0FFEE5 -n ROUNDTRIP "$out/fat.img" >/dev/null
  fill_common "$out/fat.img"
  fsck.fat -n "$out/fat.img" >/dev/null
)
(
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # shellcheck source=tests/fixtures/ntfs/ntfs-common.sh
  source "$fixtures/ntfs/ntfs-common.sh"
  make_volume "$out/ntfs.img" 16 4096
  many_root_files "$out/ntfs.img" 40 "$work"
  pattern_file "$work/big" 1000000 big
  put "$out/ntfs.img" "$work/big" BIG.BIN
  ntfsfix -n "$out/ntfs.img" >/dev/null
)
