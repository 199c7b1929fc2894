// The rules of a DOS partition table: where free space lies, what may be created in a
// place, and where a new partition goes. Pure arithmetic over a DosTable.
#pragma once

#include <cstdint>
#include <vector>

#include "DosTable.h"

struct FreeRegion {
    uint64_t start = 0;
    uint64_t count = 0;
    bool insideExtended = false;
};

struct Placement {
    DosPartition partition;
    bool createsExtended = false;
    DosExtended extended;  // the extended partition to create, when createsExtended
};

class CPartitionLayout {
public:
    CPartitionLayout(const DosTable& table, uint64_t totalSectors, uint32_t sectorsPerTrack);

    // Unused stretches of at least one track, in disk order: outside the extended
    // partition (beginning at sector 0 when the disk's start is free) and inside it.
    std::vector<FreeRegion> FreeRegions() const;
    // CheckItem's answer for a free region or for a partition of the table.
    unsigned long CheckFree(const FreeRegion& region) const;
    unsigned long CheckPartition(const DosPartition& partition) const;
    // Where a partition for the slot first..last (inclusive) goes. A logical partition
    // and a primary one whose slot starts at sector 0 begin one track into the slot.
    // False when the slot is not free space that allows the kind, or the table is full.
    bool Place(uint64_t first, uint64_t last, bool primary, Placement& out) const;

private:
    unsigned UsedEntries() const;
    bool FreeSlot(unsigned& slot) const;
    // The free region that holds first..last entirely, if any.
    bool RegionHolding(uint64_t first, uint64_t last, FreeRegion& out) const;

    const DosTable& table_;
    uint64_t total_;
    uint32_t track_;
};
