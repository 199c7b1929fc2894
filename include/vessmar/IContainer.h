// A container of device-manager items: the manager's list of disks, a disk's list
// of partitions.
#pragma once

#include "MomPtr.h"

class IIterator;

class IContainer : public IObject {
public:
    virtual unsigned long long GetCount() = 0;      // slot 5
    // A new iterator over the items as they are now; the caller releases it.
    virtual IIterator* CreateIterator() = 0;        // slot 6

protected:
    ~IContainer() {}
};
