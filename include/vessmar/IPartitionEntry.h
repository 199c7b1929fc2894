// One entry of a disk's list: a partition, or free space (type id 0).
#pragma once

#include "MomPtr.h"

class IPartitionEntry : public IObject {
public:
    virtual unsigned long long GetStartSector() = 0;   // slot 5
    virtual unsigned long long GetSectorCount() = 0;   // slot 6
    virtual unsigned long PartitionEntryReserved7() = 0;  // slot 7
    // Sectors between the start of the partition's slot and its first sector: the
    // track of its extended boot record for a logical partition, the first track of the
    // disk for a primary partition that starts in it, else 0. Free space has none.
    virtual unsigned long long GetHiddenSectors() = 0;  // slot 8
    virtual bool IsActive() = 0;                        // slot 9
    virtual bool IsPrimary() = 0;                       // slot 10
    virtual unsigned int GetPartitionType() = 0;        // slot 11: 0 = unallocated

protected:
    ~IPartitionEntry() {}
};
