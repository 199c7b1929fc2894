#include "EditPartitionArithmetic.h"

#include <sstream>

#include "MegaBytes.h"
#include "PartitionRules.h"
#include "RecoveryEnv.h"

namespace {

constexpr uint64_t kSnapSectors = 205;     // a move or resize this small keeps the old sector
constexpr uint64_t kNudgeSectors = 20479;  // ... and a count this close is only a nudge
constexpr double kLargestShownMB = 511500;
constexpr double kShownCapMB = 512000;
constexpr double kFat32LimitedMB = 393216;
constexpr uint64_t kFat32LimitedRegion = 805306368ull;
constexpr uint32_t kLockedFatCluster = 64;

uint64_t Distance(uint64_t a, uint64_t b)
{
    return a > b ? a - b : b - a;
}

std::string MBText(double mb)
{
    std::ostringstream s;
    s << mb;
    return s.str();
}

} // namespace

namespace EditPartitionArithmetic {

uint64_t PageMBToSectors(double mb)
{
    return mb <= 0 ? 0 : static_cast<uint64_t>(mb * 2048.0);
}

bool IsLocked(const _KS_VOLUME& v)
{
    return (v.Flags & (KS_VOLFLAG_PART_BIT1 | KS_VOLFLAG_PART_BIT2)) != 0;
}

SizeLabels Labels(const _KS_VOLUME& v, double maximumMB, bool sectorBySector, bool makeActive, uint64_t freeBefore,
                  uint64_t totalSectors, uint64_t freeAfter, uint64_t ntfsMinimum)
{
    uint64_t minimum = 0;
    switch (v.FileSystem) {
    case KS_FS_FAT16: minimum = v.UsedSectors <= kFat16MinSectors ? kFat16MinSectors : v.UsedSectors; break;
    case KS_FS_FAT32: minimum = v.UsedSectors <= kFat32MinSectors ? kFat32MinSectors : v.UsedSectors; break;
    case KS_FS_NTFS: minimum = v.UsedSectors > ntfsMinimum ? v.UsedSectors : ntfsMinimum; break;
    default: break;
    }
    const bool fat32Limited = IsLocked(v) && v.FileSystem == KS_FS_FAT32 && makeActive &&
                              freeBefore + totalSectors + freeAfter > kFat32LimitedRegion;
    double m = maximumMB;
    if (m > kLargestShownMB)
        m = fat32Limited ? kFat32LimitedMB : kShownCapMB;
    else if (kFat32LimitedMB < m && fat32Limited)
        m = kFat32LimitedMB;

    SizeLabels labels;
    if (sectorBySector) {
        const std::string whole = GetFileSizeString(static_cast<long long>(v.TotalSectors * 512));
        labels.minimum = "Minimum partition size:" + whole;
        labels.maximum = "Maximum partition size:" + whole;
        return labels;
    }
    const std::string minimumText = GetFileSizeString(static_cast<long long>(minimum * 512));
    labels.minimum = "Minimum partition size:" + minimumText;
    if (v.FileSystem == KS_FS_NTFS) {
        if (minimum < PageMBToSectors(m))
            labels.maximum = "Maximum partition size:" +
                             (m / 1024 > 1000.0 ? MBText(m / 1024) + "GB" : MBText(m) + "MB");
        else
            labels.maximum = "Maximum partition size:" + minimumText;
    } else {
        labels.maximum = "Maximum partition size:" + MBText(m) + "MB";
    }
    return labels;
}

MOVE_RESIZE_OPERATION_PARAM Operation(const EditItemFacts& item, const MOVERESIZE_MANAGER_PARAM& sizes,
                                      bool useCorrected)
{
    const double before = useCorrected ? sizes.dCorrectedPreSize : sizes.dPreSize;
    const double size = useCorrected ? sizes.dCorrectedCurSize : sizes.dCurSize;
    const uint64_t cur = item.start;
    const uint64_t end = item.start + item.sectors - 1;
    uint64_t first;
    if (!item.hasPrevious)
        first = PageMBToSectors(before) + (item.primary ? item.sectorsPerTrack : 0);
    else if (item.previousFree)
        first = PageMBToSectors(before) + item.previousStart;
    else
        first = PageMBToSectors(before) + (cur - item.hidden);
    if (item.primary && first == 0)
        first = item.sectorsPerTrack;
    else if (!item.primary)
        first += item.hidden;
    if (Distance(cur, first) <= kSnapSectors)
        first = cur;

    const uint64_t wanted = PageMBToSectors(size);
    uint64_t last = Distance(item.sectors, wanted) <= kSnapSectors ? first + item.sectors - 1 : first + wanted - 1;
    if (Distance(last, end) <= kSnapSectors)
        last = end;
    if (item.diskSectors != 0 && last > item.diskSectors - 1)
        last = item.diskSectors - 1;

    MOVE_RESIZE_OPERATION_PARAM op{};
    op.fileSystem = sizes.fileSystem;
    op.u32SectorsPerCluster = sizes.u32SectorsPerCluster;
    op.u64FirstSector = first;
    op.u64LastSector = last;
    return op;
}

bool IsNudge(const EditItemFacts& item, const MOVE_RESIZE_OPERATION_PARAM& op)
{
    const uint64_t count = op.u64LastSector - op.u64FirstSector + 1;
    return op.u64FirstSector == item.start && Distance(count, item.sectors) <= kNudgeSectors;
}

void ApplyEdit(const MOVE_RESIZE_OPERATION_PARAM& op, const EditItemFacts& item, bool makeActive, bool makePrimary,
               uint64_t targetHidden, bool sectorBySector, bool locked, AddPartitionParam& p)
{
    const uint64_t cylinder = uint64_t(item.tracksPerCylinder) * item.sectorsPerTrack;
    const bool logical = !makeActive && !makePrimary;
    // Moves smaller than a cylinder leave the stored sectors as they are.
    if (Distance(op.u64FirstSector, p.FirstSector) >= cylinder) {
        p.FirstSector = op.u64FirstSector;
        if (logical)
            p.FirstSector -= targetHidden;
    }
    if (Distance(op.u64LastSector, p.LastSector) >= cylinder)
        p.LastSector = op.u64LastSector;
    if (logical && p.FirstSector == 0)
        p.FirstSector = cylinder;
    p.SectorsPerCluster = op.u32SectorsPerCluster;
    p.FileSystem = op.fileSystem;
    p.Primary = (makeActive || makePrimary) ? 1 : 0;

    auto fs = static_cast<enumFILE_SYSTEM_TYPE>(p.FileSystem);
    const bool fat = fs == FILE_SYSTEM_FAT16 || fs == FILE_SYSTEM_FAT32;
    const uint64_t size = p.LastSector - p.FirstSector + 1;
    if (fat && !sectorBySector && !IfNewPartitionSizeSurrportFileSystem(size, fs)) {
        fs = GetFitFileSystem(fs, size, false);
        unsigned long minCluster = 0, maxCluster = 0;
        GetFatMinAndMaxClusterSize(static_cast<long long>(size), fs, minCluster, maxCluster);
        p.FileSystem = fs;
        p.SectorsPerCluster = minCluster;
    }
    const bool fatNow = p.FileSystem == FILE_SYSTEM_FAT16 || p.FileSystem == FILE_SYSTEM_FAT32;
    if (locked && fatNow && p.SectorsPerCluster > kLockedFatCluster)
        p.SectorsPerCluster = kLockedFatCluster;
}

} // namespace EditPartitionArithmetic
