#include "CRestoreRunPreparer.h"

#include <cstring>

#include "ItemQuery.h"
#include "KSResult.h"
#include "RestoreTargetRecords.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartitionExtendInfoEditor.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionManager.h"

namespace {

// Kinds whose partition type id the device manager cannot choose by itself.
bool KeepsSourceTypeId(uint32_t kind)
{
    return kind >= 7 && kind <= 10;
}

// The item's first try that the device manager finds, or null.
struct FindTry {
    uint64_t first;
    uint64_t count;
    unsigned k;
};

IManagerItem* FindFirst(ITasque* tasque, uint8_t disk, const FindTry* tries, size_t n, unsigned& k,
                        unsigned long& lastCode)
{
    for (size_t i = 0; i < n; ++i) {
        IManagerItem* item = nullptr;
        lastCode = tasque->FindPartition(disk, tries[i].first, tries[i].count, &item);
        if (lastCode == 0 && item != nullptr) {
            k = tries[i].k;
            return item;
        }
    }
    return nullptr;
}

NewPartitionFacts FactsOf(IPartitionEntry* entry)
{
    NewPartitionFacts f;
    if (entry != nullptr) {
        f.start = entry->GetStartSector();
        f.sectors = entry->GetSectorCount();
        f.hidden = entry->GetHiddenSectors();
    }
    return f;
}

// Used sectors of the new partition: the image's figure, not one measured on the
// empty partition.
bool SetUsed(IManagerItem* item, uint64_t used)
{
    auto* editor = QueryItem<IFileSystemPartitionExtendInfoEditor>(item);
    if (editor == nullptr)
        return false;
    editor->SetUsedSectors(used);
    editor->SetUsedSectorsSource(USED_SECTORS_FROM_CALLER);
    return true;
}

void DeactivateOthers(IManagerItem* item)
{
    auto* manager = QueryItem<IPartitionManager>(item->GetParent());
    if (manager == nullptr)
        return;
    IIterator* it = manager->CreateIterator();
    if (it == nullptr)
        return;
    while (IManagerItem* other = it->Next()) {
        auto* entry = QueryItem<IPartitionEntry>(other);
        auto* editor = QueryItem<IPartitionEntryEditor>(other);
        if (entry != nullptr && editor != nullptr && entry->GetPartitionType() != 0)
            editor->SetActive(false);
    }
    it->Release();
}

} // namespace

CRestoreRunPreparer::CRestoreRunPreparer(IRestoreDiskTables& tables, KS_CMD_CALLBACK callback, void* context)
    : tables_(tables), callback_(callback), context_(context)
{
}

void CRestoreRunPreparer::Fail(RestoreRunOutcome& out, unsigned long code, const char* text)
{
    out.ready = false;
    out.failedCode = code != 0 ? code : KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_WRONG_OBJECT);
    out.failedText = text;
    // Every partition edit made so far lives only in the device manager's memory.
    tables_.Refresh();
}

bool CRestoreRunPreparer::Geometry(const RestoreRunRequest& r, uint64_t& spt, uint64_t& spc) const
{
    IManagerItem* parent = r.targetItem->GetParent();
    auto* geometry = QueryItem<IDiskGeometry>(parent != nullptr ? parent : r.targetItem);
    if (geometry == nullptr)
        return false;
    spt = geometry->GetSectorsPerTrack();
    spc = static_cast<uint32_t>(geometry->GetSectorsPerTrack() * geometry->GetTracksPerCylinder());
    return true;
}

RestoreRunOutcome CRestoreRunPreparer::Prepare(const RestoreRunRequest& r)
{
    RestoreRunOutcome out;
    if (r.targetItem == nullptr || r.tasque == nullptr)
        return out; // nothing to restore onto: nothing shown, nothing started
    uint64_t spt = 0, spc = 0;
    if (!Geometry(r, spt, spc)) {
        Fail(out, 0);
        return out;
    }
    if (r.diskRestore)
        RestoreDisk(r, spt, out);
    else if (r.mbrOnly)
        RestoreMBR(r, out);
    else
        RestorePartition(r, spt, out);
    return out;
}

