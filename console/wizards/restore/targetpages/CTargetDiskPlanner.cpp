#include "CTargetDiskPlanner.h"

#include <cstring>

#include "CCHSLBAConvertor.h"
#include "PartitionRules.h"
#include "SourceVolumeFacts.h"

namespace {

// The largest partitions the file systems are planned with.
constexpr uint64_t kPlannedNtfsCap = 2097131520ull;
constexpr uint64_t kPlannedFatCap = 1048555520ull;
constexpr uint64_t kPlannedLimitedFatCap = 786411520ull;
constexpr uint32_t kLimitedFat32Cluster = 64;

bool IsFatKind(enumFILE_SYSTEM_TYPE kind)
{
    return kind == FILE_SYSTEM_FAT12 || kind == FILE_SYSTEM_FAT16 || kind == FILE_SYSTEM_FAT32;
}

bool EntryResizable(const TagRSPartitionInfo& e)
{
    const auto kind = static_cast<enumFILE_SYSTEM_TYPE>(e.addParam.FileSystem);
    return (kind == FILE_SYSTEM_FAT16 || kind == FILE_SYSTEM_FAT32 || kind == FILE_SYSTEM_NTFS) && e.u8KeepSize == 0;
}

// The cluster size a FAT partition of n sectors takes: the wanted one when the size
// allows it, else the smallest allowed; a size outside the variant's window changes
// the variant first.
void FitFatCluster(TagRSPartitionInfo& e, uint64_t n, bool growing, uint32_t wanted)
{
    auto kind = static_cast<enumFILE_SYSTEM_TYPE>(e.addParam.FileSystem);
    unsigned long minCluster = 0, maxCluster = 0;
    if (IfNewPartitionSizeSurrportFileSystem(n, kind)) {
        GetFatMinAndMaxClusterSize(static_cast<long long>(n), kind, minCluster, maxCluster);
        e.addParam.SectorsPerCluster = (wanted >= minCluster && wanted <= maxCluster) ? wanted : minCluster;
        return;
    }
    kind = GetFitFileSystem(kind, n, growing);
    GetFatMinAndMaxClusterSize(static_cast<long long>(n), kind, minCluster, maxCluster);
    e.addParam.FileSystem = kind;
    e.addParam.SectorsPerCluster = minCluster;
}

TagRSPartitionInfo EntryOf(const _KS_VOLUME& v)
{
    TagRSPartitionInfo e;
    std::memset(&e, 0, sizeof e);
    e.addParam.FileSystem = SourceVolumeFacts::Kind(v);
    e.addParam.Primary = SourceVolumeFacts::IsPrimary(v) ? 1 : 0;
    e.addParam.SectorsPerCluster = v.SectorsPerCluster;
    e.s64UseSector = static_cast<int64_t>(v.UsedSectors);
    e.u32PartitionType = v.PartitionType;
    e.u8Active = SourceVolumeFacts::IsActive(v) ? 1 : 0;
    e.u8SecondFlag = SourceVolumeFacts::HasFatLimit(v) ? 1 : 0;
    return e;
}

} // namespace

CTargetDiskPlanner::CTargetDiskPlanner(std::vector<const _KS_VOLUME*> volumes)
{
    for (const _KS_VOLUME* v : volumes)
        if (v != nullptr)
            volumes_.push_back(v);
}

bool CTargetDiskPlanner::ExtentsOverlap(uint64_t firstA, uint64_t lastA, uint64_t firstB, uint64_t lastB)
{
    return firstA <= lastB && firstB <= lastA;
}

bool CTargetDiskPlanner::IsPartitionCrossed() const
{
    using namespace SourceVolumeFacts;
    for (size_t a = 0; a < volumes_.size(); ++a)
        for (size_t b = a + 1; b < volumes_.size(); ++b)
            if (ExtentsOverlap(ExtentFirst(*volumes_[a]), ExtentLast(*volumes_[a]), ExtentFirst(*volumes_[b]),
                               ExtentLast(*volumes_[b])))
                return true;
    return false;
}

