#!/usr/bin/env bash
# Seeds of the FAT reader's fuzz target: small FAT12, FAT16 and FAT32 volumes with
# page and hibernation files, folders and long names, each encoded without its
# stretches of zero sectors (the target reads them as zeros).
#
#   make-seeds.sh ENCODER CORPUS-FOLDER
encode=$1
corpus=$2
source "$(dirname "$0")/../../../tests/fixtures/fat/fat-fill.sh"
mkdir -p "$corpus"

# volume NAME SECTORS MKFS-OPTIONS...: a filled volume, encoded into the corpus.
volume() {
    local name=$1 sectors=$2
    shift 2
    local vol="$FIXTURE_WORK/$name"
    truncate -s $((sectors * 512)) "$vol"
    mkfs.fat --invariant -i 5EED5EED -n "${name^^}" "$@" "$vol" >/dev/null
    fill_common "$vol"
    "$encode" "$vol" "$corpus/$name"
}

# FAT12 on a floppy's shape; FAT16 just above its smallest cluster count; FAT32 with
# one-sector clusters and one FAT, the smallest that holds its cluster count.
volume fat12 2880 -F 12 -s 1 -f 2 -r 224
volume fat16 8300 -F 16 -s 1 -f 2 -r 512
volume fat32 67000 -F 32 -s 1 -f 1 -R 8
