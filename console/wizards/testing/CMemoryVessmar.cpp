#include "CMemoryVessmar.h"

#include <algorithm>
#include <cstring>

namespace {

template <class I>
bool KeyIs(const char* key)
{
    return key != nullptr && std::strcmp(key, MomGetTypeNameT<I>()) == 0;
}

// Walks a snapshot of items; the list may change while the walk goes on.
class CMemoryIterator final : public IIterator {
public:
    explicit CMemoryIterator(std::vector<IManagerItem*> items) : items_(std::move(items)) {}
    IObject* GetInterface(const char*) override { return nullptr; }
    unsigned long Release() override
    {
        delete this;
        return 0;
    }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    IManagerItem* Next() override { return at_ < items_.size() ? items_[at_++] : nullptr; }

private:
    ~CMemoryIterator() {}
    std::vector<IManagerItem*> items_;
    size_t at_ = 0;
};

CMemoryVessmar* g_currentTree = nullptr;

} // namespace

IObject* CMemoryPartition::GetInterface(const char* key)
{
    if (KeyIs<IManagerItem>(key))
        return static_cast<IManagerItem*>(this);
    if (KeyIs<IPartitionEntry>(key))
        return static_cast<IPartitionEntry*>(this);
    if (KeyIs<IPartitionEntryEditor>(key))
        return static_cast<IPartitionEntryEditor*>(this);
    if (IsFree())
        return nullptr;
    if (KeyIs<IFileSystemPartition>(key))
        return static_cast<IFileSystemPartition*>(this);
    if (KeyIs<IFileSystemPartitionExtendInfo>(key))
        return static_cast<IFileSystemPartitionExtendInfo*>(this);
    if (KeyIs<IFileSystemPartitionExtendInfoEditor>(key) && d.hasExtendInfoEditor)
        return static_cast<IFileSystemPartitionExtendInfoEditor*>(this);
    return nullptr;
}

IManagerItem* CMemoryPartition::GetParent()
{
    return disk_;
}

unsigned long CMemoryPartition::SetActive(bool active)
{
    d.active = active;
    disk_->MarkEdited();
    return 0;
}

unsigned long CMemoryPartition::SetPartitionType(unsigned int id)
{
    d.type = id;
    disk_->MarkEdited();
    return 0;
}

unsigned long CMemoryPartition::SetUsedSectors(unsigned long long used)
{
    d.used = used;
    disk_->MarkEdited();
    return 0;
}

unsigned long CMemoryPartition::SetUsedSectorsSource(unsigned long source)
{
    usedSource = source;
    return 0;
}

CMemoryDisk::CMemoryDisk(uint64_t totalSectors, uint32_t tracksPerCylinder, uint32_t sectorsPerTrack)
    : total_(totalSectors), heads_(tracksPerCylinder), spt_(sectorsPerTrack)
{
}

CMemoryPartition* CMemoryDisk::Add(const MemoryPartitionData& data)
{
    items_.push_back(std::make_unique<CMemoryPartition>(this, data));
    std::sort(items_.begin(), items_.end(),
              [](const auto& a, const auto& b) { return a->d.SlotFirst() < b->d.SlotFirst(); });
    // What the test lays out is the disk as it stands on the medium.
    written_.clear();
    for (const auto& item : items_)
        written_.push_back(item->d);
    edited_ = false;
    for (const auto& item : items_)
        if (item->d.start == data.start && item->d.count == data.count && item->d.type == data.type)
            return item.get();
    return nullptr;
}

CMemoryPartition* CMemoryDisk::AddFree(uint64_t first, uint64_t last)
{
    MemoryPartitionData free;
    free.start = first;
    free.count = last - first + 1;
    free.primary = false;
    free.used = 0;
    return Add(free);
}

std::vector<CMemoryPartition*> CMemoryDisk::Items() const
{
    std::vector<CMemoryPartition*> out;
    for (const auto& item : items_)
        out.push_back(item.get());
    return out;
}

CMemoryPartition* CMemoryDisk::FindByStart(uint64_t first) const
{
    for (const auto& item : items_)
        if (!item->IsFree() && item->d.start == first)
            return item.get();
    return nullptr;
}

IObject* CMemoryDisk::GetInterface(const char* key)
{
    if (KeyIs<IManagerItem>(key))
        return static_cast<IManagerItem*>(this);
    if (KeyIs<IPartitionManager>(key) || KeyIs<IContainer>(key))
        return static_cast<IPartitionManager*>(this);
    if (KeyIs<IDiskGeometry>(key))
        return static_cast<IDiskGeometry*>(this);
    if (KeyIs<IDiskEntry>(key))
        return static_cast<IDiskEntry*>(this);
    if (KeyIs<IDiskDeviceType>(key))
        return static_cast<IDiskDeviceType*>(this);
    if (KeyIs<IPartitionTableChainWriter>(key))
        return static_cast<IPartitionTableChainWriter*>(this);
    if (KeyIs<IPartitionManagerParameterCheck>(key))
        return static_cast<IPartitionManagerParameterCheck*>(this);
    return nullptr;
}

IIterator* CMemoryDisk::CreateIterator()
{
    std::vector<IManagerItem*> items;
    for (const auto& item : items_)
        items.push_back(item.get());
    return new CMemoryIterator(items);
}