bool CRestoreRunPreparer::Queue(ITasque* tasque, _KS_VOLUME* source, const _RESTORE_INFO& target,
                                unsigned long option, RestoreRunOutcome& out)
{
    tasque->RestoreSetCallBack(callback_, context_);
    const unsigned long code = tasque->AddRestore(source, &target, option);
    if (code != 0) {
        Fail(out, code);
        return false;
    }
    out.queued.push_back(target);
    return true;
}

void CRestoreRunPreparer::RestoreMBR(const RestoreRunRequest& r, RestoreRunOutcome& out)
{
    _KS_VOLUME none;
    std::memset(&none, 0, sizeof none);
    const auto disk = static_cast<uint8_t>(r.targetDisk - 1);
    if (Queue(r.tasque, &none, BootRecordTarget(disk, static_cast<uint8_t>(r.sourceDisk)), 0, out))
        out.ready = true;
}

void CRestoreRunPreparer::RestoreDisk(const RestoreRunRequest& r, uint64_t spt, RestoreRunOutcome& out)
{
    ITasque* tasque = r.tasque;
    const auto n = static_cast<uint8_t>(r.targetDisk - 1);
    IManagerItem* diskItem = nullptr;
    unsigned long code = tasque->GetDiskItem(n, &diskItem);
    if (code != 0 || diskItem == nullptr)
        return Fail(out, code);
    // The old partitions go in memory only; the disk keeps them until the new
    // layout is complete and written.
    code = tasque->DeletePartition(n, ~0ull, 0);
    if (code != 0)
        return Fail(out, code);

    std::vector<_RESTORE_INFO> targets;
    std::vector<unsigned long> options;
    std::vector<_KS_VOLUME*> sources;
    for (size_t i = 0; i < r.plan.size(); ++i) {
        if (i >= r.volumes.size() || r.volumes[i] == nullptr)
            return Fail(out, 0, kDiskTooSmall);
        TagRSPartitionInfo entry = r.plan[i];
        entry.addParam.DriveLetter = RESTORE_INFO_NO_LETTER;
        entry.u8DriveLetter = RESTORE_INFO_NO_LETTER;
        _KS_VOLUME& v = *r.volumes[i];
        code = tasque->AddPartition(n, entry.addParam);
        if (code != 0)
            return Fail(out, code, kDiskTooSmall);

        const uint64_t s = entry.addParam.FirstSector, e = entry.addParam.LastSector;
        IManagerItem* item = nullptr;
        unsigned k = 0;
        if (s != 0 && entry.addParam.Primary == 1) {
            const int64_t m = static_cast<int64_t>(spt) - static_cast<int64_t>(v.PartitionStart);
            const FindTry tries[] = {{s, e - s + 1, 0},
                                     {uint64_t(int64_t(s) + m), uint64_t(int64_t(e - s + 1) - m), 0}};
            item = FindFirst(tasque, n, tries, 2, k, code);
        } else {
            const FindTry tries[] = {{s + spt, e - s - spt + 1, 0}};
            item = FindFirst(tasque, n, tries, 1, k, code);
        }
        if (item == nullptr)
            return Fail(out, code);

        if (KeepsSourceTypeId(entry.addParam.FileSystem))
            if (auto* editor = QueryItem<IPartitionEntryEditor>(item))
                editor->SetPartitionType(entry.u32PartitionType);
        SetUsed(item, static_cast<uint64_t>(entry.s64UseSector));
        if (entry.u8Active != 0)
            if (auto* editor = QueryItem<IPartitionEntryEditor>(item))
                editor->SetActive(true);

        const bool sbs = RestoreSectorBySector(v);
        targets.push_back(
            DiskEntryTarget(n, entry, v, FactsOf(QueryItem<IPartitionEntry>(item)), spt, r.relayout, sbs));
        options.push_back(sbs ? 1 : 0);
        sources.push_back(&v);
    }

    // The engine accepts every item before the disk's table changes: an item it
    // refuses leaves the disk as it was.
    for (size_t i = 0; i < targets.size(); ++i)
        if (!Queue(tasque, sources[i], targets[i], options[i], out))
            return;
    _KS_VOLUME none;
    std::memset(&none, 0, sizeof none);
    if (!Queue(tasque, &none, BootRecordTarget(n, static_cast<uint8_t>(r.sourceDisk)), 0, out))
        return;
    code = tables_.Write(diskItem);
    if (code != 0)
        return Fail(out, code);
    out.ready = true;
}

