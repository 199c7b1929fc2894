#include "CTargetPartitionPageLogic.h"

#include <cstring>

#include "CLogWriter.h"
#include "DiscMountPath.h"
#include "ITasque.h"
#include "IWizard.h"
#include "ItemQuery.h"
#include "MessageBoxContents.h"
#include "PartitionRules.h"
#include "RecoveryEnv.h"
#include "RestorePagePosition.h"
#include "TagRestoreInfo.h"
#include "TargetItemLookup.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManagerParameterCheck.h"

CTargetPartitionPageLogic::CTargetPartitionPageLogic(IWizard* wizard, PageMessage message)
    : wizard_(wizard), message_(std::move(message))
{
}

void CTargetPartitionPageLogic::InitPage()
{
    wizard_->EnableNextBtn(wizard_->GetParam()->bTargetUsable != 0 ? 1 : 0);
}

TargetPartitionFacts CTargetPartitionPageLogic::ReadTarget(int disk, int partition, IManagerItem*& item)
{
    TargetPartitionFacts f;
    item = nullptr;
    TagRestoreInfo* info = wizard_->GetParam();
    ITasque* tasque = info->pTasque;
    f.diskIndex = disk;
    f.diskRow = partition < 0;
    if (f.diskRow || tasque == nullptr || disk < 0)
        return f;
    if (tasque->EnumGetPartitionInfo(disk, partition, &f.record) != 0)
        return f;
    item = FindTargetItem(tasque, static_cast<uint8_t>(disk), f.record.StartSector, f.record.SectorCount);
    auto* entry = QueryItem<IPartitionEntry>(item);
    if (entry == nullptr) {
        item = nullptr;
        return f;
    }
    f.itemFound = true;
    f.itemStart = entry->GetStartSector();
    f.itemSectors = entry->GetSectorCount();
    f.itemPrimary = entry->IsPrimary();
    f.itemType = entry->GetPartitionType();
    IManagerItem* previous = nullptr;
    IManagerItem* next = nullptr;
    FindPreAndNextItem(&previous, &next, item);
    if (auto* p = QueryItem<IPartitionEntry>(previous))
        if (p->GetPartitionType() == 0)
            f.freeBefore = p->GetSectorCount();
    if (auto* n = QueryItem<IPartitionEntry>(next))
        if (n->GetPartitionType() == 0)
            f.freeAfter = n->GetSectorCount();
    f.firstAndLogical = IsFirstAndLogicalPartition(item);

    int imageDisk = -1;
    if (IPartitionEntry* self = GetSelfPartition(info->szImagePath, imageDisk)) {
        f.imageOnPartition = true;
        f.imageDiskIndex = imageDisk;
        f.imagePartitionStart = self->GetStartSector();
    }
    f.imageOnDiscMount = IsOnDiscMount(info->szImagePath);
    f.imageOnCdromPath = IsCdromImagePath(info->szImagePath);
    f.badRange = tasque->IsBadDisk(static_cast<uint8_t>(disk), f.record.StartSector,
                                   f.record.StartSector + f.record.SectorCount - 1) != 0;
    tasque->EnumGetDiskInfo(disk, &f.disk);
    f.offline = IsOfflineDisk(disk, tasque);
    IManagerItem* parent = item->GetParent();
    if (auto* geometry = QueryItem<IDiskGeometry>(parent)) {
        f.sectorsPerTrack = geometry->GetSectorsPerTrack();
        f.tracksPerCylinder = geometry->GetTracksPerCylinder();
    }
    if (auto* check = QueryItem<IPartitionManagerParameterCheck>(parent))
        f.checkFlags = check->CheckItem(item);
    if (const _KS_VOLUME* v = info->FirstVolume())
        f.volume = *v;
    f.sectorBySector = info->bSectorBySector != 0;
    return f;
}

bool CTargetPartitionPageLogic::TargetTooSmall(int disk, int partition)
{
    if (wizard_->GetParam()->FirstVolume() == nullptr)
        return false;
    IManagerItem* item = nullptr;
    return CTargetPartitionRules::TooSmall(ReadTarget(disk, partition, item));
}

