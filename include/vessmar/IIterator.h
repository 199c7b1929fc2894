// Walks a container's items in order.
#pragma once

#include "MomPtr.h"

class IManagerItem;

class IIterator : public IObject {
public:
    // The next item, null at the end. The item stays owned by its container; a caller
    // that keeps it across a rescan takes a reference (AddRef, or a CMomPtr).
    virtual IManagerItem* Next() = 0;               // slot 5

protected:
    ~IIterator() {}
};
