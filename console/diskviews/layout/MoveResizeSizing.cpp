// The sizing half of CMoveResizeManager: how small and how large a FAT or NTFS
// partition may become, which FAT variant and cluster size a size needs, and how much
// room the data takes after a FAT conversion.
#include <algorithm>

#include "CMoveResizeManager.h"
#include "Clusta.h"
#include "CPartitionCalculator.h"
#include "ItemQuery.h"
#include "MegaBytes.h"
#include "PartitionRules.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IPartitionEntry.h"

namespace {
const double kFat12MaxMB = 15.75;
const double kFat16MaxMB = 4095.1796875;
const double kFat32MaxMB = 512000;
const double kNtfsMaxMB = 2097151.9995117188;
const double kFatSmallestMB = 2.4609375;     // 5040 sectors

double VariantMaxMB(enumFILE_SYSTEM_TYPE fs)
{
    if (fs == FILE_SYSTEM_FAT12)
        return kFat12MaxMB;
    if (fs == FILE_SYSTEM_FAT16)
        return kFat16MaxMB;
    return kFat32MaxMB;
}

uint64_t ItemSectorCount(IManagerItem* item)
{
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    return entry != nullptr ? entry->GetSectorCount() : 0;
}

uint32_t Low32(uint64_t value)
{
    return static_cast<uint32_t>(value);
}
}  // namespace

unsigned long CMoveResizeManager::ClusterSizeFor(enumFILE_SYSTEM_TYPE fs, double mb)
{
    const uint64_t n = static_cast<uint64_t>(mb * 2048.0 + 0.5);
    uint64_t cluster = 0;
    if (fs == FILE_SYSTEM_FAT32)
        cluster = (n + 12191999) / 12288000;
    else if (fs == FILE_SYSTEM_FAT16)
        cluster = (n + 65263) / 65519;
    else
        cluster = static_cast<uint64_t>((static_cast<double>(n + 4083) - 11.96484375) / 4084.0);
    return static_cast<unsigned long>(GetMatchingClusterSize(static_cast<long>(cluster)));
}

unsigned long CMoveResizeManager::GetReducedNewClusterSize(enumFILE_SYSTEM_TYPE& fs, double mb, bool) const
{
    const uint64_t sectors = MBToSectors(mb);
    if (fs == FILE_SYSTEM_FAT32 && sectors < kFat32MinSectors)
        fs = FILE_SYSTEM_FAT16;
    if (fs == FILE_SYSTEM_FAT16 && sectors < kFat16MinSectors)
        fs = FILE_SYSTEM_FAT12;
    return ClusterSizeFor(fs, mb);
}

unsigned long CMoveResizeManager::GetAddedNewClusterSize(enumFILE_SYSTEM_TYPE& fs, double mb, bool) const
{
    unsigned long cluster = ClusterSizeFor(fs, mb);
    if (fs == FILE_SYSTEM_FAT12 && cluster >= 129) {
        fs = FILE_SYSTEM_FAT16;
        cluster = ClusterSizeFor(fs, mb);
    }
    if (fs == FILE_SYSTEM_FAT16 && cluster >= 129) {
        fs = FILE_SYSTEM_FAT32;
        cluster = ClusterSizeFor(fs, mb);
    }
    if (fs == FILE_SYSTEM_FAT32 && cluster >= 129) {
        fs = FILE_SYSTEM_OTHER;
        cluster = 0;
    }
    return cluster;
}

enumFILE_SYSTEM_TYPE CMoveResizeManager::GetFitFileSystem(enumFILE_SYSTEM_TYPE fs, double mb, bool growing)
{
    if (growing) {
        if (fs == FILE_SYSTEM_FAT12 && mb - kFat12MaxMB >= kMBEpsilon)
            fs = FILE_SYSTEM_FAT16;
        if (fs == FILE_SYSTEM_FAT16 && mb - kFat16MaxMB >= kMBEpsilon)
            fs = FILE_SYSTEM_FAT32;
    } else {
        if (fs == FILE_SYSTEM_FAT32 && mb - 33.46875 <= -kMBEpsilon)
            fs = FILE_SYSTEM_FAT16;
        if (fs == FILE_SYSTEM_FAT16 && mb - 16.2421875 <= -kMBEpsilon)
            fs = FILE_SYSTEM_FAT12;
    }
    return fs;
}

