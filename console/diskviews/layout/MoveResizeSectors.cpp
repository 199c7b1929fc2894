// The end of a move/resize edit: the MB layout turned into a cylinder-aligned sector
// range and, when asked, into a re-created partition of the device manager.
#include <cstdlib>
#include <cstring>

#include "CCHSLBAConvertor.h"
#include "CMoveResizeManager.h"
#include "Clusta.h"
#include "ItemQuery.h"
#include "LayoutAssert.h"
#include "MegaBytes.h"
#include "PartitionRules.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IFileSystemPartitionExtendInfoEditor.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionManager.h"

namespace {
// Moves and size changes smaller than these are noise of the MB arithmetic.
const int64_t kNegligibleSectors = 206;
const int64_t kNegligibleResize = 20480;

struct DiskShape {
    uint32_t heads;
    uint32_t sectorsPerTrack;
    int64_t lastSector;
};

DiskShape ShapeOf(IManagerItem* item)
{
    IManagerItem* disk = item->GetParent();
    IDiskGeometry* geometry = QueryItem<IDiskGeometry>(disk);
    IDiskEntry* entry = QueryItem<IDiskEntry>(disk);
    LAYOUT_ASSERT(geometry != nullptr && entry != nullptr, "__null != pDiskGeometry", kMoveResizeSource);
    return {geometry->GetTracksPerCylinder(), geometry->GetSectorsPerTrack(),
            static_cast<int64_t>(entry->GetTotalSectors()) - 1};
}

IPartitionEntry* EntryOf(IManagerItem* item)
{
    IPartitionEntry* pEntry = QueryItem<IPartitionEntry>(item);
    LAYOUT_ASSERT(nullptr != pEntry, "__null != pEntry", kMoveResizeSource);
    return pEntry;
}
}  // namespace

bool CMoveResizeManager::CorrectStartAndEndSector(IManagerItem* item, unsigned long long first,
                                                  unsigned long long last, unsigned long long& outFirst,
                                                  unsigned long long& outLast)
{
    IPartitionEntry* entry = EntryOf(item);
    const DiskShape disk = ShapeOf(item);
    const uint32_t h = disk.heads, s = disk.sectorsPerTrack;
    IFileSystemPartition* fsPart = QueryItem<IFileSystemPartition>(item);
    bool foreign = false;
    if (fsPart != nullptr) {
        const enumFILE_SYSTEM_TYPE fs = fsPart->GetFileSystemType();
        foreign = fs != FILE_SYSTEM_FAT16 && fs != FILE_SYSTEM_FAT32 && fs != FILE_SYSTEM_NTFS;
    }
    const int64_t f = static_cast<int64_t>(first), l = static_cast<int64_t>(last);
    int64_t length = l - f + 1;
    if (!entry->IsPrimary() || f == static_cast<int64_t>(s))
        length -= s;
    const int64_t curFirst = static_cast<int64_t>(entry->GetStartSector());
    const int64_t curCount = static_cast<int64_t>(entry->GetSectorCount());
    const int64_t curLast = curFirst + curCount - 1;
    int64_t newFirst, newLast;
    if (length == curCount) {
        if (f + static_cast<int64_t>(s) < curFirst) {
            newFirst = CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionStartSector(h, s, f);
            newLast = foreign ? newFirst + (l - f) : CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionEndSector(h, s, l);
        } else {
            newFirst = CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionStartSector(h, s, f);
            newLast = foreign ? newFirst + (l - f) : CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionEndSector(h, s, l);
        }
    } else {
        const int64_t hidden = static_cast<int64_t>(entry->GetHiddenSectors());
        if (f + hidden == curFirst)
            newFirst = f;
        else if (f + hidden < curFirst)
            newFirst = CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionStartSector(h, s, f);
        else
            newFirst = CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionStartSector(h, s, f);
        if (l == curLast)
            newLast = l;
        else if (l < curLast)
            newLast = CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionEndSector(h, s, l);
        else
            newLast = CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionEndSector(h, s, l);
    }
    if (newFirst < 0 || newLast < 0 || newFirst > disk.lastSector || newLast > disk.lastSector || newLast < newFirst)
        return false;
    outFirst = static_cast<unsigned long long>(newFirst);
    outLast = static_cast<unsigned long long>(newLast);
    return true;
}