void CRestoreRunPreparer::RestorePartition(const RestoreRunRequest& r, uint64_t spt, RestoreRunOutcome& out)
{
    ITasque* tasque = r.tasque;
    if (r.volumes.empty() || r.volumes.front() == nullptr)
        return Fail(out, 0);
    _KS_VOLUME& v = *r.volumes.front();
    const auto n = static_cast<uint8_t>(r.targetDisk);
    const AddPartitionParam& p = r.newParams;

    // The partition the earlier pages prepared gives way to the one edited since.
    const uint64_t t = r.targetPartition.StartSector, kCount = r.targetPartition.SectorCount;
    const uint64_t slot = static_cast<uint64_t>(r.newPartitionStart);
    const uint64_t slotSectors = static_cast<uint64_t>(r.newPartitionSectors);
    bool deleted;
    if (!r.makeActive && !r.makePrimary)
        deleted = tasque->DeletePartition(n, t + spt, kCount - spt) == 0;
    else if (t == 0)
        deleted = tasque->DeletePartition(n, spt, kCount - spt) == 0;
    else
        deleted = tasque->DeletePartition(n, t, kCount) == 0;
    // The record may describe the partition as edited since; the slot the restore
    // mode page made it in is known.
    if (!deleted && tasque->DeletePartition(n, slot + spt, slotSectors - spt) != 0)
        tasque->DeletePartition(n, slot, slotSectors);

    const unsigned long addCode = tasque->AddPartition(n, p);
    const uint64_t s = p.FirstSector, length = p.LastSector - p.FirstSector + 1;
    const FindTry tries[] = {{s, length, 0},
                             {s + spt, length, 1},
                             {s + spt, length - spt, 1},
                             {s, length + spt, 0},
                             {s + 2 * spt, length, 2},
                             {s + 2 * spt, length - 2 * spt, 2}};
    unsigned k = 0;
    unsigned long code = 0;
    IManagerItem* item = FindFirst(tasque, n, tries, 6, k, code);
    if (item == nullptr)
        return Fail(out, addCode != 0 ? addCode : code);

    if (KeepsSourceTypeId(p.FileSystem))
        if (auto* editor = QueryItem<IPartitionEntryEditor>(item))
            editor->SetPartitionType(v.PartitionType);
    if (!SetUsed(item, v.UsedSectors))
        return Fail(out, 0);
    out.newTargetItem = item;
    if (r.makeActive) {
        DeactivateOthers(item);
        if (auto* editor = QueryItem<IPartitionEntryEditor>(item))
            editor->SetActive(true);
    }

    PartitionTargetInput in;
    in.disk = n;
    in.first = s + k * spt;
    in.created = FactsOf(QueryItem<IPartitionEntry>(item));
    in.countWholeVolume = (s == 0 || p.Primary != 1) && r.sectorBySector;
    in.kind = p.FileSystem;
    in.driveLetter = r.targetPartition.DriveLetter;
    in.makeActive = r.makeActive;
    in.makePrimary = r.makePrimary;
    const _RESTORE_INFO target = PartitionTarget(in, v);

    // The engine accepts the item before the disk's table changes: an item it refuses
    // leaves the disk as it was.
    if (!Queue(tasque, &v, target, r.sectorBySector ? 1 : 0, out))
        return;
    IManagerItem* disk = item->GetParent();
    code = tables_.Write(disk);
    if (code != 0)
        return Fail(out, code);
    out.ready = true;
}
