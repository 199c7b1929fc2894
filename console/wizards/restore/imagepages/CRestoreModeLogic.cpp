#include "CRestoreModeLogic.h"

#include <cstring>

#include "ITasque.h"
#include "IWizard.h"
#include "IWizardMessages.h"
#include "ItemQuery.h"
#include "PartitionRules.h"
#include "RestorePagePosition.h"
#include "TagRestoreInfo.h"
#include "layout/PartitionSlot.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartitionExtendInfoEditor.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionManagerParameterCheck.h"

namespace {

template <class I>
I* Ask(IObject* object)
{
    return object ? object->GetInterfaceT<I>(MomGetTypeNameT<I>()) : nullptr;
}

RestoreModeChoices PrimaryKinds(const RestoreModeTarget& t, RestoreModeChoices c)
{
    c.activeSensitive = c.primarySensitive = true;
    c.logicalSensitive = false;
    c.selected = t.active ? RestoreKind::Active : RestoreKind::Primary;
    return c;
}

RestoreModeChoices AllKinds(const RestoreModeTarget& t, RestoreModeChoices c)
{
    c.activeSensitive = c.primarySensitive = c.logicalSensitive = true;
    c.selected = t.active ? RestoreKind::Active : t.primary ? RestoreKind::Primary : RestoreKind::Logical;
    return c;
}

} // namespace

bool CRestoreModeLogic::RoomForLogical(uint64_t targetSectors, int64_t freeBefore, int64_t freeAfter,
                                       bool firstLogical, uint64_t cylinder)
{
    double mb = double((int64_t(targetSectors) + freeBefore + freeAfter) * 10) / 2048.0 / 10.0;
    if (firstLogical)
        mb -= double(cylinder * 10) / 2048.0 / 10.0 + 0.1;
    return mb >= 2.5609375;
}

bool CRestoreModeLogic::SpaceTestPasses(const RestoreModeTarget& t, const _KS_VOLUME& v, bool sectorBySector)
{
    const uint64_t used = v.UsedSectors;
    const uint64_t total = v.TotalSectors;
    if (t.firstSector <= t.cylinder && t.available < used + t.cylinder)
        return false;
    if (!sectorBySector && t.primary && t.available < used + t.sectorsPerTrack)
        return false;
    if (sectorBySector && t.primary && t.available < total + t.sectorsPerTrack)
        return false;
    return true;
}

RestoreModeChoices CRestoreModeLogic::Decide(const RestoreModeTarget& t, const _KS_VOLUME& v, bool sectorBySector,
                                             const RestoreModeChoices& current)
{
    const unsigned long f = t.checkFlags;
    const bool primaryPossible = (f & CHECK_ITEM_PRIMARY_POSSIBLE) != 0;
    const bool logicalPossible = (f & CHECK_ITEM_LOGICAL_POSSIBLE) != 0;
    const bool spaceTest = (f & CHECK_ITEM_SPACE_TEST) != 0;
    RestoreModeChoices c = current;
    if (!primaryPossible) {
        if (logicalPossible && t.roomForLogical) {
            c.activeSensitive = c.primarySensitive = false;
            c.logicalSensitive = true;
            c.selected = RestoreKind::Logical;
        }
    } else if (!logicalPossible) {
        c = PrimaryKinds(t, c);
    } else if (!spaceTest) {
        c = t.roomForLogical ? AllKinds(t, c) : PrimaryKinds(t, c);
    } else {
        c = t.roomForLogical && SpaceTestPasses(t, v, sectorBySector) ? AllKinds(t, c) : PrimaryKinds(t, c);
    }
    // A sector-by-sector copy of a primary volume that lay beyond the first cylinder
    // keeps its offsets: it cannot become logical where the room is that tight.
    if (sectorBySector && (v.Flags & KS_VOLFLAG_PRIMARY) != 0) {
        const bool farStart = uint64_t(v.PartitionStart) > t.cylinder;
        if (farStart && (!t.primary || t.firstSector <= t.cylinder) &&
            uint64_t(v.TotalSectors) + t.cylinder >= t.available) {
            c.logicalSensitive = false;
            if (c.selected == RestoreKind::Logical)
                c.nextEnabled = false;
        }
    }
    return c;
}

