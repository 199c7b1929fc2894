// Size edits of CMoveResizeManager: FAT partitions (which may change variant and
// cluster size), NTFS partitions, and the correction when the data outgrows the size.
#include <algorithm>

#include "CMoveResizeManager.h"
#include "MegaBytes.h"
#include "PartitionRules.h"

namespace {
const double kFatLargestEditMB = 511990;
const double kNtfsSmallestEditMB = 7.9;
}  // namespace

bool CMoveResizeManager::GetNewFatInfoIfCanSuccessReduced(double mb, enumFILE_SYSTEM_TYPE& fs, unsigned long& cluster,
                                                          unsigned long long& used)
{
    if (mb < 2.0 - kMBEpsilon)
        return false;
    enumFILE_SYSTEM_TYPE fit = GetFitFileSystem(m_initFileSystem, mb, false);
    if (m_initFileSystem == FILE_SYSTEM_FAT32 && fit != FILE_SYSTEM_FAT32)
        return false;
    if (mb < SectorsToMB(m_initUsedSectors) - kMBEpsilon)
        return false;
    const unsigned long newCluster = GetReducedNewClusterSize(fit, mb, false);
    const enumFILE_SYSTEM_TYPE kept = m_fileSystem;
    m_fileSystem = fit;
    unsigned long minCluster = 0, maxCluster = 0;
    GetFatMinAndMaxClusterSize(minCluster, maxCluster, false);
    m_fileSystem = kept;
    if (minCluster > maxCluster || newCluster < minCluster || newCluster > maxCluster)
        return false;
    fs = fit;
    cluster = newCluster;
    used = m_initUsedSectors;
    return true;
}

bool CMoveResizeManager::GetNewFatInfoIfCanSuccessAdded(double mb, enumFILE_SYSTEM_TYPE& fs, unsigned long& cluster,
                                                        unsigned long long& used)
{
    if (mb > 512000)
        return false;
    enumFILE_SYSTEM_TYPE fit = GetFitFileSystem(m_initFileSystem, mb, true);
    const unsigned long newCluster = GetAddedNewClusterSize(fit, mb, false);
    const enumFILE_SYSTEM_TYPE kept = m_fileSystem;
    m_fileSystem = fit;
    unsigned long minCluster = 0, maxCluster = 0;
    GetFatMinAndMaxClusterSize(minCluster, maxCluster, false);
    m_fileSystem = kept;
    if (minCluster > maxCluster || newCluster < minCluster || newCluster > maxCluster)
        return false;
    fs = fit;
    used = (m_initSectorsPerCluster != 0 && newCluster > m_initSectorsPerCluster)
               ? m_initUsedSectors * (newCluster / m_initSectorsPerCluster)
               : m_initUsedSectors;
    cluster = fit == m_initFileSystem ? std::max<unsigned long>(newCluster, m_initSectorsPerCluster) : newCluster;
    return true;
}

bool CMoveResizeManager::FatPartitionReduced(double mb, bool oneSide, bool side)
{
    if (mb < SectorsToMB(m_usedSectors))
        return false;
    if (mb > kFat12TopMB && mb < kFat16BottomMB)
        mb = kFat12TopMB;
    if (mb < kFatRaisedSmallestMB)
        mb = kFatRaisedSmallestMB;
    if (m_size - mb < kMBEpsilon)
        return false;
    if (MBEqual(mb, m_initSize)) {
        RestoreInitial();
        return true;
    }
    enumFILE_SYSTEM_TYPE fs = m_fileSystem;
    unsigned long cluster = 0;
    unsigned long long used = 0;
    const bool fits = mb > m_initSize ? GetNewFatInfoIfCanSuccessAdded(mb, fs, cluster, used)
                                      : GetNewFatInfoIfCanSuccessReduced(mb, fs, cluster, used);
    if (!fits)
        return false;
    used = FatUsedAfter(fs, MBToSectors(mb), cluster);
    const double margin = SectorsToMB(DataMargin(used));
    mb = std::max(mb, margin);
    if (m_size - mb < kMBEpsilon)
        return false;  // the data leaves no room to shrink into
    m_fileSystem = fs;
    m_sectorsPerCluster = static_cast<uint32_t>(cluster);
    m_usedSectors = used;
    if (SectorsToMB(used) <= mb)
        m_needCorrect = false;
    return ShrinkInto(m_size - mb, margin, oneSide, side);
}

