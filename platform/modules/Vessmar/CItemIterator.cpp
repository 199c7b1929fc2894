#include "CItemIterator.h"

#include "InterfaceKey.h"
#include "VessmarLock.h"

CItemIterator::CItemIterator(const std::vector<CRefCounted*>& owners, const std::vector<IManagerItem*>& items)
    : owners_(owners), items_(items)
{
    for (CRefCounted* owner : owners_)
        owner->Hold();
}

CItemIterator::~CItemIterator()
{
    for (CRefCounted* owner : owners_)
        owner->Unhold();
}

IObject* CItemIterator::GetInterface(const char* key)
{
    VessmarGuard guard(VessmarLock());
    return IsKeyOf<IIterator>(key) ? static_cast<IIterator*>(this) : nullptr;
}

unsigned long CItemIterator::Release()
{
    VessmarGuard guard(VessmarLock());
    return ReleaseCallerRef();
}

unsigned long CItemIterator::AddRef()
{
    VessmarGuard guard(VessmarLock());
    return AddCallerRef();
}

IManagerItem* CItemIterator::Next()
{
    VessmarGuard guard(VessmarLock());
    return next_ < items_.size() ? items_[next_++] : nullptr;
}
