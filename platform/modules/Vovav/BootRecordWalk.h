// The partition starts of a disk's DOS table in boot-list order: the primaries in
// table order, then the logicals along the extended chain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads sector n of the disk file into a 512-byte buffer; false on failure.
bool ReadDiskSector(int fd, uint64_t sector, unsigned char* out);
// False when the master boot record cannot be read or carries no 0x55AA.
bool WalkBootRecords(int fd, std::vector<uint64_t>& starts);
// Opens disk n of the disk map read-only; -1 when there is none.
int OpenMappedDisk(unsigned long disk);