uint64_t CTargetDiskPlanner::GetSrcDiskSize() const
{
    uint64_t size = 0;
    for (const _KS_VOLUME* v : volumes_) {
        const uint64_t end = SourceVolumeFacts::ExtentLast(*v) + 1;
        if (end > size)
            size = end;
    }
    return size;
}

uint64_t CTargetDiskPlanner::ImageNeed(bool imageOnDisc) const
{
    if (imageOnDisc)
        return GetSrcDiskSize();
    uint64_t need = 0;
    for (const _KS_VOLUME* v : volumes_)
        need += SourceVolumeFacts::PlannedMinimum(*v);
    return need;
}

bool CTargetDiskPlanner::DiskCanTake(uint64_t totalSectors, bool imageOnDisc) const
{
    return ImageNeed(imageOnDisc) < totalSectors;
}

std::vector<TagRSPartitionInfo> CTargetDiskPlanner::Plan(const TargetDiskShape& disk, bool& relaidOut) const
{
    std::vector<TagRSPartitionInfo> plan;
    relaidOut = disk.totalSectors < GetSrcDiskSize() || IsPartitionCrossed();
    if (relaidOut) {
        plan = Relayout(disk);
        CorrectedDisk(disk, plan);
    } else {
        plan = CopyLayout();
    }
    FitFatEntries(plan);
    return plan;
}

std::vector<TagRSPartitionInfo> CTargetDiskPlanner::CopyLayout() const
{
    std::vector<TagRSPartitionInfo> plan;
    for (const _KS_VOLUME* v : volumes_) {
        TagRSPartitionInfo e = EntryOf(*v);
        uint64_t first = SourceVolumeFacts::ExtentFirst(*v);
        uint64_t last = SourceVolumeFacts::ExtentLast(*v);
        // A primary partition whose slot starts at sector 0 begins one track in: one
        // that began elsewhere (a 1 MiB aligned one) gets its slot from its own start.
        if (SourceVolumeFacts::IsPrimary(*v) && v->PartitionStart != first && v->PartitionStart != v->SectorsPerTrack)
            first = v->PartitionStart;
        // NTFS counts its sectors without the alternate boot sector after them; the
        // partition holds it.
        if (SourceVolumeFacts::Kind(*v) == FILE_SYSTEM_NTFS && last < v->PartitionStart + v->TotalSectors)
            last = v->PartitionStart + v->TotalSectors;
        e.addParam.FirstSector = first;
        e.addParam.LastSector = last;
        e.u64SourceFirstSector = v->PartitionStart;
        e.u8KeepSize = SourceVolumeFacts::IsSectorBySector(*v) ? 1 : 0;
        plan.push_back(e);
    }
    return plan;
}

