#include "CMoveResizeManager.h"

#include "ItemQuery.h"
#include "LayoutAssert.h"
#include "MegaBytes.h"
#include "PartitionRules.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"

namespace {

double ItemMB(IManagerItem* item)
{
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    return entry != nullptr ? SectorsToMB(entry->GetSectorCount()) : 0.0;
}

bool IsFreeSpace(IManagerItem* item)
{
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    return entry != nullptr && entry->GetPartitionType() == 0;
}
}  // namespace

CMoveResizeManager::CMoveResizeManager() : CMoveResizeManager(false) {}

CMoveResizeManager::CMoveResizeManager(bool dataMarginSmall)
    : m_pCurPartitionItem(nullptr), m_pPreItem(nullptr), m_pNextItem(nullptr), m_fileSystem(FILE_SYSTEM_FAT12),
      m_sectorsPerCluster(0), m_usedSectors(0), m_before(0), m_size(0), m_after(0), m_total(0),
      m_initFileSystem(FILE_SYSTEM_FAT12), m_initSectorsPerCluster(0), m_initUsedSectors(0), m_initBefore(0),
      m_initSize(0), m_initAfter(0), m_needCorrect(false), m_correctedBefore(0), m_correctedSize(0),
      m_correctedAfter(0), m_pDlg(nullptr), m_pAllDiskPanel(nullptr), m_cylinder(0),
      m_dataMarginSmall(dataMarginSmall)
{
}

void CMoveResizeManager::InitManager(IManagerItem* item)
{
    m_pCurPartitionItem = item;
    LAYOUT_ASSERT(nullptr != m_pCurPartitionItem, "__null != m_pCurPartitionItem", kMoveResizeSource);
    IFileSystemPartition* pFileSystemPartition = QueryItem<IFileSystemPartition>(item);
    LAYOUT_ASSERT(nullptr != pFileSystemPartition, "__null != pFileSystemPartition", kMoveResizeSource);
    IFileSystemPartitionExtendInfo* pFileSystemPartitionExtendInfo = QueryItem<IFileSystemPartitionExtendInfo>(item);
    LAYOUT_ASSERT(nullptr != pFileSystemPartitionExtendInfo, "__null != pFileSystemPartitionExtendInfo", kMoveResizeSource);
    IPartitionEntry* pPartitionEntry = QueryItem<IPartitionEntry>(item);
    LAYOUT_ASSERT(nullptr != pPartitionEntry, "__null != pPartitionEntry", kMoveResizeSource);

    m_initFileSystem = pFileSystemPartition->GetFileSystemType();
    const int cluster = pFileSystemPartitionExtendInfo->GetSectorsPerCluster();
    m_initSectorsPerCluster = cluster > 0 ? static_cast<uint32_t>(cluster) : 0;
    m_initUsedSectors = pFileSystemPartitionExtendInfo->GetUsedSectors();
    m_fileSystem = m_initFileSystem;
    m_sectorsPerCluster = m_initSectorsPerCluster;
    m_usedSectors = m_initUsedSectors;

    m_pPreItem = nullptr;
    m_pNextItem = nullptr;
    FindPreAndNextItem(&m_pPreItem, &m_pNextItem, item);
    m_size = SectorsToMB(pPartitionEntry->GetSectorCount());
    m_before = (m_pPreItem != nullptr && IsFreeSpace(m_pPreItem)) ? ItemMB(m_pPreItem) : 0.0;
    m_after = (m_pNextItem != nullptr && IsFreeSpace(m_pNextItem)) ? ItemMB(m_pNextItem) : 0.0;
    m_initSize = m_size;
    m_initBefore = m_before;
    m_initAfter = m_after;
    m_total = m_after + m_size + m_before;

    IDiskGeometry* geometry = QueryItem<IDiskGeometry>(item->GetParent());
    LAYOUT_ASSERT(nullptr != geometry, "__null != pDiskGeometry", kMoveResizeSource);
    const uint32_t perCylinder = geometry->GetTracksPerCylinder() * geometry->GetSectorsPerTrack();
    m_cylinder = SectorsToMB(perCylinder);
}

