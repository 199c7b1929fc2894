// What a disk allows in the place of one of its items.
#pragma once

#include "MomPtr.h"

class IManagerItem;

// Bits of CheckItem's answer.
enum : unsigned long {
    CHECK_ITEM_PRIMARY_POSSIBLE = 0x1,
    CHECK_ITEM_LOGICAL_POSSIBLE = 0x2,
    // Both kinds are possible, and the room left differs by kind (a logical partition
    // gives a track to its extended boot record): callers test whether the data fits.
    CHECK_ITEM_SPACE_TEST = 0x10000,
};

class IPartitionManagerParameterCheck : public IObject {
public:
    virtual unsigned long CheckItem(IManagerItem* item) = 0;  // slot 5

protected:
    ~IPartitionManagerParameterCheck() {}
};
