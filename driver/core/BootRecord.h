// The master boot record a child disk shows in its sector 0: the image's own boot
// code with one partition entry at sector 63 describing the volume.
#pragma once

#include "CoreBase.h"

namespace zedisk {

struct BootRecordInput {
    uint8_t fileSystem;      // the record's file-system kind
    uint8_t partitionType;   // the volume's own partition type id (kind 255)
    uint64_t volumeSectors;
    uint32_t diskId;
    uint32_t serial;
};

// The partition type shown for a file-system kind.
uint8_t PartitionTypeFor(uint8_t fileSystem, uint8_t partitionType);
// Writes the partition table, signature and 0x55AA over sector (512 bytes).
void WriteBootRecord(uint8_t* sector, const BootRecordInput& input);

} // namespace zedisk