bool CMoveResizeManager::GetNewClusterAndUsedSectorWithPartitionSizeAndFileSystem(IManagerItem* item,
                                                                                  unsigned long long newSectors,
                                                                                  enumFILE_SYSTEM_TYPE fs,
                                                                                  unsigned long& cluster,
                                                                                  unsigned long long& used)
{
    IPartitionEntry* entry = EntryOf(item);
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(item);
    IFileSystemPartition* fsPart = QueryItem<IFileSystemPartition>(item);
    LAYOUT_ASSERT(info != nullptr && fsPart != nullptr, "__null != pFileSystemPartitionExtendInfo", kMoveResizeSource);
    const unsigned long long itemUsed = info->GetUsedSectors();
    const int itemCluster = info->GetSectorsPerCluster();
    if (fs == FILE_SYSTEM_FAT12 || fs == FILE_SYSTEM_FAT16 || fs == FILE_SYSTEM_FAT32) {
        cluster = ClusterSizeFor(fs, SectorsToMB(newSectors));
        used = GetFatTotalUsedSector(static_cast<uint32_t>(fsPart->GetFileSystemType()), static_cast<uint32_t>(fs),
                                     static_cast<uint32_t>(entry->GetSectorCount()), static_cast<uint32_t>(newSectors),
                                     static_cast<uint32_t>(itemCluster), static_cast<uint32_t>(cluster),
                                     static_cast<uint32_t>(itemUsed), info->GetReservedSectors());
        if (!m_dataMarginSmall && newSectors < used + used / 20)
            return false;
    } else {
        cluster = static_cast<unsigned long>(itemCluster);
        used = itemUsed;
        if (fs == FILE_SYSTEM_NTFS && !m_dataMarginSmall && newSectors < entry->GetSectorCount() &&
            newSectors < used + used / 20)
            return false;
    }
    // Whatever margin the caller chose, the final extent must hold the data.
    if ((fs <= FILE_SYSTEM_NTFS) && newSectors < used)
        return false;
    return true;
}

bool CMoveResizeManager::GetCorrectedParam(IManagerItem* item, MOVE_RESIZE_OPERATION_PARAM in,
                                           MOVE_RESIZE_OPERATION_PARAM& out)
{
    IPartitionEntry* entry = EntryOf(item);
    const DiskShape disk = ShapeOf(item);
    const bool primary = entry->IsPrimary();
    unsigned long long first = in.u64FirstSector;
    if (primary && first == disk.sectorsPerTrack)
        first = 0;
    else if (!primary)
        first -= disk.sectorsPerTrack;
    unsigned long long newFirst = 0, newLast = 0;
    if (!CorrectStartAndEndSector(item, first, in.u64LastSector, newFirst, newLast))
        return false;
    enumFILE_SYSTEM_TYPE fs = static_cast<enumFILE_SYSTEM_TYPE>(in.fileSystem);
    if (!IfNewPartitionSizeSurrportFileSystem(newLast - newFirst + 1, fs))
        return false;
    if (!primary)
        newFirst += disk.sectorsPerTrack;
    else if (newFirst == 0)
        newFirst = disk.sectorsPerTrack;
    out.fileSystem = static_cast<uint32_t>(fs);
    out.u64FirstSector = newFirst;
    out.u64LastSector = newLast;
    unsigned long cluster = in.u32SectorsPerCluster;
    unsigned long long used = 0;
    const bool accepted =
        GetNewClusterAndUsedSectorWithPartitionSizeAndFileSystem(item, newLast - newFirst + 1, fs, cluster, used);
    out.u32SectorsPerCluster = static_cast<uint32_t>(cluster);
    return accepted;
}