void CTargetPartitionPageLogic::Refuse(const TargetPartitionVerdict& verdict)
{
    if (!verdict.logReason.empty())
        CLogWriter::Log("Can not select reason : %s", verdict.logReason.c_str());
    wizard_->EnableNextBtn(0);
    wizard_->GetParam()->bTargetUsable = 0;
}

void CTargetPartitionPageLogic::RowChanged(int disk, int partition)
{
    TagRestoreInfo* info = wizard_->GetParam();
    IManagerItem* item = nullptr;
    const TargetPartitionFacts facts = ReadTarget(disk, partition, item);
    info->pTargetItem = item;
    info->llFreeSectorsBefore = static_cast<int64_t>(facts.freeBefore);
    info->llFreeSectorsAfter = static_cast<int64_t>(facts.freeAfter);
    info->llFreeStartBefore = 0;
    if (facts.freeBefore != 0 && item != nullptr) {
        IManagerItem* previous = nullptr;
        IManagerItem* next = nullptr;
        FindPreAndNextItem(&previous, &next, item);
        if (auto* p = QueryItem<IPartitionEntry>(previous))
            info->llFreeStartBefore = static_cast<int64_t>(p->GetStartSector());
    }
    const TargetPartitionVerdict verdict = CTargetPartitionRules::Judge(facts);
    if (!verdict.usable)
        return Refuse(verdict);
    wizard_->EnableNextBtn(1);
    info->bTargetUsable = 1;
}

bool CTargetPartitionPageLogic::OnNextClicked(int disk, int partition)
{
    TagRestoreInfo* info = wizard_->GetParam();
    if (info->pTasque == nullptr || partition < 0 || info->bTargetUsable == 0)
        return false;
    __PARTITION_INFO_CMD record{};
    if (info->pTasque->EnumGetPartitionInfo(disk, partition, &record) != 0)
        return false;
    if ((record.Flags & (KS_PART_FLAG_BOOT_A | KS_PART_FLAG_BOOT_B)) != 0) {
        if (message_)
            message_("Warning", GTK_MB_ICON_WARNING, GTK_MB_OK, kCannotLock);
        return false;
    }
    const _KS_VOLUME* v = info->FirstVolume();
    if (v != nullptr && (v->Flags & (KS_VOLFLAG_PART_BIT1 | KS_VOLFLAG_PART_BIT2)) != 0 &&
        v->PartitionStart != record.StartSector) {
        if (!message_ || message_("Warning", GTK_MB_ICON_QUESTION, GTK_MB_YESNO, kCannotBoot) != 0)
            return false;
    }
    info->targetPartition = record;
    info->nTargetDisk = static_cast<uint32_t>(disk);
    info->bMakePrimary = record.Primary;
    AddPartitionParam& p = info->selectedTarget;
    std::memset(&p, 0, sizeof p);
    p.FileSystem = record.FileSystemType;
    p.FirstSector = record.StartSector;
    p.LastSector = record.StartSector + record.SectorCount - 1;
    std::memcpy(p.Name, record.VolumeLabel, sizeof record.VolumeLabel);
    p.DriveLetter = record.DriveLetter;
    p.Primary = record.Primary;
    p.SectorsPerCluster = record.SectorsPerCluster;
    p.PartitionType = 0;
    info->nLastPage = RESTORE_PAGE_TARGET_PARTITION;
    _KS_DISK_INFO diskInfo{};
    info->pTasque->EnumGetDiskInfo(disk, &diskInfo);
    if (v != nullptr)
        CLogWriter::Log("SrcDiskInfo: Head: %d, Track: %d, BytePerSector: %d", int(v->Heads), int(v->SectorsPerTrack),
                        int(v->BytesPerSector));
    CLogWriter::Log("TargetDiskInfo: Head: %d, Track: %d, BytePerSector: %d", int(diskInfo.TracksPerCylinder),
                    int(diskInfo.SectorsPerTrack), int(diskInfo.BytesPerSector));
    wizard_->OnNext();
    return true;
}
