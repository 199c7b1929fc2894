// The backup fixture disk as the engine sees it: named in the disk map, listed by the
// disk enumeration module, its partitions found by their first sector.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FixturePartition {
    uint64_t start;
    uint64_t sectors;
    uint32_t index = 0; // the enumeration module's partition index
};

class BackupDisk {
public:
    // Makes the image (once), names it as the only disk and finds the partitions.
    static BackupDisk& Get();
    const std::string& Path() const { return path_; }
    FixturePartition ntfs{2048, 32768}, fat32{36864, 69632}, fat12{106496, 8192}, fat16{118784, 32768};
    uint32_t freeSpaceIndex = UINT32_MAX; // the first free stretch the enumeration lists
    std::vector<uint8_t> ReadSectors(uint64_t first, uint64_t count) const;

private:
    std::string path_;
};

// A fresh empty folder under the build tree's fixture cache.
std::string MakeWorkFolder(const std::string& name);