void CMoveResizeManager::DropEdit()
{
    RestoreInitial();
    m_needCorrect = false;
    m_correctedBefore = m_correctedSize = m_correctedAfter = 0;
    if (m_pAllDiskPanel != nullptr) {
        MOVERESIZE_MANAGER_PARAM param{};
        GetOutParam(param);
        m_pAllDiskPanel->UpdatePanel(param);
    }
}

bool CMoveResizeManager::BuildSectors(MOVE_RESIZE_OPERATION_PARAM& out)
{
    LAYOUT_ASSERT(nullptr != m_pCurPartitionItem, "__null != m_pCurPartitionItem", kMoveResizeSource);
    if (m_needCorrect) {
        m_before = m_correctedBefore;
        m_size = m_correctedSize;
        m_after = m_correctedAfter;
    }
    IPartitionEntry* entry = EntryOf(m_pCurPartitionItem);
    const DiskShape disk = ShapeOf(m_pCurPartitionItem);
    const bool primary = entry->IsPrimary();
    const int64_t s = disk.sectorsPerTrack;
    const int64_t curFirst = static_cast<int64_t>(entry->GetStartSector());
    const int64_t curCount = static_cast<int64_t>(entry->GetSectorCount());
    const int64_t curLast = curFirst + curCount - 1;
    const int64_t hidden = static_cast<int64_t>(entry->GetHiddenSectors());
    const int64_t beforeSectors = static_cast<int64_t>(MBToSectors(m_before));

    int64_t first;
    IPartitionEntry* previous = QueryItem<IPartitionEntry>(m_pPreItem);
    if (m_pPreItem == nullptr)
        first = beforeSectors + (primary ? s : 0);
    else if (previous != nullptr && previous->GetPartitionType() == 0)
        first = static_cast<int64_t>(previous->GetStartSector()) + beforeSectors;
    else
        first = beforeSectors + (curFirst - hidden);
    if (primary && first == 0)
        first = s;
    else if (!primary)
        first += hidden;
    if (std::llabs(first - curFirst) < kNegligibleSectors)
        first = curFirst;

    const int64_t newCount = static_cast<int64_t>(MBToSectors(m_size));
    int64_t last = std::llabs(curCount - newCount) < kNegligibleSectors ? first + curCount - 1 : first + newCount - 1;
    if (std::llabs(last - curLast) < kNegligibleSectors)
        last = curLast;
    if (last > disk.lastSector)
        last = disk.lastSector;

    if (first == curFirst && last == curLast)
        return false;
    if (first == curFirst && std::llabs((last - first + 1) - curCount) < kNegligibleResize) {
        DropEdit();
        return false;
    }
    MOVE_RESIZE_OPERATION_PARAM in{};
    in.fileSystem = static_cast<uint32_t>(m_fileSystem);
    in.u32SectorsPerCluster = m_sectorsPerCluster;
    in.u64FirstSector = static_cast<uint64_t>(first);
    in.u64LastSector = static_cast<uint64_t>(last);
    out = in;
    if (!GetCorrectedParam(m_pCurPartitionItem, in, out) ||
        (static_cast<int64_t>(out.u64FirstSector) == curFirst && static_cast<int64_t>(out.u64LastSector) == curLast)) {
        DropEdit();
        return false;
    }
    return true;
}

bool CMoveResizeManager::AddOperation()
{
    MOVE_RESIZE_OPERATION_PARAM out{};
    BuildSectors(out);
    return false;
}

