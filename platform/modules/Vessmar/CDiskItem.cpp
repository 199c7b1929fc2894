#include "CDiskItem.h"

#include <algorithm>
#include <cstring>

#include "CDiskMap.h"
#include "CDosTableReader.h"
#include "CDosTableWriter.h"
#include "CFileSystemProbe.h"
#include "CItemIterator.h"
#include "CPartitionItem.h"
#include "CPartitionLayout.h"
#include "InterfaceKey.h"
#include "KSResult.h"
#include "MbrPartitionRecord.h"
#include "VessmarLock.h"
#include "vessmar/FileSystemType.h"

namespace {

unsigned DefaultType(uint32_t fileSystem, uint64_t lastSector)
{
    const bool beyondCylinder1024 = lastSector >= 1024ull * CDiskItem::kHeads * CDiskItem::kSectorsPerTrack;
    switch (fileSystem) {
    case FILE_SYSTEM_FAT12:
        return 0x01;
    case FILE_SYSTEM_FAT16:
        return beyondCylinder1024 ? 0x0E : 0x06;
    case FILE_SYSTEM_FAT32:
        return beyondCylinder1024 ? 0x0C : 0x0B;
    case FILE_SYSTEM_NTFS:
    case FILE_SYSTEM_BITLOCKER:
        return 0x07;
    default:
        return 0x83;
    }
}

// A table whose partitions leave the disk or overlap cannot be edited safely.
bool Consistent(const DosTable& table, uint64_t total)
{
    struct Span {
        uint64_t first, last;
    };
    std::vector<Span> outside;
    std::vector<Span> inside;
    const DosExtended& ext = table.extended;
    if (ext.present) {
        if (ext.count == 0 || ext.start + ext.count > total)
            return false;
        outside.push_back({ext.start, ext.start + ext.count - 1});
    }
    for (const DosPartition& p : table.partitions) {
        if (p.count == 0 || p.start + p.count > total)
            return false;
        if (!p.primary && (!ext.present || p.start < ext.start || p.start + p.count > ext.start + ext.count))
            return false;
        (p.primary ? outside : inside).push_back({p.start, p.start + p.count - 1});
    }
    for (const std::vector<Span>* spans : {&outside, &inside}) {
        for (size_t i = 0; i < spans->size(); ++i)
            for (size_t j = i + 1; j < spans->size(); ++j)
                if ((*spans)[i].first <= (*spans)[j].last && (*spans)[j].first <= (*spans)[i].last)
                    return false;
    }
    return true;
}

} // namespace

CDiskItem::CDiskItem(const DiskMapEntry& disk) : CDiskItem(disk, true) {}

CDiskItem::CDiskItem(const DiskMapEntry& disk, bool present)
    : disk_(disk), absent_(!present), deviceName_(CDiskMap::DeviceName(disk.number))
{
    if (absent_)
        bad_ = true; // nothing to read, nothing to edit
    else
        Load();
}

CDiskItem* CDiskItem::Absent(unsigned number)
{
    DiskMapEntry nothing;
    nothing.number = number;
    return new CDiskItem(nothing, false);
}

CDiskItem::~CDiskItem()
{
    // Retire has dropped every item already: the items hold their disk.
}

void CDiskItem::Load()
{
    table_ = CDosTableReader::Read(disk_.path, kSectorsPerTrack);
    if (table_.kind == DiskLabelKind::Unreadable) {
        bad_ = true;
        return;
    }
    if (table_.kind != DiskLabelKind::Dos && table_.kind != DiskLabelKind::None)
        return;
    bad_ = table_.damaged || !Consistent(table_, disk_.sectors);
    for (DosPartition p : table_.partitions) {
        // A damaged table may hold a partition of no sectors, or place one past the
        // disk's end: the listing shows only what lies on the disk, so that nobody reads
        // or writes beyond it.
        if (p.count == 0 || p.start >= disk_.sectors)
            continue;
        p.count = std::min(p.count, disk_.sectors - p.start);
        CPartitionItem* item = new CPartitionItem(this, p, CFileSystemProbe::Probe(disk_.path, p.start, p.count));
        item->Hold();
        parts_.push_back(item);
    }
    table_.partitions.clear();
    Relist();
}

