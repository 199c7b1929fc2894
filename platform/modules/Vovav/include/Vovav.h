// Boot configuration (the outside module Vovav): the calls the backup reader makes
// and those the restore engine makes to point a restored system's boot.ini and BCD
// store at where it now lies.
#pragma once

#include <cstdint>

class IManager;

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

// Reads the boot.ini of the volume the 280-byte record names (its letter, else its
// volume path) and prepares its ARC paths that named the old place ("multi(0)disk(0)
// rdisk(N)partition(M)") to name the record's disk and the partition's number on it.
// mode 1: a partition restore, 0: a disk run. 0, or non-zero when no boot.ini was read.
unsigned long BootIni_SetOptPart(unsigned long mode, const unsigned char* record);
// True when the prepared boot.ini differs from the one on the volume.
bool BootIni_IsUpdated();
// Writes the prepared boot.ini back; 0 on success.
unsigned long BootIni_UpdateFile();

// The BCD store of Windows Vista and later. manager may be null.
unsigned long Bcd_Init(IManager* manager, const unsigned char* record);
bool Bcd_IsVistaBoot();
bool Bcd_IsUsingBcdFile();
bool Bcd_IsBcdPartition();
void Bcd_LockBcdFile();
void Bcd_UnlockBcdFile();
}
