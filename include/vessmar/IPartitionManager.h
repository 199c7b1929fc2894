// A disk's partition list and its edits. Edits stay in memory until the disk's
// IPartitionTableChainWriter::Write.
#pragma once

#include "vessmar/AddPartitionParam.h"
#include "vessmar/IContainer.h"

class IManagerItem;

class IPartitionManager : public IContainer {
public:
    // Creates a partition in the free space that holds the record's first to last
    // sector. A logical partition, and a primary one whose slot starts at sector 0,
    // begins one track into its slot. Returns the new item, or null.
    virtual IManagerItem* CreatePartition(const AddPartitionParam* record, unsigned long flags) = 0;  // slot 7
    virtual unsigned long DeletePartition(IManagerItem* item) = 0;  // slot 8, 0 on success
    virtual unsigned long DeleteAllPartitions() = 0;                // slot 9, 0 on success
    virtual bool IsBadDisk() = 0;                                   // slot 10: true when unusable
    // The whole-disk test of the bad-disk command: non-zero low byte when the disk's
    // table cannot be trusted.
    virtual unsigned long TestWholeDisk() = 0;                      // slot 11

protected:
    ~IPartitionManager() {}
};
