// Walks a disk's partitions as the device manager lists them, leaving out free space.
#pragma once

#include <cstdint>

class IManagerItem;
class IPartitionManager;
class IIterator;

struct PartitionExtent {
    IManagerItem* item;
    uint64_t start;
    uint64_t count;
};

class VessmarPartitionWalk {
public:
    explicit VessmarPartitionWalk(IPartitionManager* disk);
    ~VessmarPartitionWalk();
    VessmarPartitionWalk(const VessmarPartitionWalk&) = delete;
    VessmarPartitionWalk& operator=(const VessmarPartitionWalk&) = delete;

    // The next partition (never free space); false at the end of the list.
    bool Next(PartitionExtent& out);
    // The partition with exactly this first sector and count, or null.
    static IManagerItem* Find(IPartitionManager* disk, uint64_t start, uint64_t count);

private:
    IIterator* iterator_;
};
