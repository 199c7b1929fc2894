#include "CPartitionCalculator.h"

#include "CCHSLBAConvertor.h"
#include "ItemQuery.h"
#include "LayoutAssert.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"

namespace {
const uint32_t kNtfsCalculatorMinSectors = 14336;
const uint32_t kNtfsMaxSectors = 4294967295u;
const uint32_t kNtfsClusterSectors = 8;

// Used sectors of the item, capped at its sector count; false when the item lacks
// either interface.
bool CappedUsedSectors(IManagerItem* item, uint64_t& used)
{
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(item);
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    LAYOUT_ASSERT(info != nullptr && entry != nullptr, "__null != pItem", "PartitionCalculator");
    used = info->GetUsedSectors();
    const uint64_t count = entry->GetSectorCount();
    if (used > count)
        used = count;
    return true;
}
}  // namespace

CPartitionCalculator::CPartitionCalculator()
    : m_tracksPerCylinder(0), m_sectorsPerTrack(0), m_sectorCount(0), m_currentFileSystem(FILE_SYSTEM_FAT12)
{
}

CPartitionCalculator::CPartitionCalculator(uint32_t tracksPerCylinder, uint32_t sectorsPerTrack)
    : m_tracksPerCylinder(tracksPerCylinder), m_sectorsPerTrack(sectorsPerTrack), m_sectorCount(0),
      m_currentFileSystem(FILE_SYSTEM_FAT12)
{
}

CPartitionCalculator::CPartitionCalculator(uint32_t sectorCount)
    : m_tracksPerCylinder(0), m_sectorsPerTrack(0), m_sectorCount(sectorCount), m_currentFileSystem(FILE_SYSTEM_FAT12)
{
}

void CPartitionCalculator::LBAToCHS(int64_t lba, int64_t& cylinder, uint32_t& head, uint32_t& sector) const
{
    CCHSLBAConvertor::LBAToCHS(m_tracksPerCylinder, m_sectorsPerTrack, lba, cylinder, head, sector);
}

void CPartitionCalculator::CHSToLBA(int64_t cylinder, uint32_t head, uint32_t sector, int64_t& lba) const
{
    CCHSLBAConvertor::CHSToLBA(m_tracksPerCylinder, m_sectorsPerTrack, cylinder, head, sector, lba);
}

uint32_t CPartitionCalculator::SectorToCylinder(uint32_t sectors) const
{
    const uint32_t perCylinder = SectorsPerCylinder();
    return sectors / perCylinder + (sectors % perCylinder != 0 ? 1 : 0);
}

void CPartitionCalculator::CalcNTFSLimit(enumFILE_SYSTEM_TYPE fs, uint32_t& minCylinders,
                                         uint32_t& maxCylinders) const
{
    if (fs != FILE_SYSTEM_NTFS)
        return;
    minCylinders = SectorToCylinder(kNtfsCalculatorMinSectors);
    maxCylinders = kNtfsMaxSectors / SectorsPerCylinder();
}

void CPartitionCalculator::CalcLimitByFileSystem(enumFILE_SYSTEM_TYPE& fs, uint32_t& minCylinders,
                                                 uint32_t& maxCylinders) const
{
    CalcNTFSLimit(fs, minCylinders, maxCylinders);
}

void CPartitionCalculator::CalcClusterSize(enumFILE_SYSTEM_TYPE& fs, uint32_t& sectorsPerCluster) const
{
    if (fs == FILE_SYSTEM_NTFS)
        sectorsPerCluster = kNtfsClusterSectors;
}

void CPartitionCalculator::GetPartitionDefaultClusterSize(enumFILE_SYSTEM_TYPE& fs, uint32_t& u32SectorPerCluster)
{
    switch (fs) {
    case FILE_SYSTEM_FAT12:
    case FILE_SYSTEM_FAT16:
    case FILE_SYSTEM_FAT32:
        LAYOUT_ASSERT(u32SectorPerCluster != 0, "u32SectorPerCluster", "PartitionCalculator");
        m_currentFileSystem = fs;
        break;
    case FILE_SYSTEM_NTFS:
        u32SectorPerCluster = kNtfsClusterSectors;
        break;
    default:
        break;
    }
}

enumFILE_SYSTEM_TYPE CPartitionCalculator::GetCurrentFileSystemType() const
{
    return m_currentFileSystem;
}

bool CPartitionCalculator::EstimateUsedSpace(IManagerItem* item, enumFILE_SYSTEM_TYPE fs,
                                             int64_t& usedSectors) const
{
    if (fs != FILE_SYSTEM_NTFS)
        return true;
    uint64_t used = 0;
    CappedUsedSectors(item, used);
    usedSectors = static_cast<int64_t>(used);
    return true;
}

bool CPartitionCalculator::EstimatePartitionMIN(IManagerItem* item, enumFILE_SYSTEM_TYPE& fs,
                                                uint64_t& minSectors) const
{
    if (fs != FILE_SYSTEM_NTFS)
        return true;
    CappedUsedSectors(item, minSectors);
    return true;
}

bool CPartitionCalculator::EstimatePartitionMINCylinders(IManagerItem* item, enumFILE_SYSTEM_TYPE& fs,
                                                         uint32_t& minCylinders) const
{
    if (fs != FILE_SYSTEM_NTFS)
        return true;
    uint64_t used = 0;
    CappedUsedSectors(item, used);
    const uint64_t perCylinder = SectorsPerCylinder();
    minCylinders = static_cast<uint32_t>(used / perCylinder + (used % perCylinder != 0 ? 1 : 0));
    return true;
}

bool CPartitionCalculator::IsAllowMoveResizeToZeroCylinder(IManagerItem* item) const
{
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(item);
    LAYOUT_ASSERT(entry != nullptr && info != nullptr, "__null != pItem", "PartitionCalculator");
    if (!entry->IsPrimary())
        return false;
    const int64_t count = static_cast<int64_t>(entry->GetSectorCount());
    return count - static_cast<int64_t>(m_sectorsPerTrack) > static_cast<int64_t>(info->GetUsedSectors());
}