void CDiskItem::Retire()
{
    retired_ = true;
    DropFreeItems();
    listed_.clear();
    std::vector<CPartitionItem*> parts;
    parts.swap(parts_);
    for (CPartitionItem* item : parts)
        item->Unhold();
}

bool CDiskItem::Editable() const
{
    return !retired_ && !absent_ && !bad_ && (table_.kind == DiskLabelKind::Dos || table_.kind == DiskLabelKind::None);
}

void CDiskItem::DropFreeItems()
{
    std::vector<CPartitionItem*> old;
    old.swap(free_);
    for (CPartitionItem* item : old)
        item->Unhold();
}

DosTable CDiskItem::Snapshot() const
{
    DosTable table = table_;
    for (const CPartitionItem* item : parts_)
        table.partitions.push_back(item->Partition());
    std::sort(table.partitions.begin(), table.partitions.end(),
              [](const DosPartition& a, const DosPartition& b) { return a.start < b.start; });
    return table;
}

void CDiskItem::Relist()
{
    std::sort(parts_.begin(), parts_.end(),
              [](const CPartitionItem* a, const CPartitionItem* b) { return a->SortKey() < b->SortKey(); });
    if (table_.extended.present) {
        // The first logical partition's record heads the chain at the extended
        // partition's start. One that headed it before and no longer does gets its own
        // record a track before it, where the table writer puts it.
        uint64_t chainEnd = 0; // just past the logical partition in front
        for (CPartitionItem* item : parts_) {
            DosPartition& p = item->Partition();
            if (p.primary)
                continue;
            if (chainEnd == 0)
                p.slotStart = table_.extended.start;
            else if (p.slotStart < chainEnd && p.start >= chainEnd + kSectorsPerTrack)
                p.slotStart = p.start - kSectorsPerTrack;
            chainEnd = p.start + p.count;
        }
    }
    DropFreeItems();
    if (!bad_ && (table_.kind == DiskLabelKind::Dos || table_.kind == DiskLabelKind::None)) {
        const DosTable table = Snapshot();
        for (const FreeRegion& r : CPartitionLayout(table, disk_.sectors, kSectorsPerTrack).FreeRegions()) {
            CPartitionItem* item = new CPartitionItem(this, r.start, r.count, r.insideExtended);
            item->Hold();
            free_.push_back(item);
        }
    }
    listed_ = parts_;
    listed_.insert(listed_.end(), free_.begin(), free_.end());
    std::stable_sort(listed_.begin(), listed_.end(),
                     [](const CPartitionItem* a, const CPartitionItem* b) { return a->SortKey() < b->SortKey(); });
}

CPartitionItem* CDiskItem::FindPartition(const IManagerItem* item) const
{
    for (CPartitionItem* p : parts_)
        if (static_cast<const IManagerItem*>(p) == item)
            return p;
    return nullptr;
}

bool CDiskItem::IsWrittenAsListed(const CPartitionItem* item) const
{
    return !retired_ && !dirty_ && std::find(parts_.begin(), parts_.end(), item) != parts_.end();
}

IObject* CDiskItem::GetInterface(const char* key)
{
    VessmarGuard guard(VessmarLock());
    if (IsKeyOf<IManagerItem>(key))
        return static_cast<IManagerItem*>(this);
    if (absent_)
        return nullptr;
    if (IsKeyOf<IDiskEntry>(key))
        return static_cast<IDiskEntry*>(this);
    if (IsKeyOf<IDiskGeometry>(key))
        return static_cast<IDiskGeometry*>(this);
    if (IsKeyOf<IDiskDeviceType>(key))
        return static_cast<IDiskDeviceType*>(this);
    if (IsKeyOf<IPartitionManager>(key))
        return static_cast<IPartitionManager*>(this);
    if (IsKeyOf<IContainer>(key))
        return static_cast<IContainer*>(static_cast<IPartitionManager*>(this));
    if (IsKeyOf<IPartitionManagerParameterCheck>(key))
        return static_cast<IPartitionManagerParameterCheck*>(this);
    if (IsKeyOf<IPartitionTableChainWriter>(key))
        return static_cast<IPartitionTableChainWriter*>(this);
    return nullptr;
}

