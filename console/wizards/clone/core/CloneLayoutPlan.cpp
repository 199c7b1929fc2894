#include "CloneLayoutPlan.h"

#include "layout/PartitionSlot.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "CDestDiskAlloction.h"
#include "CloneVolumeFloor.h"
#include "PartitionRules.h"
#include "vessmar/FileSystemType.h"

namespace {

constexpr uint32_t kFat32TableType = 0x0B;
constexpr uint32_t kFat16TableType = 0x06;
constexpr uint64_t kFirstTrackLimit = 16065; // a primary this close to the start keeps its start
constexpr uint32_t kFat16ShareBase = 8386928;

TagRSPartitionInfo EmptyPlanned()
{
    TagRSPartitionInfo planned;
    std::memset(&planned, 0, sizeof planned);
    return planned;
}

bool IsFatFamily(uint32_t fs)
{
    return fs == FILE_SYSTEM_FAT12 || fs == FILE_SYSTEM_FAT16 || fs == FILE_SYSTEM_FAT32;
}

// A FAT volume's cluster size on its new size: the source's while it stays legal.
void PlanClusterSize(TagRSPartitionInfo& planned, const _KS_PARTITION_INFO& p)
{
    AddPartitionParam& a = planned.addParam;
    if (p.FileSystemType == FILE_SYSTEM_NTFS) {
        a.SectorsPerCluster = p.SectorsPerCluster;
        return;
    }
    if (!IsFatFamily(p.FileSystemType)) {
        a.SectorsPerCluster = 0;
        return;
    }
    const unsigned long long n = a.LastSector - a.FirstSector + 1;
    enumFILE_SYSTEM_TYPE fs = static_cast<enumFILE_SYSTEM_TYPE>(p.FileSystemType);
    if (IfNewPartitionSizeSurrportFileSystem(n, fs)) {
        unsigned long smallest = 0, largest = 0;
        GetFatMinAndMaxClusterSize(static_cast<long long>(n), fs, smallest, largest);
        const unsigned long own = p.SectorsPerCluster;
        a.SectorsPerCluster = (own >= smallest && own <= largest) ? own : smallest;
    } else {
        a.LastSector = a.FirstSector + p.SectorCount - 1;
        a.SectorsPerCluster = p.SectorsPerCluster;
    }
}

// The floor of each planned partition: the source partitions with a type id, in
// order, those copied by file system at their floor.
std::vector<uint64_t> PlannedFloors(const CloneLayoutInput& in)
{
    std::vector<uint64_t> floors;
    for (const _KS_PARTITION_INFO& p : in.source.partitions)
        if (p.PartitionType != 0)
            floors.push_back((p.Flags & kCloneFlagKeepSize) != 0 ? 0 : CloneVolumeFloor(p));
    return floors;
}

std::vector<TagRSPartitionInfo> Relayout(const CloneLayoutInput& in, const std::vector<uint64_t>& floors)
{
    const uint32_t spt = in.targetSectorsPerTrack;
    const uint32_t tracks = in.targetTracksPerCylinder;
    const uint32_t cylinder = tracks * spt;
    const std::vector<_KS_PARTITION_INFO>& source = in.source.partitions;
    CDestDiskAlloction shares(in.target.TotalSectors, in.target.SectorsPerTrack, cylinder, source);

    std::vector<TagRSPartitionInfo> layout;
    uint64_t position = 0;
    bool first = true;
    for (size_t i = 0; i < source.size(); ++i) {
        const _KS_PARTITION_INFO& p = source[i];
        if (p.PartitionType == 0)
            continue;
        TagRSPartitionInfo planned = EmptyPlanned();
        AddPartitionParam& a = planned.addParam;
        a.FileSystem = p.FileSystemType;
        a.PartitionType = p.PartitionType;
        a.Primary = p.Primary;
        a.FirstSector = position;

        int64_t used = static_cast<int64_t>(p.UsedSectors);
        // A partition flagged to keep its size was counted with its full size in the
        // shares; it is planned and later fitted with that size too.
        const bool keepSize = (p.Flags & kCloneFlagKeepSize) != 0;
        if (!IsResizableFileSystem(p.FileSystemType) || keepSize) {
            if (used == 0)
                used = static_cast<int64_t>(p.SectorCount);
            a.LastSector = position + p.SectorCount - 1;
            if (p.Primary == 0)
                a.LastSector += spt;
        } else {
            int64_t size = used + used / 50 + shares(static_cast<unsigned char>(i));
            // Never below what the file system can be made: the shares counted
            // the floor as this partition's need.
            size = std::max(size, static_cast<int64_t>(floors[layout.size()]));
            if (p.FileSystemType == FILE_SYSTEM_NTFS) {
                if (size > kCloneNtfsCap)
                    size = kCloneNtfsCap;
            } else {
                if (size > kCloneFat32Cap)
                    size = kCloneFat32Cap;
                if ((p.Flags & kCloneFlagSecond) != 0 && size > kCloneFatSecondFlagCap)
                    size = kCloneFatSecondFlagCap;
            }
            a.LastSector = position + static_cast<uint64_t>(size) - 1;
        }
        if (a.FirstSector == 0) {
            a.FirstSector = spt;
            if (p.Primary == 0)
                a.LastSector += spt;
        }
        PlanClusterSize(planned, p);

        planned.u8KeepSize = keepSize ? 1 : 0;
        planned.s64UseSector = used;
        planned.u32PartitionType = p.FileSystemType == FILE_SYSTEM_FAT32   ? kFat32TableType
                                   : p.FileSystemType == FILE_SYSTEM_FAT16 ? kFat16TableType
                                                                           : p.PartitionType;
        planned.u8Active = p.Flags & kCloneFlagActive;
        planned.u8SecondFlag = (p.Flags & kCloneFlagSecond) != 0 ? 1 : 0;
        a.DriveLetter = RESTORE_INFO_NO_LETTER;
        planned.u64SourceFirstSector = p.StartSector;

        if (first) {
            if (p.Primary == 0) {
                a.FirstSector = cylinder;
                a.LastSector += static_cast<uint64_t>(tracks - 1) * spt;
            } else if (p.StartSector <= kFirstTrackLimit) {
                a.FirstSector = p.StartSector;
                a.LastSector += p.StartSector;
            }
            first = false;
        }

        const int64_t toCylinder = shares.CorrectPartition(static_cast<long long>(a.LastSector));
        bool keepEnd = false;
        if (p.FileSystemType == FILE_SYSTEM_FAT16) {
            // Unsigned 32-bit as the layout has always computed it: a FAT16 volume near
            // its largest size keeps its end unrounded.
            const uint32_t left = kFat16ShareBase - static_cast<uint32_t>(used);
            keepEnd = left / static_cast<double>(kFat16ShareBase) <= 0.05;
        }
        if (keepEnd) {
            position = a.LastSector + toCylinder + 1;
        } else {
            a.LastSector += toCylinder;
            position = a.LastSector + 1;
        }
        layout.push_back(planned);
    }
    CorrectPartitionSpace(static_cast<long long>(in.target.TotalSectors), cylinder, layout, floors);
    return layout;
}

std::vector<TagRSPartitionInfo> SameLayout(const CloneLayoutInput& in)
{
    const uint64_t spt = in.targetSectorsPerTrack;
    std::vector<TagRSPartitionInfo> layout;
    for (const _KS_PARTITION_INFO& p : in.source.partitions) {
        if (p.PartitionType == 0)
            continue;
        TagRSPartitionInfo planned = EmptyPlanned();
        AddPartitionParam& a = planned.addParam;
        a.FileSystem = p.FileSystemType;
        a.FirstSector = PartitionSlotFirst(p.Primary != 0, p.StartSector, p.HiddenSectors, spt);
        // The device manager puts a logical partition's data one track into its slot:
        // the slot begins a track before the source's data wherever that is free, so
        // the data keeps its place whatever gap the source left before it.
        if (p.Primary == 0 && p.StartSector >= spt && p.HiddenSectors != spt &&
            (layout.empty() || p.StartSector - spt > layout.back().addParam.LastSector))
            a.FirstSector = p.StartSector - spt;
        a.LastSector = p.StartSector + p.SectorCount - 1;
        static_assert(sizeof a.Name > sizeof p.VolumeLabel, "the label fits the name");
        std::memcpy(a.Name, p.VolumeLabel, sizeof p.VolumeLabel);
        a.Primary = p.Primary;
        a.SectorsPerCluster = p.SectorsPerCluster;
        a.PartitionType = p.PartitionType;
        planned.u32PartitionType = p.PartitionType;
        planned.s64UseSector = static_cast<int64_t>(p.UsedSectors);
        planned.u8Active = p.Flags & kCloneFlagActive;
        planned.u8SecondFlag = (p.Flags & kCloneFlagSecond) != 0 ? 1 : 0;
        planned.u8DriveLetter = RESTORE_INFO_NO_LETTER;
        planned.u64HiddenSectors = p.HiddenSectors;
        planned.u64SourceFirstSector = p.StartSector;
        layout.push_back(planned);
    }
    return layout;
}

_RESTORE_INFO EmptyItem()
{
    _RESTORE_INFO item;
    std::memset(&item, 0, sizeof item);
    return item;
}

} // namespace

