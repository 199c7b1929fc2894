#include "FakeItems.h"

FakeIterator::FakeIterator() { ++Control().liveIterators; }

FakeIterator::~FakeIterator()
{
    for (size_t i = 0; i < items_.size(); ++i)
        deleters_[i](items_[i]);
    --Control().liveIterators;
}

unsigned long FakeIterator::Release()
{
    if (refs_ > 0 && --refs_ == 0) {
        delete this;
        return 0;
    }
    return refs_;
}

IObject* FakeDisk::GetInterface(const char* key)
{
    if (IsKey<IManagerItem>(key))
        return static_cast<IManagerItem*>(this);
    if (plan_.entry && IsKey<IDiskEntry>(key))
        return static_cast<IDiskEntry*>(this);
    if (plan_.geometry && IsKey<IDiskGeometry>(key))
        return static_cast<IDiskGeometry*>(this);
    if (plan_.deviceType && IsKey<IDiskDeviceType>(key))
        return static_cast<IDiskDeviceType*>(this);
    if (plan_.partitionManager && IsKey<IPartitionManager>(key))
        return static_cast<IPartitionManager*>(this);
    return nullptr;
}

IIterator* FakeDisk::CreateIterator()
{
    std::vector<FakePartition*> items;
    for (const ScriptedPartition& plan : plan_.partitions)
        items.push_back(new FakePartition(this, plan));
    return FakeIterator::Owning(items);
}

IObject* FakePartition::GetInterface(const char* key)
{
    if (IsKey<IManagerItem>(key))
        return static_cast<IManagerItem*>(this);
    if (plan_.entry && IsKey<IPartitionEntry>(key))
        return static_cast<IPartitionEntry*>(this);
    if (plan_.fileSystem && IsKey<IFileSystemPartition>(key))
        return static_cast<IFileSystemPartition*>(this);
    if (plan_.extendInfo && IsKey<IFileSystemPartitionExtendInfo>(key))
        return static_cast<IFileSystemPartitionExtendInfo*>(this);
    if (plan_.bootInfo && IsKey<IPartitionBootInfo>(key))
        return static_cast<IPartitionBootInfo*>(this);
    if (plan_.volume && IsKey<IVolumeEntryInfo>(key))
        return static_cast<IVolumeEntryInfo*>(this);
    return nullptr;
}
