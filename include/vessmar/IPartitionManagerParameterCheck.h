// What a disk allows in the place of one of its items.
#pragma once

#include "MomPtr.h"

class IManagerItem;

// Bits of CheckItem's answer.
enum : unsigned long {
    CHECK_ITEM_PRIMARY_POSSIBLE = 0x1,
    CHECK_ITEM_LOGICAL_POSSIBLE = 0x2,
    CHECK_ITEM_SPACE_TEST = 0x10000, // the place is at the edge of the extended partition
};

class IPartitionManagerParameterCheck : public IObject {
public:
    virtual unsigned long CheckItem(IManagerItem* item) = 0;  // slot 5

protected:
    ~IPartitionManagerParameterCheck() {}
};
