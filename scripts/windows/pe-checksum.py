#!/usr/bin/env python3
"""Checks or sets the checksum in a PE image's optional header.

    pe-checksum.py IMAGE          exits 1 when the stored checksum is not the image's
    pe-checksum.py --fix IMAGE    stores the image's checksum

Windows checks the checksum of a kernel driver before it loads it; the linker
leaves the field 0, and stripping an image changes its bytes, so the packaging
step sets it last. The sum is the one the system's image loader computes: 16-bit
words added with end-around carry, the checksum field counted as 0, plus the
file's length."""
import struct
import sys


def checksum_offset(data):
    if data[:2] != b"MZ":
        raise ValueError("not an MZ image")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    # COFF header (20 bytes) after the signature; CheckSum at 64 in the optional header.
    return pe + 4 + 20 + 64


def image_checksum(data, field):
    counted = bytearray(data)
    counted[field:field + 4] = b"\0\0\0\0"
    if len(counted) % 2:
        counted.append(0)
    total = 0
    for (word,) in struct.iter_unpack("<H", counted):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def main(argv):
    fix = argv[1:2] == ["--fix"]
    paths = argv[2:] if fix else argv[1:]
    if len(paths) != 1:
        print("usage: pe-checksum.py [--fix] IMAGE", file=sys.stderr)
        return 2
    with open(paths[0], "rb") as f:
        data = f.read()
    field = checksum_offset(data)
    wanted = image_checksum(data, field)
    stored = struct.unpack_from("<I", data, field)[0]
    if fix:
        with open(paths[0], "r+b") as f:
            f.seek(field)
            f.write(struct.pack("<I", wanted))
        return 0
    if stored != wanted:
        print(f"{paths[0]}: checksum {stored:08x}, the image's is {wanted:08x}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
