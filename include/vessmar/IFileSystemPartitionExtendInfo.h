// Allocation figures of a partition's file system.
#pragma once

#include <cstdint>

#include "MomPtr.h"

class IFileSystemPartitionExtendInfo : public IObject {
public:
    virtual unsigned long long GetUsedSectors() = 0;  // slot 5
    virtual int GetSectorsPerCluster() = 0;           // slot 6, 0 when unknown
    // The reserved sectors before a FAT volume's first FAT (0 for other kinds), handed
    // on to the FAT size arithmetic.
    virtual uint32_t GetReservedSectors() = 0;        // slot 7

protected:
    ~IFileSystemPartitionExtendInfo() {}
};
