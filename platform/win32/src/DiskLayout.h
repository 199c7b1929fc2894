// The partitions of a DOS-partitioned disk as Windows numbers them: the primaries in
// table order, then the logicals along the extended chain, numbered from 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ks_platform {

struct DosVolume {
    uint64_t start = 0;   // first sector
    uint64_t sectors = 0;
    uint64_t hidden = 0;  // distance from its table record
    unsigned number = 0;  // from 1
    unsigned char type = 0;
    bool active = false;
};

// False when sector 0 cannot be read or carries no boot mark.
bool ReadDosVolumes(int fd, std::vector<DosVolume>& volumes, uint32_t* signature = nullptr);
bool ReadDosVolumes(const std::string& path, std::vector<DosVolume>& volumes, uint32_t* signature = nullptr);

// A volume of a disk of the disk map found by its first sector.
struct MappedVolume {
    std::string diskPath;
    unsigned disk = 0;
    DosVolume volume;
};
bool FindMappedVolume(unsigned disk, uint64_t firstSector, MappedVolume& found);
// "\Device\HarddiskVolumeN" of a volume.
std::string VolumeDeviceName(unsigned disk, unsigned partitionNumber);

} // namespace ks_platform
