#include "CItemFinder.h"

#include <cstdint>

IManagerItem* CItemFinder::Find(IContainer* container, unsigned long long index)
{
    if (container == nullptr)
        return nullptr;
    iterator_ = container->CreateIterator();
    if (iterator_ == nullptr)
        return nullptr;
    if ((index >> 32) != 0)
        return nullptr;
    uint8_t counter = 0; // wraps after 255: such an index matches no item
    while (IManagerItem* item = iterator_->Next()) {
        if (static_cast<unsigned long long>(counter) == index)
            return item;
        ++counter;
    }
    return nullptr;
}
