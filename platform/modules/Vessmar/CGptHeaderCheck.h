// Looks at a disk's GPT headers before libfdisk does. libfdisk sizes its buffer for a
// header's entry array from the header's own figures, so a forged header with a
// valid checksum could make it ask for hundreds of gigabytes, or read gigabytes of
// the disk on every scan.
#pragma once

#include <cstdint>
#include <string>

class CGptHeaderCheck {
public:
    // Entry arrays of real disks hold 128 entries of 128 bytes; 4 MiB leaves room for
    // any layout a partitioning tool makes.
    static constexpr uint64_t kMaxEntryArrayBytes = 4u << 20;

    // False when the header in sector 1 or in the last sector of the disk has a valid
    // checksum and an entry array that no real disk has: entries shorter than 128
    // bytes or not a multiple of 128, or an array over kMaxEntryArrayBytes.
    static bool EntryArraysAreSane(const std::string& path);

    // The same test of one 512-byte sector (true for anything but a valid GPT header).
    static bool HeaderIsSane(const unsigned char* sector);
};