bool CMoveResizeManager::IfNewPartitionSizeSurrportFileSystem(unsigned long long sectors, enumFILE_SYSTEM_TYPE& fs)
{
    switch (fs) {
    case FILE_SYSTEM_FAT12:
        if (sectors < kFat12MinSectors || (sectors > kFat12MaxSectors && sectors < kFat16MinSectors))
            return false;
        if (sectors <= kFat12MaxSectors)
            return true;
        fs = FILE_SYSTEM_FAT16;
        [[fallthrough]];
    case FILE_SYSTEM_FAT16:
        if (sectors < kFat16MinSectors)
            return false;
        if (sectors <= kFat16MaxSectors)
            return true;
        fs = FILE_SYSTEM_FAT32;
        [[fallthrough]];
    case FILE_SYSTEM_FAT32:
        return sectors >= kFat32MinSectors && sectors <= 1048576000ull;
    case FILE_SYSTEM_NTFS:
        return sectors >= kNtfsMinSectors;
    default:
        return true;
    }
}

unsigned long long CMoveResizeManager::DataMargin(unsigned long long used) const
{
    return m_dataMarginSmall ? used + used / 50 : used + (3 * used) / 50;
}

uint32_t CMoveResizeManager::ExtraReserved() const
{
    IFileSystemPartitionExtendInfo* info = QueryItem<IFileSystemPartitionExtendInfo>(m_pCurPartitionItem);
    return info != nullptr ? info->GetReservedSectors() : 0;
}

uint32_t CMoveResizeManager::FatUsedAfter(enumFILE_SYSTEM_TYPE fs, unsigned long long newSectors,
                                          unsigned long cluster) const
{
    return GetFatTotalUsedSector(m_initFileSystem, fs, Low32(ItemSectorCount(m_pCurPartitionItem)), Low32(newSectors),
                                 m_initSectorsPerCluster, static_cast<uint32_t>(cluster), Low32(m_initUsedSectors),
                                 ExtraReserved());
}

void CMoveResizeManager::GetFatMinAndMaxSize(double& minMB, double& maxMB)
{
    minMB = std::max(SectorsToMB(DataMargin(m_usedSectors)), kFatSmallestMB);
    const double whole = m_before + m_size + m_after;
    maxMB = IsFirstLogical() ? whole - m_cylinder : whole;
    if (whole - kFat32MaxMB >= kMBEpsilon)
        maxMB = kFat32MaxMB;
}

void CMoveResizeManager::GetNtfsMinAndMaxSize(double& minMB, double& maxMB)
{
    uint64_t floor = std::max<uint64_t>(14336, m_usedSectors);
    uint64_t estimate = 0;
    enumFILE_SYSTEM_TYPE fs = FILE_SYSTEM_NTFS;
    CPartitionCalculator().EstimatePartitionMIN(m_pCurPartitionItem, fs, estimate);
    floor = std::max(floor, estimate);
    minMB = SectorsToMB(DataMargin(floor));
    const double whole = m_size + Room();
    maxMB = whole < kNtfsMaxMB + kMBEpsilon ? whole : kNtfsMaxMB;
}

void CMoveResizeManager::GetFatMinAndMaxClusterSize(unsigned long& minCluster, unsigned long& maxCluster, bool)
{
    double smallestMB = SectorsToMB(m_initUsedSectors) * 1.05;
    if (smallestMB < kFatSmallestMB)
        smallestMB = kFatRaisedSmallestMB;
    double largestMB = IsFirstLogical() ? m_total - m_cylinder : m_total;
    largestMB = std::min(largestMB, VariantMaxMB(m_fileSystem));
    const FatClusterWindow window = FatClusterCountWindow(m_fileSystem);
    const uint64_t smallestSectors = MBToSectors(smallestMB);
    const uint64_t largestSectors = MBToSectors(largestMB);
    const uint64_t roundedUp = (smallestSectors + window.largest - 1) / window.largest;
    minCluster = static_cast<unsigned long>(GetMatchingClusterSize(static_cast<long>(roundedUp)));
    uint64_t candidate = largestSectors / window.smallest;
    if (m_initUsedSectors != 0) {
        uint64_t accepted = 0;
        for (uint64_t cluster = 1; cluster <= 128 && cluster <= candidate; cluster *= 2) {
            if (FatUsedAfter(m_fileSystem, largestSectors, static_cast<unsigned long>(cluster)) > largestSectors)
                break;
            accepted = cluster;
        }
        candidate = accepted != 0 ? accepted : roundedUp;
    }
    maxCluster = static_cast<unsigned long>(GetMatchingMaxClusterSize(static_cast<long>(candidate)));
    if (m_fileSystem == FILE_SYSTEM_FAT12 && minCluster < 2)
        minCluster = 2;
    if (m_fileSystem == m_initFileSystem) {
        minCluster = std::min<unsigned long>(minCluster, m_initSectorsPerCluster);
        maxCluster = std::max<unsigned long>(maxCluster, m_initSectorsPerCluster);
    }
}