bool CMoveResizeManager::FatPartitionAdded(double mb, bool oneSide, bool side)
{
    mb = std::min(mb, kFatLargestEditMB);
    if (mb > kFat12TopMB && mb < kFat16BottomMB)
        mb = kFat16BottomMB;
    if (mb - m_size < kMBEpsilon)
        return false;
    if (MBEqual(mb, m_initSize)) {
        RestoreInitial();
        return true;
    }
    enumFILE_SYSTEM_TYPE fs = m_fileSystem;
    unsigned long cluster = 0;
    unsigned long long used = 0;
    const bool fits = mb > m_initSize ? GetNewFatInfoIfCanSuccessAdded(mb, fs, cluster, used)
                                      : GetNewFatInfoIfCanSuccessReduced(mb, fs, cluster, used);
    if (!fits)
        return false;
    used = FatUsedAfter(fs, MBToSectors(mb), cluster);
    // When bigger clusters leave the data larger than the size asked for, the edit
    // follows the pointer and the layout that fits the data is kept aside.
    const double needed = SectorsToMB(DataMargin(used));
    if (mb < needed - kMBEpsilon) {
        m_needCorrect = true;
        if (!CorrectPartitionSize(fs, cluster, used, m_before, m_size, m_after, needed, oneSide, side)) {
            m_needCorrect = false;
            return false;
        }
    } else {
        m_needCorrect = false;
    }
    const enumFILE_SYSTEM_TYPE keptFs = m_fileSystem;
    const uint32_t keptCluster = m_sectorsPerCluster;
    const uint64_t keptUsed = m_usedSectors;
    m_fileSystem = fs;
    m_sectorsPerCluster = static_cast<uint32_t>(cluster);
    m_usedSectors = used;
    if (!GrowFrom(mb - m_size, oneSide, side)) {
        m_fileSystem = keptFs;
        m_sectorsPerCluster = keptCluster;
        m_usedSectors = keptUsed;
        m_needCorrect = false;
        return false;
    }
    return true;
}

bool CMoveResizeManager::NtfsPartitionReduced(double mb, bool oneSide, bool side)
{
    const double margin = SectorsToMB(DataMargin(m_usedSectors));
    if (mb < margin)
        return false;
    mb = std::max(mb, kNtfsSmallestEditMB);
    double minMB = 0, maxMB = 0;
    GetNtfsMinAndMaxSize(minMB, maxMB);
    if (m_size - mb < kMBEpsilon || !IsMoveResizeEnable() || mb < minMB - kMBEpsilon)
        return false;
    return ShrinkInto(m_size - mb, minMB, oneSide, side);
}

bool CMoveResizeManager::NtfsPartitionAdded(double mb, bool oneSide, bool side)
{
    double minMB = 0, maxMB = 0;
    GetNtfsMinAndMaxSize(minMB, maxMB);
    if (mb - m_size < kMBEpsilon || !IsMoveResizeEnable() || mb - maxMB >= kMBEpsilon)
        return false;
    return GrowFrom(mb - m_size, oneSide, side);
}

// needed is the size the data takes (used sectors with their margin), in MB.
bool CMoveResizeManager::CorrectPartitionSize(enumFILE_SYSTEM_TYPE fs, unsigned long cluster, unsigned long long used,
                                              double before, double size, double after, double needed, bool oneSide,
                                              bool side)
{
    const double growth = needed - size;
    const double beforeRoom = IsFirstLogical() ? before - m_cylinder : before;
    double room = after + beforeRoom;
    if (oneSide)
        room = side ? beforeRoom : after;
    if (growth - room >= kMBEpsilon) {
        m_correctedBefore = before;
        m_correctedSize = size;
        m_correctedAfter = after;
        m_sectorsPerCluster = m_initSectorsPerCluster;
        m_fileSystem = fs;
        m_usedSectors = used;
        (void)cluster;
        return false;
    }
    m_correctedSize = needed;
    if (oneSide && side) {
        m_correctedBefore = before - growth;
        m_correctedAfter = after;
    } else if (oneSide || growth - after < kMBEpsilon) {
        // The growth fits into the free space after: the partition keeps its start.
        m_correctedBefore = before;
        m_correctedAfter = after - growth;
    } else {
        m_correctedBefore = before - (growth - after);
        m_correctedAfter = 0;
    }
    return true;
}

void CMoveResizeManager::SetCluster(unsigned long sectorsPerCluster)
{
    if (sectorsPerCluster == m_sectorsPerCluster)
        return;
    m_sectorsPerCluster = static_cast<uint32_t>(sectorsPerCluster);
    if (m_fileSystem > FILE_SYSTEM_FAT32) {
        UpdateUi(true, true);
        return;
    }
    m_usedSectors = FatUsedAfter(m_fileSystem, MBToSectors(m_size), sectorsPerCluster);
    const FatClusterWindow window = FatClusterCountWindow(m_fileSystem);
    double smallest = static_cast<double>(((window.smallest + 511) / 512) * sectorsPerCluster * 5160) / 2048.0 / 10.0 + 0.1;
    const double largest = (static_cast<double>(sectorsPerCluster) * window.largest * 10) / 2048.0 / 10.0 - 0.1;
    smallest = std::max(smallest, SectorsToMB(DataMargin(m_usedSectors)));
    if (smallest - m_size > kMBEpsilon) {
        double growth = smallest - m_size;
        const double fromAfter = std::min(growth, std::max(m_after, 0.0));
        m_after -= fromAfter;
        growth -= fromAfter;
        m_before -= growth;
        m_size = smallest;
    } else if (largest < m_size - kMBEpsilon) {
        m_after += m_size - largest;
        m_size = largest;
    }
    UpdateUi(true, true);
}