void CMoveResizeManager::GetAddPartitionParamInfo(AddPartitionParam& param, IManagerItem* item)
{
    IPartitionEntry* pEntry = EntryOf(item);
    std::memset(&param, 0, sizeof(param));
    IFileSystemPartition* fsPart = QueryItem<IFileSystemPartition>(item);
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(item);
    param.FileSystem = fsPart != nullptr ? static_cast<uint32_t>(fsPart->GetFileSystemType())
                                       : static_cast<uint32_t>(FILE_SYSTEM_OTHER);
    param.FirstSector = pEntry->GetStartSector() - pEntry->GetHiddenSectors();
    param.LastSector = pEntry->GetStartSector() + pEntry->GetSectorCount() - 1;
    param.Primary = pEntry->IsPrimary() ? 1 : 0;
    if (fsPart != nullptr && fsPart->GetVolumeLabel() != nullptr)
        std::strncpy(param.Name, fsPart->GetVolumeLabel(), sizeof(param.Name) - 1);
    const int cluster = info != nullptr ? info->GetSectorsPerCluster() : 0;
    param.SectorsPerCluster = cluster > 0 ? static_cast<uint32_t>(cluster) : 0;
}

namespace {
// Gives a freshly created partition the attributes the old one had.
void RestoreAttributes(IManagerItem* item, bool restoreType, unsigned int type, bool active, unsigned long long used)
{
    IPartitionEntryEditor* editor = QueryItem<IPartitionEntryEditor>(item);
    if (editor != nullptr && restoreType)
        editor->SetPartitionType(type);
    if (editor != nullptr && active)
        editor->SetActive(true);
    IFileSystemPartitionExtendInfoEditor* usedEditor = QueryItem<IFileSystemPartitionExtendInfoEditor>(item);
    if (usedEditor != nullptr) {
        usedEditor->SetUsedSectors(used);
        usedEditor->SetUsedSectorsSource(USED_SECTORS_FROM_CALLER);
    }
}
}  // namespace

bool CMoveResizeManager::UpdateManagerItem()
{
    MOVE_RESIZE_OPERATION_PARAM out{};
    if (!BuildSectors(out))
        return false;
    IManagerItem* item = m_pCurPartitionItem;
    IPartitionEntry* entry = EntryOf(item);
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(item);
    LAYOUT_ASSERT(nullptr != info, "__null != pFileSystemPartitionExtendInfo", kMoveResizeSource);
    AddPartitionParam old;
    GetAddPartitionParamInfo(old, item);
    const unsigned long long used = info->GetUsedSectors();
    const unsigned int type = entry->GetPartitionType();
    const bool active = entry->IsActive();
    const uint32_t s = ShapeOf(item).sectorsPerTrack;
    IPartitionManager* disk = QueryItem<IPartitionManager>(item->GetParent());
    LAYOUT_ASSERT(nullptr != disk, "__null != pPartitionManager", kMoveResizeSource);
    if (disk->DeletePartition(item) != 0)
        return false;

    AddPartitionParam record;
    std::memcpy(&record, &old, sizeof(record));
    record.FileSystem = out.fileSystem;
    record.SectorsPerCluster = out.u32SectorsPerCluster;
    record.FirstSector = old.Primary ? out.u64FirstSector : out.u64FirstSector - s;
    record.LastSector = out.u64LastSector;
    record.PartitionType = 0;
    IManagerItem* created = disk->CreatePartition(&record, 0);
    if (created == nullptr) {
        // The device manager refused the new extent: put the old partition back, with
        // its type, boot flag and used sectors, so that the next table write keeps it.
        old.PartitionType = type;
        IManagerItem* restored = disk->CreatePartition(&old, 0);
        if (restored != nullptr) {
            RestoreAttributes(restored, true, type, active, used);
            InitManager(restored);
        } else {
            m_pCurPartitionItem = nullptr;
        }
        return false;
    }
    m_pCurPartitionItem = created;
    // The manager now tells what was created: its variant and cluster size.
    m_fileSystem = static_cast<enumFILE_SYSTEM_TYPE>(out.fileSystem);
    m_sectorsPerCluster = out.u32SectorsPerCluster;
    RestoreAttributes(created, out.fileSystem == FILE_SYSTEM_OTHER, type, active, used);
    return true;
}
