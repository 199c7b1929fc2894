#!/usr/bin/env bash
# Writes the seed volumes of the NTFS reader's fuzz target into the folder given as
# the last argument: small real volumes made by mkntfs and ntfscp with the clock
# stopped (the same bytes on every run). Each is 1.5 to 2 MiB, mostly zeros.
source "$(dirname "$0")/../../../tests/fixtures/ntfs/ntfs-common.sh"
out=${!#}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# volume FILE KIB CLUSTER_BYTES
volume() {
    rm -f "$1"
    truncate -s "$2K" "$1"
    fixed_clock mkntfs -Q -F -q -c "$3" -s 512 -H 0 -S 0 -p 0 -L FUZZ "$1" >/dev/null 2>&1
}

# 512-byte clusters: enough root files that the root index has index blocks, a
# page file, and a hibernation file grown in turns with another file (fragments).
volume "$work/s512" 1536 512
many_root_files "$work/s512" 24 "$work"
pattern_file "$work/p" 4096 pagefile
put "$work/s512" "$work/p" pagefile.sys
grow_in_turns "$work/s512" hiberfil.sys FRAG.BIN 4 4096 1024 "$work"
cp "$work/s512" "$out/ntfs-512.vol"

# 4 KiB clusters: page and hibernation files in the root index record itself.
volume "$work/s4k" 1536 4096
pattern_file "$work/p" 8192 pagefile
put "$work/s4k" "$work/p" pagefile.sys
head -c 12288 /dev/zero >"$work/h"
put "$work/s4k" "$work/h" hiberfil.sys
cp "$work/s4k" "$out/ntfs-4k.vol"

# 64 KiB clusters, nothing but the metadata files.
volume "$work/s64k" 2048 65536
cp "$work/s64k" "$out/ntfs-64k.vol"
