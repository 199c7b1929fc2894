// Finds one item of a device-manager container by its position, the way every disk
// and partition lookup of this module does: items are counted with an 8-bit counter
// from 0, so positions from 256 up, or with a non-zero high half, are never found.
// The finder holds the container's iterator, and so the found item, until it dies.
#pragma once

#include "MomPtr.h"
#include "vessmar/IContainer.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManagerItem.h"

class CItemFinder {
public:
    // The item at index of container, or null when there is none (or no container,
    // or no iterator).
    IManagerItem* Find(IContainer* container, unsigned long long index);

private:
    CMomPtr<IIterator> iterator_;
};
