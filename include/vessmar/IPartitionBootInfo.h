// Boot information of a partition and access to its boot sector.
#pragma once

#include "MomPtr.h"

class IPartitionBootInfo : public IObject {
public:
    // True when the partition holds the running system (it cannot be locked).
    virtual bool HasBootRecord() = 0;                                            // slot 5
    // Reads count sectors from the partition's first sector; returns the number read.
    virtual unsigned long ReadBootSector(void* buffer, unsigned long count) = 0;  // slot 6
    // True when the partition holds the running system's boot files (it cannot be locked).
    virtual bool IsSystemPartition() = 0;                                        // slot 7
    // Writes count sectors at the partition's first sector; returns the number written.
    virtual unsigned long WriteBootSector(const void* buffer, unsigned long count) = 0;  // slot 8

protected:
    ~IPartitionBootInfo() {}
};
