#include "BootRecord.h"

namespace zedisk {

uint8_t PartitionTypeFor(uint8_t fileSystem, uint8_t partitionType)
{
    switch (fileSystem) {
    case 1: return 0x01;
    case 2: return 0x04;
    case 3: return 0x0B;
    case 4: return 0x07;
    case 5: return 0x82;
    case 6: return 0x83;
    case 255: return partitionType;
    default: return 0x63;
    }
}

void WriteBootRecord(uint8_t* sector, const BootRecordInput& input)
{
    ZdZero(sector + 446, 64);
    uint8_t* entry = sector + 446;
    entry[0] = 0;      // not active
    entry[1] = 1;      // start head
    entry[2] = 1;      // start sector
    entry[3] = 0;      // start cylinder
    entry[4] = PartitionTypeFor(input.fileSystem, input.partitionType);
    // The last sector in CHS, without clamping at cylinder 1023.
    const uint32_t end = static_cast<uint32_t>(input.volumeSectors) + 62;
    const uint32_t cylinder = end / 16065;
    entry[5] = static_cast<uint8_t>((end / 63) % 255);
    entry[6] = static_cast<uint8_t>((end % 63 + 1) | ((cylinder >> 2) & 0xC0));
    entry[7] = static_cast<uint8_t>(cylinder);
    ZdStore32(entry + 8, 63);
    ZdStore32(entry + 12, static_cast<uint32_t>(input.volumeSectors));
    ZdStore32(sector + 440, (input.diskId & ~0x1Fu) | input.serial);
    sector[510] = 0x55;
    sector[511] = 0xAA;
}

} // namespace zedisk
