// An item of the device tree: a disk, a partition or a stretch of free space.
#pragma once

#include "MomPtr.h"

class IManagerItem : public IObject {
public:
    virtual unsigned long ManagerItemReserved5() = 0;  // slot 5, nothing here calls it
    // The disk that holds a partition; null for a disk.
    virtual IManagerItem* GetParent() = 0;             // slot 6

protected:
    ~IManagerItem() {}
};