unsigned short GetVoltypeFromFileSysType(uint32_t fileSystem)
{
    switch (fileSystem) {
    case 0: return 1;
    case 1: return 2;
    case 2: return 3;
    case 3: return 4;
    case 4: return 5;
    case 5: return 6;
    case 8: return 7;
    case 9: return 8;
    case 10: return 9;
    default: return 255;
    }
}

void CorrectPartitionSpace(long long diskSectors, unsigned long cylinder, std::vector<TagRSPartitionInfo>& layout,
                           const std::vector<uint64_t>& floors)
{
    if (!layout.empty() && cylinder != 0 &&
        static_cast<long long>(layout.back().addParam.LastSector) > diskSectors - 1) {
        const long long overrun = static_cast<long long>(layout.back().addParam.LastSector) - (diskSectors - 1);
        uint32_t excess = static_cast<uint32_t>((overrun + cylinder - 1) / cylinder * cylinder);
        auto shiftFrom = [&layout](size_t from, uint64_t by) {
            for (size_t j = from; j < layout.size(); ++j) {
                layout[j].addParam.FirstSector -= by;
                layout[j].addParam.LastSector -= by;
            }
        };
        for (size_t i = 0; i < layout.size(); ++i) {
            AddPartitionParam& a = layout[i].addParam;
            if (!IsResizableFileSystem(a.FileSystem) || layout[i].u8KeepSize != 0)
                continue;
            const long long keep = std::max<long long>(layout[i].s64UseSector,
                                                       i < floors.size() ? static_cast<long long>(floors[i]) : 0);
            const long long slack = static_cast<long long>(a.LastSector - a.FirstSector + 1) - keep;
            if (slack > static_cast<long long>(excess)) {
                a.LastSector -= excess;
                shiftFrom(i + 1, excess);
                break;
            }
            if (slack > 2 * static_cast<long long>(cylinder)) {
                const uint64_t take = static_cast<uint64_t>((slack - cylinder) / cylinder) * cylinder;
                a.LastSector -= take;
                shiftFrom(i + 1, take);
                excess -= static_cast<uint32_t>(take);
            }
        }
    }
    for (TagRSPartitionInfo& planned : layout) {
        AddPartitionParam& a = planned.addParam;
        if (a.FileSystem == FILE_SYSTEM_FAT16 && a.LastSector - a.FirstSector + 1 > static_cast<uint64_t>(kCloneFat16Cap))
            a.LastSector = a.FirstSector + kCloneFat16Cap - 1;
    }
}