bool CRestoreModeLogic::InitPage(RestoreModeChoices& choices)
{
    TagRestoreInfo* info = wizard_.GetParam();
    if (info->pTargetItem == nullptr || info->nLastPage != RESTORE_PAGE_TARGET_PARTITION)
        return false;
    const _KS_VOLUME* v = info->FirstVolume();
    IManagerItem* disk = info->pTargetItem->GetParent();
    IDiskGeometry* geometry = Ask<IDiskGeometry>(disk);
    IPartitionManagerParameterCheck* check = Ask<IPartitionManagerParameterCheck>(disk);
    if (v == nullptr || geometry == nullptr)
        return false;
    RestoreModeTarget t;
    t.sectorsPerTrack = geometry->GetSectorsPerTrack();
    t.cylinder = uint64_t(geometry->GetTracksPerCylinder()) * t.sectorsPerTrack;
    t.checkFlags = check ? check->CheckItem(info->pTargetItem) : 0;
    const uint64_t sectors = info->targetPartition.SectorCount;
    t.roomForLogical = RoomForLogical(sectors, info->llFreeSectorsBefore, info->llFreeSectorsAfter,
                                      IsFirstAndLogicalPartition(info->pTargetItem), t.cylinder);
    t.available = sectors + uint64_t(info->llFreeSectorsBefore) + uint64_t(info->llFreeSectorsAfter);
    t.firstSector = info->targetPartition.StartSector;
    t.primary = info->targetPartition.Primary == 1;
    t.active = (info->targetPartition.Flags & KS_PART_FLAG_ACTIVE) != 0;
    choices = Decide(t, *v, info->bSectorBySector != 0, choices);
    wizard_.EnableNextBtn(choices.nextEnabled ? 1 : 0);
    return true;
}

void CRestoreModeLogic::SetKind(RestoreKind kind)
{
    TagRestoreInfo* info = wizard_.GetParam();
    info->bMakeActive = kind == RestoreKind::Active ? 1 : 0;
    info->bMakePrimary = kind == RestoreKind::Primary ? 1 : 0;
}