IManagerItem* CMemoryDisk::CreatePartition(const AddPartitionParam* record, unsigned long)
{
    if (record == nullptr)
        return nullptr;
    createCalls.push_back(*record);
    if (refuseCreates > 0) {
        --refuseCreates;
        return nullptr;
    }
    const uint64_t first = record->FirstSector;
    const uint64_t last = record->LastSector;
    if (last < first || last >= total_)
        return nullptr;
    auto holder = std::find_if(items_.begin(), items_.end(), [&](const auto& item) {
        return item->IsFree() && item->d.SlotFirst() <= first && last <= item->d.Last();
    });
    if (holder == items_.end())
        return nullptr;
    MemoryPartitionData made;
    made.primary = record->Primary != 0;
    made.hidden = (!made.primary || first == 0) ? spt_ : 0;
    made.start = first + made.hidden;
    if (made.start > last)
        return nullptr;
    made.count = last - made.start + 1;
    made.fs = static_cast<enumFILE_SYSTEM_TYPE>(record->FileSystem);
    made.type = record->PartitionType != 0 ? record->PartitionType : 0x07;
    made.sectorsPerCluster = int(record->SectorsPerCluster);
    made.label = std::string(record->Name, strnlen(record->Name, sizeof(record->Name)));

    const MemoryPartitionData free = (*holder)->d;
    retired_.push_back(std::move(*holder));
    items_.erase(holder);
    if (first > free.SlotFirst()) {
        MemoryPartitionData before;
        before.start = free.SlotFirst();
        before.count = first - free.SlotFirst();
        before.primary = false;
        items_.push_back(std::make_unique<CMemoryPartition>(this, before));
    }
    if (last < free.Last()) {
        MemoryPartitionData after;
        after.start = last + 1;
        after.count = free.Last() - last;
        after.primary = false;
        items_.push_back(std::make_unique<CMemoryPartition>(this, after));
    }
    items_.push_back(std::make_unique<CMemoryPartition>(this, made));
    CMemoryPartition* created = items_.back().get();
    std::sort(items_.begin(), items_.end(),
              [](const auto& a, const auto& b) { return a->d.SlotFirst() < b->d.SlotFirst(); });
    edited_ = true;
    return created;
}

unsigned long CMemoryDisk::DeletePartition(IManagerItem* item)
{
    for (auto& entry : items_)
        if (static_cast<IManagerItem*>(entry.get()) == item && !entry->IsFree()) {
            deletedEntries.push_back(entry->d);
            MemoryPartitionData free;
            free.start = entry->d.SlotFirst();
            free.count = entry->d.Last() - free.start + 1;
            free.primary = false;
            retired_.push_back(std::move(entry));
            entry = std::make_unique<CMemoryPartition>(this, free);
            MergeFree();
            edited_ = true;
            return 0;
        }
    return 1;
}

unsigned long CMemoryDisk::DeleteAllPartitions()
{
    for (auto& entry : items_) {
        if (!entry->IsFree())
            deletedEntries.push_back(entry->d);
        retired_.push_back(std::move(entry));
    }
    items_.clear();
    MemoryPartitionData free;
    free.start = spt_;
    free.count = total_ - spt_;
    free.primary = false;
    items_.push_back(std::make_unique<CMemoryPartition>(this, free));
    edited_ = true;
    return 0;
}

void CMemoryDisk::MergeFree()
{
    for (size_t i = 0; i + 1 < items_.size();) {
        CMemoryPartition* a = items_[i].get();
        CMemoryPartition* b = items_[i + 1].get();
        if (a->IsFree() && b->IsFree() && a->d.Last() + 1 == b->d.SlotFirst()) {
            MemoryPartitionData joined = a->d;
            joined.count = b->d.Last() - joined.start + 1;
            retired_.push_back(std::move(items_[i]));
            retired_.push_back(std::move(items_[i + 1]));
            items_[i] = std::make_unique<CMemoryPartition>(this, joined);
            items_.erase(items_.begin() + long(i) + 1);
        } else {
            ++i;
        }
    }
}

unsigned long CMemoryDisk::Write()
{
    if (failWrites > 0) {
        --failWrites;
        return 0x00070011;
    }
    written_.clear();
    for (const auto& item : items_)
        written_.push_back(item->d);
    edited_ = false;
    ++writes;
    return 0;
}

unsigned long CMemoryDisk::CheckItem(IManagerItem*)
{
    return checkFlags;
}

void CMemoryDisk::DropEdits()
{
    if (!edited_)
        return;
    for (auto& entry : items_)
        retired_.push_back(std::move(entry));
    items_.clear();
    for (const MemoryPartitionData& data : written_)
        items_.push_back(std::make_unique<CMemoryPartition>(this, data));
    edited_ = false;
}

CMemoryDisk* CMemoryVessmar::AddDisk(uint64_t totalSectors, uint32_t tracksPerCylinder, uint32_t sectorsPerTrack)
{
    disks_.push_back(std::make_unique<CMemoryDisk>(totalSectors, tracksPerCylinder, sectorsPerTrack));
    disks_.back()->deviceName = "\\\\.\\PhysicalDrive" + std::to_string(disks_.size() - 1);
    return disks_.back().get();
}

IObject* CMemoryVessmar::GetInterface(const char* key)
{
    if (KeyIs<IVessmarModule>(key))
        return static_cast<IVessmarModule*>(this);
    if (KeyIs<IManager>(key) || KeyIs<IContainer>(key))
        return static_cast<IManager*>(this);
    return nullptr;
}

unsigned long CMemoryVessmar::Refresh(unsigned long)
{
    ++refreshes;
    for (auto& disk : disks_)
        disk->DropEdits();
    return 0;
}

IIterator* CMemoryVessmar::CreateIterator()
{
    std::vector<IManagerItem*> items;
    for (const auto& disk : disks_)
        items.push_back(disk.get());
    return new CMemoryIterator(items);
}

void CMemoryVessmar::SetCurrent(CMemoryVessmar* tree)
{
    g_currentTree = tree;
}

IVessmarModule* CMemoryVessmar::OpenCurrent()
{
    return g_currentTree;
}