CloneLayoutPlan PlanCloneLayout(const CloneLayoutInput& in)
{
    CloneLayoutPlan plan;
    plan.targetCylinder = static_cast<uint64_t>(in.target.TracksPerCylinder) * in.target.SectorsPerTrack;
    plan.relayout = in.target.TotalSectors < in.source.disk.TotalSectors || in.sourceBad;
    plan.floors = PlannedFloors(in);
    plan.layout = plan.relayout ? Relayout(in, plan.floors) : SameLayout(in);
    const uint32_t spt = in.targetSectorsPerTrack;

    for (const TagRSPartitionInfo& planned : plan.layout) {
        const AddPartitionParam& a = planned.addParam;
        _RESTORE_INFO item = EmptyItem();
        item.DiskNumber = in.targetDisk;
        item.VolumeType = static_cast<uint16_t>(planned.u32PartitionType);
        item.DriveLetter = std::toupper(planned.u8DriveLetter);
        item.Primary = a.Primary;
        item.Active = planned.u8Active;
        item.HiddenSectors = planned.u64HiddenSectors;
        if (a.FirstSector == 0) {
            item.FirstSector = spt;
            item.SectorCount = a.LastSector - spt + 1;
        } else {
            item.FirstSector = a.FirstSector;
            item.SectorCount = a.LastSector - a.FirstSector + 1;
        }
        plan.restoreItems.push_back(item);

        AddPartitionParam add;
        std::memset(&add, 0, sizeof add);
        add.FileSystem = a.FileSystem;
        add.FirstSector = a.FirstSector;
        add.LastSector = a.LastSector;
        add.DriveLetter = a.DriveLetter;
        add.Primary = a.Primary;
        add.SectorsPerCluster = a.SectorsPerCluster;
        add.PartitionType = a.FileSystem <= FILE_SYSTEM_NTFS ? 0 : a.PartitionType;
        plan.addParams.push_back(add);
    }

    for (const _KS_PARTITION_INFO& p : in.source.partitions) {
        if (p.PartitionType == 0)
            continue;
        _RESTORE_INFO item = EmptyItem();
        item.DiskNumber = in.sourceDisk;
        item.FirstSector = p.StartSector;
        item.SectorCount = p.SectorCount;
        if (p.FileSystemType == FILE_SYSTEM_OTHER)
            item.VolumeType = IsSurportPartitionType(p.PartitionType) ? 6 : 0xFF;
        else
            item.VolumeType = GetVoltypeFromFileSysType(p.FileSystemType);
        item.Primary = p.Primary;
        item.Active = p.Flags & kCloneFlagActive;
        plan.sourceItems.push_back(item);
    }
    return plan;
}