int CRestoreModeLogic::UpDate()
{
    TagRestoreInfo* info = wizard_.GetParam();
    const _KS_VOLUME* v = info->FirstVolume();
    IManagerItem* disk = info->pTargetItem ? info->pTargetItem->GetParent() : nullptr;
    IDiskGeometry* geometry = Ask<IDiskGeometry>(disk);
    if (info->pTargetItem == nullptr || disk == nullptr || v == nullptr || geometry == nullptr)
        return -1;
    ITasque* tasque = info->pTasque;
    const uint8_t diskNumber = static_cast<uint8_t>(info->nTargetDisk);
    const enumFILE_SYSTEM_TYPE fs = GetFileSysTypeFromVoltype(v->FileSystem);
    const int64_t T = geometry->GetSectorsPerTrack();
    const int64_t CYL = int64_t(geometry->GetTracksPerCylinder()) * T;
    const __PARTITION_INFO_CMD& target = info->targetPartition;
    const bool unallocated = target.PartitionType == 0;
    const bool logical = !info->bMakeActive && !info->bMakePrimary;
    const int64_t first = int64_t(target.StartSector);
    const int64_t count = int64_t(target.SectorCount);
    // The room before the target's data in its slot, and the source's slot: a
    // primary's hidden sectors count from sector 0, its slot from its first sector.
    const uint64_t targetSlotFirst = PartitionSlotFirst(target.Primary != 0, uint64_t(first), target.HiddenSectors, uint64_t(T));
    const int64_t hidden = unallocated ? 0 : first - int64_t(targetSlotFirst);
    const int64_t sourceSlotFirst = int64_t(VolumeSlotFirst(*v));

    int64_t S = first - hidden;
    if (info->llFreeSectorsBefore != 0 && (v->Flags & KS_VOLFLAG_PART_BIT2) == 0)
        S = info->llFreeStartBefore;
    if (logical && S < CYL)
        S = CYL;
    if (S < T)
        S = T;
    if (sourceSlotFirst == 2048 && first < CYL && !logical)
        S = 2048;
    const int64_t available = count + info->llFreeSectorsBefore + hidden + info->llFreeSectorsAfter;
    // An NTFS volume keeps the copy of its boot sector in the sector after its last
    // one: the partition holds that sector too, or the checkers refuse the volume.
    const int64_t needed = int64_t(VolumeSlotLength(*v)) + (fs == FILE_SYSTEM_NTFS ? 1 : 0);
    int64_t E = available < needed ? S + count + hidden - 1 : S + needed - 1;
    if (logical && (v->Flags & (KS_VOLFLAG_PRIMARY | KS_VOLFLAG_ACTIVE)) != 0)
        E += T;
    if (first + count + info->llFreeSectorsAfter < E)
        E = first + count - 1;

    AddPartitionParam p{};
    p.FileSystem = fs;
    std::memcpy(p.Name, target.VolumeLabel, std::min(sizeof(p.Name) - 1, sizeof(target.VolumeLabel)));
    p.DriveLetter = target.DriveLetter;
    p.Primary = logical ? 0 : 1;
    p.SectorsPerCluster = v->SectorsPerCluster;
    p.PartitionType = 0;
    auto add = [&](int64_t s, int64_t e) {
        p.FirstSector = uint64_t(s);
        p.LastSector = uint64_t(e);
        return s >= 0 && e >= s && tasque->AddPartition(diskNumber, p) == 0;
    };

    if (!unallocated) {
        const uint64_t selFirst = info->selectedTarget.FirstSector;
        const uint64_t selLast = info->selectedTarget.LastSector;
        if (tasque->DeletePartition(diskNumber, selFirst, selLast - selFirst + 1) != 0)
            tasque->DeletePartition(diskNumber, selFirst + uint64_t(T), selLast - selFirst + 1 - uint64_t(T));
    }
    bool made = add(S, E);
    if (!made) {
        E -= T;
        if (int64_t(v->SectorsPerTrack) == T)
            S -= T;
        else
            S -= int64_t(v->PartitionStartLow) - sourceSlotFirst;
        made = add(S, E);
    }
    if (!made) {
        S += 2 * int64_t(v->SectorsPerTrack);
        E += 2 * int64_t(v->SectorsPerTrack);
        made = add(S, E);
    }
    if (!made) {
        messages_.Show("Error", 3, 0, kLayoutRefused);
        wizard_.DestoryDlg();
        return -1;
    }
    info->newPartition = p;
    info->llNewPartitionStart = S;
    info->llNewPartitionSectors = E - S + 1;

    const int64_t own = (S == 0 || logical) ? S + T : S;
    IManagerItem* item = nullptr;
    if (tasque->FindPartition(diskNumber, uint64_t(own), uint64_t(E - own + 1), &item) != 0 || item == nullptr)
        return -1;
    if (fs == FILE_SYSTEM_OTHER || fs == FILE_SYSTEM_FOREIGN8 || fs == FILE_SYSTEM_BITLOCKER ||
        fs == FILE_SYSTEM_FOREIGN10) {
        if (IPartitionEntryEditor* editor = Ask<IPartitionEntryEditor>(item))
            editor->SetPartitionType(v->PartitionType);
    }
    if (IFileSystemPartitionExtendInfoEditor* extend = Ask<IFileSystemPartitionExtendInfoEditor>(item)) {
        extend->SetUsedSectors(v->UsedSectors);
        extend->SetUsedSectorsSource(USED_SECTORS_FROM_CALLER);
    }
    if (info->bMakeActive) {
        if (IPartitionEntryEditor* editor = Ask<IPartitionEntryEditor>(item))
            editor->SetActive(true);
    }
    info->pTargetItem = item;
    return 0;
}

void CRestoreModeLogic::OnNextClicked(RestoreKind kind)
{
    SetKind(kind);
    if (UpDate() != 0)
        return;
    wizard_.GetParam()->nLastPage = RESTORE_PAGE_RESTORE_MODE;
    wizard_.OnNext();
}
