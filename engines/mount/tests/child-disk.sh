#!/usr/bin/env bash
# child-disk.sh OUT FIXTURES: a 24 MiB disk image laid out as the bus's child disk
# is, one FAT16 partition at sector 63 (type 0x06) holding HELLO.TXT, made by sfdisk,
# mkfs.fat and mtools. FIXTURES is the folder of the fixture scripts.
set -e
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$2/ntfs/ntfs-common.sh"
source "$2/disk-common.sh"
new_dos_disk "$out" 24M <<TABLE
label: dos
label-id: 0x4348494c
unit: sectors

1 : start=63, size=48132, type=6
TABLE
fat_at "$out" 63 48132 16 C41D0001 CHILD
printf 'hello from the child disk\n' | MTOOLS_SKIP_CHECK=1 mcopy -i "$out@@32256" - ::/HELLO.TXT
