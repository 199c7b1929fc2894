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
    if (spec_.entry && IsKey<IDiskEntry>(key))
        return static_cast<IDiskEntry*>(this);
    if (spec_.geometry && IsKey<IDiskGeometry>(key))
        return static_cast<IDiskGeometry*>(this);
    if (spec_.deviceType && IsKey<IDiskDeviceType>(key))
        return static_cast<IDiskDeviceType*>(this);
    if (spec_.partitionManager && IsKey<IPartitionManager>(key))
        return static_cast<IPartitionManager*>(this);
    return nullptr;
}

IIterator* FakeDisk::CreateIterator()
{
    std::vector<FakePartition*> items;
    for (const FakePartitionSpec& spec : spec_.partitions)
        items.push_back(new FakePartition(this, spec));
    return FakeIterator::Owning(items);
}

IObject* FakePartition::GetInterface(const char* key)
{
    if (IsKey<IManagerItem>(key))
        return static_cast<IManagerItem*>(this);
    if (spec_.entry && IsKey<IPartitionEntry>(key))
        return static_cast<IPartitionEntry*>(this);
    if (spec_.fileSystem && IsKey<IFileSystemPartition>(key))
        return static_cast<IFileSystemPartition*>(this);
    if (spec_.extendInfo && IsKey<IFileSystemPartitionExtendInfo>(key))
        return static_cast<IFileSystemPartitionExtendInfo*>(this);
    if (spec_.bootInfo && IsKey<IPartitionBootInfo>(key))
        return static_cast<IPartitionBootInfo*>(this);
    if (spec_.volume && IsKey<IVolumeEntryInfo>(key))
        return static_cast<IVolumeEntryInfo*>(this);
    return nullptr;
}
