#!/usr/bin/env bash
# Seeds of the partition-table fuzz target: small sfdisk-made disks (primaries with
# small FAT volumes, an extended chain of logicals, GPT), each encoded as its size
# and the sectors that hold anything.
#
#   make-seeds.sh ENCODER CORPUS-FOLDER
set -euo pipefail
encode=$1
corpus=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1262304000
mkdir -p "$corpus"

# disk NAME MIB: a sparse disk laid out by the sfdisk script on standard input.
disk() {
    truncate -s "$2M" "$work/$1"
    sfdisk --quiet --no-reread --no-tell-kernel "$work/$1" >/dev/null
}
# fat DISK START SECTORS BITS: a FAT volume in the disk's partition at START (one-sector
# clusters for FAT16, so that a small volume has enough of them).
fat() {
    truncate -s $(($3 * 512)) "$work/volume"
    mkfs.fat --invariant -i 5EED0000 -F "$4" -s $(($4 == 16 ? 1 : 4)) "$work/volume" >/dev/null
    dd if="$work/volume" of="$work/$1" bs=512 seek="$2" conv=notrunc,sparse status=none
    rm -f "$work/volume"
}

disk primaries 16 <<'TABLE'
label: dos
label-id: 0x5eed0001
unit: sectors
start=2048, size=8192, type=6, bootable
start=10240, size=12288, type=c
start=22528, size=4096, type=83
TABLE
fat primaries 2048 8192 12
fat primaries 10240 12288 16

disk logicals 32 <<'TABLE'
label: dos
label-id: 0x5eed0002
unit: sectors
start=2048, size=4096, type=7
start=8192, size=53248, type=f
start=10240, size=8192, type=6
start=20480, size=4096, type=83
start=26624, size=16384, type=b
TABLE
fat logicals 10240 8192 12

disk gpt 8 <<'TABLE'
label: gpt
label-id: 5EED0003-0000-4000-8000-000000000001
unit: sectors
first-lba: 34
start=2048, size=4096, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7, uuid=5EED0003-0000-4000-8000-000000000002
start=6144, size=8192, type=0FC63DAF-8483-4772-8E79-3D69D8477DE4, uuid=5EED0003-0000-4000-8000-000000000003
TABLE
fat gpt 2048 4096 12

for name in primaries logicals gpt; do
    "$encode" "$work/$name" "$corpus/$name"
done