bool CMoveResizeManager::IsMoveResizeEnable() const
{
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(m_pCurPartitionItem);
    if (entry == nullptr || entry->GetPartitionType() == 0)
        return false;
    IFileSystemPartition* fs = QueryItem<IFileSystemPartition>(m_pCurPartitionItem);
    if (fs == nullptr)
        return false;
    const enumFILE_SYSTEM_TYPE type = fs->GetFileSystemType();
    if (type == FILE_SYSTEM_FAT12)
        return true;
    if (type != FILE_SYSTEM_FAT16 && type != FILE_SYSTEM_FAT32 && type != FILE_SYSTEM_NTFS)
        return false;
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(m_pCurPartitionItem);
    const int cluster = info != nullptr ? info->GetSectorsPerCluster() : 0;
    return cluster >= 1 && cluster <= 128;
}

bool CMoveResizeManager::IsFirstLogical() const
{
    return m_pCurPartitionItem != nullptr && IsFirstAndLogicalPartition(m_pCurPartitionItem);
}

double CMoveResizeManager::BeforeRoom() const
{
    return IsFirstLogical() ? m_before - m_cylinder : m_before;
}

double CMoveResizeManager::Room() const
{
    return m_after + BeforeRoom();
}

bool CMoveResizeManager::IfPrePartitionCanAdded(double newBefore)
{
    const double growth = newBefore - m_before;
    if (growth <= 0.1)
        return false;
    if (growth - m_after <= kMBEpsilon) {
        m_before += growth;
        m_after -= growth;
    } else if (m_after >= 0) {
        m_before += m_after;
        m_after = 0;
    }
    return true;
}

bool CMoveResizeManager::IfPrePartitionCanReduced(double newBefore)
{
    double reduction = m_before - newBefore;
    if (IsFirstLogical()) {
        if (newBefore <= m_cylinder - kMBEpsilon)
            reduction = m_before - m_cylinder;
    } else if (newBefore <= 0) {
        if (m_before < 0)
            return false;
        reduction = m_before;
    }
    if (reduction <= kMBEpsilon)
        return false;
    m_before -= reduction;
    m_after += reduction;
    return true;
}

bool CMoveResizeManager::IfCurPartitionCanReduced(double newSize, bool oneSide, bool side)
{
    if (newSize < m_cylinder)
        newSize = m_cylinder;
    switch (m_fileSystem) {
    case FILE_SYSTEM_FAT12:
    case FILE_SYSTEM_FAT16:
    case FILE_SYSTEM_FAT32:
        return FatPartitionReduced(newSize, oneSide, side);
    case FILE_SYSTEM_NTFS:
        return NtfsPartitionReduced(newSize, oneSide, side);
    default:
        return false;
    }
}

bool CMoveResizeManager::IfCurPartitionCanAdded(double newSize, bool oneSide, bool side)
{
    const double room = Room();
    if (newSize - m_size - room >= kMBEpsilon)
        newSize = m_size + room;
    switch (m_fileSystem) {
    case FILE_SYSTEM_FAT12:
    case FILE_SYSTEM_FAT16:
    case FILE_SYSTEM_FAT32:
        return FatPartitionAdded(newSize, oneSide, side);
    case FILE_SYSTEM_NTFS:
        return NtfsPartitionAdded(newSize, oneSide, side);
    default:
        return false;
    }
}

bool CMoveResizeManager::ShrinkInto(double d, double minimum, bool oneSide, bool side)
{
    double& gap = (oneSide && !side) ? m_before : m_after;
    if (m_size - d - minimum <= -kMBEpsilon) {
        gap += m_size - minimum;
        m_size = minimum;
    } else {
        m_size -= d;
        gap += d;
    }
    return true;
}

bool CMoveResizeManager::GrowFrom(double d, bool oneSide, bool side)
{
    if (!oneSide) {
        const double room = Room();
        if (d - room > kMBEpsilon) {
            if (room <= 0)
                return false;
            d = room;
        }
        if (d <= m_after) {
            m_after -= d;
        } else {
            m_before -= d - m_after;
            m_after = 0;
        }
    } else if (!side) {
        if (d - m_after > kMBEpsilon)
            return false;
        m_after -= d;
        if (m_after < 0)
            m_after = 0;
    } else {
        if (d - BeforeRoom() > kMBEpsilon)
            return false;
        m_before -= d;
    }
    m_size += d;
    return true;
}

void CMoveResizeManager::SetFileSystemType(enumFILE_SYSTEM_TYPE fs)
{
    m_fileSystem = fs;
}

void CMoveResizeManager::SetMoveResizeInterface(IMoveResizeDlg* dlg)
{
    m_pDlg = dlg;
}