std::vector<TagRSPartitionInfo> CTargetDiskPlanner::Relayout(const TargetDiskShape& disk) const
{
    using namespace SourceVolumeFacts;
    const uint64_t spt = disk.sectorsPerTrack;
    long long resizable = 0;
    for (const _KS_VOLUME* v : volumes_)
        if (IsResizable(*v))
            ++resizable;
    // The room left once every volume has its minimum, its first track and one
    // cylinder of rounding; shared among the resizable volumes, never negative.
    const long long overhead = static_cast<long long>(volumes_.size() * (spt + disk.Cylinder()));
    const long long room = static_cast<long long>(disk.totalSectors) - static_cast<long long>(ImageNeed(false)) - overhead;
    const long long share = (resizable > 0 && room > 0) ? room / resizable : 0;

    std::vector<TagRSPartitionInfo> plan;
    uint64_t pos = 0;
    for (const _KS_VOLUME* v : volumes_) {
        TagRSPartitionInfo e = EntryOf(*v);
        const enumFILE_SYSTEM_TYPE kind = Kind(*v);
        const bool fixed = KeepsSize(*v);
        uint64_t size;
        if (kind <= FILE_SYSTEM_NTFS && !fixed) {
            // From the planned minimum, so a FAT volume never drops below its kind.
            size = PlannedMinimum(*v) + static_cast<uint64_t>(share);
            const uint64_t cap = kind == FILE_SYSTEM_NTFS ? kPlannedNtfsCap
                                 : HasFatLimit(*v)         ? kPlannedLimitedFatCap
                                                           : kPlannedFatCap;
            if (size > cap)
                size = cap;
        } else {
            size = PlannedMinimum(*v);
        }
        uint64_t first = pos;
        uint64_t last = pos + size - 1;
        if (!IsPrimary(*v)) {
            if (first == 0) {
                first = spt;
                last += 2 * spt;
            } else {
                last += spt;
            }
        } else {
            if (first == 0) {
                first = spt;
                last += spt;
            }
            if (last > disk.totalSectors)
                last -= spt;
        }
        pos = last + 1;
        e.addParam.FirstSector = first;
        e.addParam.LastSector = last;
        e.u8KeepSize = fixed ? 1 : 0;
        if (IsFatKind(kind))
            FitFatCluster(e, last - first + 1, v->TotalSectors <= last - first + 1, v->SectorsPerCluster);
        else if (kind != FILE_SYSTEM_NTFS)
            e.addParam.SectorsPerCluster = 0;
        plan.push_back(e);
    }
    return plan;
}

bool CTargetDiskPlanner::GetCorrectedParam(const TargetDiskShape& disk, long long after, TagRSPartitionInfo& entry)
{
    const uint32_t h = disk.tracksPerCylinder, s = disk.sectorsPerTrack;
    const auto kind = static_cast<enumFILE_SYSTEM_TYPE>(entry.addParam.FileSystem);
    const bool keep = !EntryResizable(entry);
    const long long last = static_cast<long long>(disk.totalSectors) - 1;
    const long long first = static_cast<long long>(entry.addParam.FirstSector);
    const long long length = static_cast<long long>(entry.addParam.LastSector) - first;

    // The first primary partition begins one track into the disk, behind the table:
    // its slot starts at sector 0, the disk's first cylinder, rather than a cylinder
    // later, which would leave a whole cylinder unused on a disk already too small.
    const bool firstTrackIn = after < 0 && entry.addParam.Primary != 0 && first == static_cast<long long>(s);
    const long long newFirst =
        firstTrackIn ? 0
                     : CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionStartSector(h, s, after < first ? first
                                                                                                          : after + 1);
    if (newFirst < 0 || newFirst > last)
        return false;
    long long newLast = CCHSLBAConvertor::GetAdjustedOuterFullCylinderPartitionEndSector(h, s, newFirst + length);
    if (!keep) {
        if (newLast > last)
            newLast = CCHSLBAConvertor::GetAdjustedInnerFullCylinderPartitionEndSector(h, s, last);
        if (newLast < 0)
            return false;
        if ((newLast - newFirst) - static_cast<long long>(s) + 1 < entry.s64UseSector)
            newLast += static_cast<long long>(disk.Cylinder());
        if (kind == FILE_SYSTEM_FAT16 || kind == FILE_SYSTEM_FAT32) {
            const uint64_t n = static_cast<uint64_t>(newLast - newFirst + 1);
            enumFILE_SYSTEM_TYPE fits = kind;
            if (!IfNewPartitionSizeSurrportFileSystem(n, fits)) {
                const auto grown = GetFitFileSystem(kind, n, length + 1 <= static_cast<long long>(n));
                unsigned long minCluster = 0, maxCluster = 0;
                GetFatMinAndMaxClusterSize(static_cast<long long>(n), grown, minCluster, maxCluster);
                entry.addParam.FileSystem = grown;
                entry.addParam.SectorsPerCluster = minCluster;
            }
        }
    }
    entry.addParam.FirstSector = static_cast<uint64_t>(newFirst);
    entry.addParam.LastSector = static_cast<uint64_t>(newLast);
    return true;
}

