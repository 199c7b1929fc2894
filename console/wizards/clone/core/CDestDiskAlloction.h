// The share calculator of a relayout: how many sectors the source's partitions need on
// the target (used sectors and a 2 % margin for the resizable ones, the full size for
// the rest, a track per logical partition), and how the room left over is handed out
// in equal shares to the growable partitions, within the file systems' limits.
#pragma once

#include <cstdint>
#include <vector>

#include "KSDiskInfo.h"

class CDestDiskAlloction {
public:
    // targetSectors and targetTrack come from the target's disk record; cylinder is the
    // target's cylinder size from its geometry.
    CDestDiskAlloction(uint64_t targetSectors, uint32_t targetTrack, uint32_t cylinder,
                       const std::vector<_KS_PARTITION_INFO>& source);

    // Sectors added to partition index; 0 past the end.
    int64_t operator()(unsigned char index) const;
    // Sectors to add so that end lies on the last sector of a cylinder.
    int64_t CorrectPartition(long long end, unsigned char index = 0) const;
    // The size a resizable file system is held to once it reaches its limit; 0 for none.
    static int64_t SupportFs(unsigned char fileSystem, long long sectors);

    int64_t Spare() const { return spare_; }
    int64_t Need() const { return need_; }
    uint32_t GrowableCount() const { return growable_; }

private:
    void CountAddSector(int first);

    uint32_t cylinder_;
    uint32_t growable_ = 0;
    uint64_t targetSectors_;
    int64_t need_ = 0;
    int64_t spare_ = 0;
    std::vector<int64_t> added_;
    std::vector<_KS_PARTITION_INFO> source_;
};

// FAT16 volumes are held below the variant's largest size; FAT32 and NTFS to the
// largest sizes the copy engines format.
constexpr int64_t kCloneFat16Cap = 8366448;
constexpr int64_t kCloneFat16CapFrom = 8386928;
constexpr int64_t kCloneFat32Cap = 1048555520;
constexpr int64_t kCloneFat32CapFrom = 1048576000;
constexpr int64_t kCloneFatSecondFlagCap = 786411520;
constexpr int64_t kCloneNtfsCap = 2097131520;