unsigned long CDiskItem::Release()
{
    VessmarGuard guard(VessmarLock());
    return ReleaseCallerRef();
}

unsigned long CDiskItem::AddRef()
{
    VessmarGuard guard(VessmarLock());
    return AddCallerRef();
}

unsigned long long CDiskItem::GetTotalSectors()
{
    VessmarGuard guard(VessmarLock());
    return disk_.sectors;
}

const char* CDiskItem::GetDeviceName()
{
    VessmarGuard guard(VessmarLock());
    return deviceName_.c_str();
}

const char* CDiskItem::GetModelName()
{
    VessmarGuard guard(VessmarLock());
    return disk_.model.c_str();
}

unsigned long long CDiskItem::GetCylinders()
{
    VessmarGuard guard(VessmarLock());
    const unsigned long long cylinders = disk_.sectors / (kHeads * kSectorsPerTrack);
    return cylinders > 0 ? cylinders : 1;
}

unsigned int CDiskItem::GetDiskType()
{
    VessmarGuard guard(VessmarLock());
    if (table_.kind == DiskLabelKind::Gpt)
        return DISK_TYPE_GPT;
    // A disk that belongs to a dynamic volume set keeps a DOS table whose entry of type
    // 0x42 covers the set's data; its partitions are not the DOS table's to edit.
    if (table_.kind == DiskLabelKind::Dos)
        for (const CPartitionItem* item : parts_)
            if (item->Partition().type == kDynamicSetType)
                return DISK_TYPE_DYNAMIC;
    return DISK_TYPE_BASIC;
}

unsigned long long CDiskItem::GetCount()
{
    VessmarGuard guard(VessmarLock());
    return listed_.size();
}

IIterator* CDiskItem::CreateIterator()
{
    VessmarGuard guard(VessmarLock());
    std::vector<CRefCounted*> owners(listed_.begin(), listed_.end());
    std::vector<IManagerItem*> items(listed_.begin(), listed_.end());
    return new CItemIterator(owners, items);
}

IManagerItem* CDiskItem::CreatePartition(const AddPartitionParam* record, unsigned long)
{
    VessmarGuard guard(VessmarLock());
    if (record == nullptr || !Editable())
        return nullptr;
    const DosTable table = Snapshot();
    Placement placement;
    if (!CPartitionLayout(table, disk_.sectors, kSectorsPerTrack)
             .Place(record->FirstSector, record->LastSector, record->Primary != 0, placement))
        return nullptr;
    DosPartition partition = placement.partition;
    partition.type = record->PartitionType != 0 ? record->PartitionType
                                                : DefaultType(record->FileSystem, record->LastSector);
    if (partition.type > 0xFF || IsExtendedType(partition.type))
        return nullptr;
    // The new partition describes the file system that is planned for it.
    FileSystemInfo planned;
    planned.kind = record->FileSystem <= FILE_SYSTEM_FOREIGN10 ? static_cast<enumFILE_SYSTEM_TYPE>(record->FileSystem)
                                                               : FILE_SYSTEM_OTHER;
    planned.label.assign(record->Name, strnlen(record->Name, sizeof(record->Name)));
    planned.sectorsPerCluster = record->SectorsPerCluster <= 128 ? static_cast<int>(record->SectorsPerCluster) : 0;
    planned.usedSectors = partition.count;
    if (placement.createsExtended)
        table_.extended = placement.extended;
    CPartitionItem* item = new CPartitionItem(this, partition, planned);
    item->SetDriveLetter(record->DriveLetter); // anything but a letter ('*') means none
    item->Hold();
    parts_.push_back(item);
    dirty_ = true;
    Relist();
    return static_cast<IManagerItem*>(item);
}

unsigned long CDiskItem::DeletePartition(IManagerItem* item)
{
    VessmarGuard guard(VessmarLock());
    if (!Editable())
        return KS_RESULT(0, KS_KIND_WRONG_OBJECT);
    CPartitionItem* partition = FindPartition(item);
    if (partition == nullptr)
        return KS_RESULT(0, KS_KIND_BAD_ARGUMENT);
    parts_.erase(std::find(parts_.begin(), parts_.end(), partition));
    dirty_ = true;
    Relist();
    partition->Unhold();
    return 0;
}