void CTargetDiskPlanner::CorrectedDisk(const TargetDiskShape& disk, std::vector<TagRSPartitionInfo>& plan)
{
    long long after = -1;
    for (TagRSPartitionInfo& e : plan) {
        GetCorrectedParam(disk, after, e);
        after = static_cast<long long>(e.addParam.LastSector);
    }
    if (plan.empty())
        return;
    const uint64_t cylinder = disk.Cylinder();
    const uint64_t last = disk.LastSector();
    const TagRSPartitionInfo& tail = plan.back();
    if (EntryResizable(tail) || tail.addParam.LastSector <= last)
        return;
    // A partition that cannot shrink sticks out: move the plan's end back by whole
    // cylinders, shortening the nearest resizable partition that can spare them.
    const uint64_t shift = (tail.addParam.LastSector - last + cylinder - 1) / cylinder * cylinder;
    uint64_t next = 0;
    bool firstStep = true;
    for (size_t i = plan.size(); i-- > 0;) {
        TagRSPartitionInfo& e = plan[i];
        if (!firstStep && e.addParam.LastSector < next)
            break;
        firstStep = false;
        const long long shortened =
            static_cast<long long>(e.addParam.LastSector - e.addParam.FirstSector) - static_cast<long long>(shift) + 1;
        enumFILE_SYSTEM_TYPE kind = static_cast<enumFILE_SYSTEM_TYPE>(e.addParam.FileSystem);
        if (EntryResizable(e) && shortened > e.s64UseSector * 51 / 50 &&
            IfNewPartitionSizeSurrportFileSystem(static_cast<uint64_t>(shortened), kind)) {
            e.addParam.LastSector -= shift;
            break;
        }
        e.addParam.FirstSector -= shift;
        e.addParam.LastSector -= shift;
        next = e.addParam.FirstSector;
    }
}

void CTargetDiskPlanner::FitFatEntries(std::vector<TagRSPartitionInfo>& plan) const
{
    for (size_t i = 0; i < plan.size(); ++i) {
        TagRSPartitionInfo& e = plan[i];
        const auto kind = static_cast<enumFILE_SYSTEM_TYPE>(e.addParam.FileSystem);
        if (kind == FILE_SYSTEM_FAT16 || kind == FILE_SYSTEM_FAT32) {
            const uint64_t n = e.addParam.LastSector - e.addParam.FirstSector + 1;
            const bool growing = i < volumes_.size() && volumes_[i]->TotalSectors <= n;
            FitFatCluster(e, n, growing, e.addParam.SectorsPerCluster);
        }
        if (e.u8SecondFlag != 0 && e.addParam.FileSystem == FILE_SYSTEM_FAT32 &&
            e.addParam.SectorsPerCluster > kLimitedFat32Cluster)
            e.addParam.SectorsPerCluster = kLimitedFat32Cluster;
    }
}

CTargetDiskPlanner::PlanFault CTargetDiskPlanner::CheckPlan(const std::vector<TagRSPartitionInfo>& plan,
                                                            const TargetDiskShape& disk) const
{
    if (plan.size() != volumes_.size())
        return kPlanWrongCount;
    for (size_t i = 0; i < plan.size(); ++i) {
        const AddPartitionParam& p = plan[i].addParam;
        if (p.LastSector < p.FirstSector || p.LastSector > disk.LastSector())
            return kPlanPastDisk;
        if (i > 0 && p.FirstSector <= plan[i - 1].addParam.LastSector)
            return kPlanOverlaps;
        // A logical partition, and a primary one whose slot starts at sector 0, begin
        // one track into their slot.
        const bool trackInFront = p.Primary == 0 || p.FirstSector == 0;
        const uint64_t slot = p.LastSector - p.FirstSector + 1;
        const uint64_t data = trackInFront ? (slot > disk.sectorsPerTrack ? slot - disk.sectorsPerTrack : 0) : slot;
        if (data < SourceVolumeFacts::PlannedMinimum(*volumes_[i]))
            return kPlanTooSmall;
    }
    return kPlanOk;
}
