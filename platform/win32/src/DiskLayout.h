// The partitions of a DOS-partitioned disk as Windows numbers them: the primaries in
// table order, then the logicals along the extended chain, numbered from 1.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
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

// Reads one 512-byte sector into out; false when it cannot.
using SectorReader = std::function<bool(uint64_t sector, unsigned char* out)>;

// False when sector 0 cannot be read or carries no boot mark.
bool ReadDosVolumes(const SectorReader& read, std::vector<DosVolume>& volumes, uint32_t* signature = nullptr);
bool ReadDosVolumes(int fd, std::vector<DosVolume>& volumes, uint32_t* signature = nullptr);
bool ReadDosVolumes(const std::string& path, std::vector<DosVolume>& volumes, uint32_t* signature = nullptr);

// IOCTL_DISK_GET_DRIVE_LAYOUT's answer for the volumes and disk signature.
DWORD AnswerDriveLayout(const std::vector<DosVolume>& volumes, uint32_t signature, void* out, DWORD outSize,
                        DWORD& returned);

// A volume of a disk of the disk map (an arrived disk among them) found by its first
// sector. diskPath is empty for an arrived disk: its bytes are no file.
struct MappedVolume {
    std::string diskPath;
    unsigned disk = 0;
    DosVolume volume;
};
bool FindMappedVolume(unsigned disk, uint64_t firstSector, MappedVolume& found);
// "\Device\HarddiskVolumeN" of a volume.
std::string VolumeDeviceName(unsigned disk, unsigned partitionNumber);

} // namespace ks_platform
