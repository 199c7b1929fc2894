// Boot configuration (the outside module Vovav): the two calls the backup reader makes.
#pragma once

#include <cstdint>

// Words of the ARC record that BootIni_GetArcInfo fills; callers hand it in as
// 3, -1, -1, -1, -1.
enum : unsigned {
    KS_ARC_CONTROLLER = 0, // multi(n): 0
    KS_ARC_DISK = 1,       // disk(n): 0, not stored by the backup reader
    KS_ARC_RDISK = 2,      // rdisk(n): the disk number
    KS_ARC_PARTITION = 3,  // partition(n): 1 for the first primary, logicals after the primaries
    KS_ARC_RESERVED = 4,   // 0
    KS_ARC_WORDS = 5,
};

extern "C" {
// The disk signature: bytes 440-443 of its master boot record; 0 when it cannot be read.
uint32_t Bcd_GetDiskSignature(unsigned long disk);
// Fills the record for the partition of the disk that begins at startSector. Returns
// 0, or non-zero (the record unchanged) when the disk cannot be read or no partition
// begins there.
unsigned long BootIni_GetArcInfo(unsigned long disk, unsigned long long startSector, unsigned long* record);
}