void CMoveResizeManager::SetAllDiskPanelInterface(IAllDiskPanel* panel)
{
    m_pAllDiskPanel = panel;
}

void CMoveResizeManager::UpdateUi(bool redraw, bool setSpins)
{
    if (m_pDlg != nullptr) {
        MOVERESIZ_DLG_INFO info{};
        info.dPreSize = m_before <= kMBEpsilon ? 0.0 : m_before;
        info.dCurSize = m_size;
        info.dNextSize = m_after <= kMBEpsilon ? 0.0 : m_after;
        info.fileSystem = static_cast<uint32_t>(m_fileSystem);
        info.u64UsedSectors = m_usedSectors;
        info.u32SectorsPerCluster = m_sectorsPerCluster;
        m_pDlg->UpdateDlg(info, redraw, setSpins);
    }
    if (m_pAllDiskPanel != nullptr) {
        MOVERESIZE_MANAGER_PARAM param{};
        GetOutParam(param);
        m_pAllDiskPanel->UpdatePanel(param);
    }
}

void CMoveResizeManager::UpdateUiWithCorrectedValue()
{
    m_before = m_correctedBefore;
    m_size = m_correctedSize;
    m_after = m_correctedAfter;
    UpdateUi(true, true);
}

void CMoveResizeManager::GetOutParam(MOVERESIZE_MANAGER_PARAM& param)
{
    param.fileSystem = static_cast<uint32_t>(m_fileSystem);
    param.u32SectorsPerCluster = m_sectorsPerCluster;
    param.u64UsedSectors = m_usedSectors;
    param.dPreSize = m_before < kMBEpsilon ? 0.0 : m_before;
    param.dCurSize = m_size;
    param.dNextSize = m_after < kMBEpsilon ? 0.0 : m_after;
    param.dTotalSize = m_total;
    param.dCorrectedPreSize = m_correctedBefore;
    param.dCorrectedCurSize = m_correctedSize;
    param.dCorrectedNextSize = m_correctedAfter;
    param.dCylinderSize = m_cylinder;
}

bool CMoveResizeManager::IfNeedCorrectPartitionSize()
{
    return m_needCorrect;
}

void CMoveResizeManager::SetPrimaryLogical(bool primary)
{
    if (m_pCurPartitionItem == nullptr)
        return;
    IDiskGeometry* geometry = QueryItem<IDiskGeometry>(m_pCurPartitionItem->GetParent());
    LAYOUT_ASSERT(nullptr != geometry, "__null != pDiskGeometry", kMoveResizeSource);
    const uint64_t perCylinder = static_cast<uint64_t>(geometry->GetTracksPerCylinder()) * geometry->GetSectorsPerTrack();
    IPartitionEntry* previous = QueryItem<IPartitionEntry>(m_pPreItem);
    const bool atDiskStart = m_pPreItem == nullptr ||
                             (previous != nullptr && previous->GetPartitionType() == 0 &&
                              previous->GetSectorCount() <= perCylinder);
    const bool known = m_fileSystem <= FILE_SYSTEM_NTFS;
    if (atDiskStart) {
        if (!primary && m_before < m_cylinder - kMBEpsilon) {
            if (m_after > m_cylinder) {
                m_before += m_cylinder;
                m_after -= m_cylinder;
            } else if (known) {
                m_before += m_cylinder;
                m_size -= m_cylinder;
            }
        } else if (primary && MBEqual(m_before, m_cylinder)) {
            double largest = 2097151.9995117188;
            if (m_fileSystem == FILE_SYSTEM_FAT12 || m_fileSystem == FILE_SYSTEM_FAT16)
                largest = 4095.1796875;
            else if (m_fileSystem == FILE_SYSTEM_FAT32)
                largest = 512000;
            if (m_size > largest - m_cylinder) {
                m_before -= m_cylinder;
                m_after += m_cylinder;
            } else if (known) {
                m_before -= m_cylinder;
                m_size += m_cylinder;
            }
        }
    }
    UpdateUi(true, true);
}

void CMoveResizeManager::RestoreInitial()
{
    m_fileSystem = m_initFileSystem;
    m_sectorsPerCluster = m_initSectorsPerCluster;
    m_usedSectors = m_initUsedSectors;
    m_before = m_initBefore;
    m_size = m_initSize;
    m_after = m_initAfter;
}