unsigned long CDiskItem::DeleteAllPartitions()
{
    VessmarGuard guard(VessmarLock());
    if (retired_ || (table_.kind != DiskLabelKind::Dos && table_.kind != DiskLabelKind::None))
        return KS_RESULT(0, KS_KIND_WRONG_OBJECT);
    std::vector<CPartitionItem*> parts;
    parts.swap(parts_);
    table_.extended = DosExtended();
    bad_ = false; // an empty table is consistent whatever the old one was
    dirty_ = true;
    Relist();
    for (CPartitionItem* p : parts)
        p->Unhold();
    return 0;
}

bool CDiskItem::IsBadDisk()
{
    VessmarGuard guard(VessmarLock());
    return bad_;
}

unsigned long CDiskItem::TestWholeDisk()
{
    VessmarGuard guard(VessmarLock());
    return bad_ ? 1 : 0;
}

unsigned long CDiskItem::CheckItem(IManagerItem* item)
{
    VessmarGuard guard(VessmarLock());
    if (item == nullptr || !Editable())
        return 0;
    const DosTable table = Snapshot();
    const CPartitionLayout layout(table, disk_.sectors, kSectorsPerTrack);
    if (const CPartitionItem* partition = FindPartition(item))
        return layout.CheckPartition(partition->Partition());
    for (const CPartitionItem* space : free_) {
        if (static_cast<const IManagerItem*>(space) == item) {
            FreeRegion region;
            region.start = space->Partition().start;
            region.count = space->Partition().count;
            region.insideExtended = !space->Partition().primary;
            return layout.CheckFree(region);
        }
    }
    return 0;
}

unsigned long CDiskItem::Write()
{
    std::lock_guard<std::mutex> tables(VessmarTableLock());
    VessmarGuard guard(VessmarLock());
    if (!Editable())
        return KS_RESULT(0, KS_KIND_WRONG_OBJECT);
    if (!dirty_)
        return 0;
    DosTable table = Snapshot();
    std::string reason;
    if (!CDosTableWriter::Write(disk_.path, table, kHeads, kSectorsPerTrack, reason))
        return KS_RESULT(0, KS_KIND_BAD_ARGUMENT);
    // Where the extended boot records went decides the hidden sectors from now on.
    const DosTable written = CDosTableReader::Read(disk_.path, kSectorsPerTrack);
    for (CPartitionItem* item : parts_) {
        for (const DosPartition& p : written.partitions)
            if (p.start == item->Partition().start && p.primary == item->Partition().primary)
                item->Partition().slotStart = p.slotStart;
    }
    table_.kind = DiskLabelKind::Dos;
    table_.labelId = written.labelId;
    dirty_ = false;
    Relist();
    return 0;
}

unsigned long CDiskItem::SetActive(CPartitionItem* item, bool active)
{
    if (!Editable() || std::find(parts_.begin(), parts_.end(), item) == parts_.end())
        return KS_RESULT(0, KS_KIND_WRONG_OBJECT);
    if (active && !item->Partition().primary)
        return KS_RESULT(0, KS_KIND_BAD_ARGUMENT); // only a primary partition can start the machine
    if (item->Partition().active == active)
        return 0;
    if (active) {
        for (CPartitionItem* other : parts_)
            other->Partition().active = false; // one active partition per disk
    }
    item->Partition().active = active;
    dirty_ = true;
    return 0;
}

unsigned long CDiskItem::SetPartitionType(CPartitionItem* item, unsigned type)
{
    if (!Editable() || std::find(parts_.begin(), parts_.end(), item) == parts_.end())
        return KS_RESULT(0, KS_KIND_WRONG_OBJECT);
    // 0 would make the partition free space, and a container type would break the chain.
    if (type == 0 || type > 0xFF || IsExtendedType(type))
        return KS_RESULT(0, KS_KIND_BAD_ARGUMENT);
    if (item->Partition().type != type) {
        item->Partition().type = type;
        dirty_ = true;
    }
    return 0;
}
