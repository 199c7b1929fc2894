// The plug-in record the mount engine hands the bus driver, and the numbers it
// carries: the disk's id and its size in whole cylinders.
#pragma once

#include "KSVolume.h"
#include "ZeDiskControl.h"

#include <cstdint>

// ((((S x 16 + P) x 16 + D) x 32 + K) x 32 + L) x 32 in 32 bits, from the volume's
// stored run-index size S, partition number P, drive index D and disk number K.
uint32_t MountDiskId(const _KS_VOLUME& volume, unsigned letter);
// The smallest k x 16065 - 63 that holds totalSectors.
uint64_t MountDiskSectors(uint64_t totalSectors);
// The 912 record bytes: size, disk id, the volume with the letter and the disk size
// written over it, the password (empty for null) and the image path, both UTF-16 and
// cut to their fields.
void FillPluginRecord(uint8_t (&record)[ZEDISK_PLUGIN_RECORD_SIZE], const _KS_VOLUME& volume, unsigned letter,
                      const wchar_t* password, const wchar_t* imagePath);
// The disk id a record read back from a volume carries.
uint32_t RecordDiskId(const uint8_t (&record)[ZEDISK_PLUGIN_RECORD_SIZE]);
