// Walks a snapshot of a container's items. The iterator holds every item it will
// hand out, so a rescan during the walk frees none of them.
#pragma once

#include <cstddef>
#include <vector>

#include "CRefCounted.h"
#include "vessmar/IIterator.h"

class CItemIterator final : public CRefCounted, public IIterator {
public:
    CItemIterator(const std::vector<CRefCounted*>& owners, const std::vector<IManagerItem*>& items);

    IObject* GetInterface(const char* key) override;
    unsigned long Release() override;
    unsigned long AddRef() override;
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    IManagerItem* Next() override;

private:
    ~CItemIterator() override;

    std::vector<CRefCounted*> owners_;
    std::vector<IManagerItem*> items_;
    size_t next_ = 0;
};
