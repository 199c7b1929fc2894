#include "RestoreTargetRecords.h"

#include <cstring>

#include "CloneLayoutPlan.h"
#include "layout/PartitionSlot.h"

namespace {

_RESTORE_INFO EmptyTarget(uint8_t disk)
{
    _RESTORE_INFO t;
    std::memset(&t, 0, sizeof t);
    t.DiskNumber = disk;
    return t;
}

// A volume that fills exactly the partition's slot, restored as a logical partition:
// it lies where the source had it relative to its table entry.
void LogicalFixUp(const _KS_VOLUME& v, const NewPartitionFacts& created, bool makeActive, bool makePrimary,
                  uint64_t& first, uint64_t& count)
{
    // The new partition's hidden sectors come from the device manager, which counts
    // them from the slot: the source's slot is compared.
    if (makeActive || makePrimary || created.sectors + created.hidden != VolumeSlotLength(v))
        return;
    const int64_t d = static_cast<int64_t>(v.PartitionStartLow) - static_cast<int64_t>(VolumeSlotFirst(v));
    // The new table entry puts the partition `hidden` sectors into its slot, and the
    // volume must begin where the entry says: a source whose volume lay further into
    // its slot (a logical aligned 2048 sectors past its table sector) goes to the new
    // entry's start, never past it where no table points.
    if (d != static_cast<int64_t>(created.hidden))
        return;
    first = static_cast<uint64_t>(d + static_cast<int64_t>(created.start - created.hidden));
    count = static_cast<uint64_t>(static_cast<int64_t>(created.sectors + created.hidden) - d);
}

} // namespace

bool RestoreSectorBySector(const _KS_VOLUME& v)
{
    const bool tight = v.TotalSectors < v.UsedSectors + v.UsedSectors / 50;
    return (v.Flags & KS_VOLFLAG_NO_FS_READER) != 0 || ((v.Flags & KS_VOLFLAG_ALL_SECTORS) != 0 && tight);
}

_RESTORE_INFO DiskEntryTarget(uint8_t disk, const TagRSPartitionInfo& e, const _KS_VOLUME& v,
                              const NewPartitionFacts& created, uint64_t spt, bool relaidOut, bool sectorBySector)
{
    const uint64_t s = e.addParam.FirstSector;
    const uint64_t last = e.addParam.LastSector;
    const bool primary = e.addParam.Primary != 0;
    uint64_t first = e.u64SourceFirstSector;
    if (relaidOut)
        first = (s == 0 || !primary) ? s + spt : s;
    const uint64_t sourceSpt = v.SectorsPerTrack;
    const uint64_t diff = spt > sourceSpt ? spt - sourceSpt : sourceSpt - spt;
    uint64_t count;
    if (diff == 0)
        count = last - first + 1;
    else if (sectorBySector)
        count = v.TotalSectors;
    else
        count = (!primary && e.u8Active == 0) ? created.sectors + diff : created.sectors;
    LogicalFixUp(v, created, false, false, first, count);

    _RESTORE_INFO t = EmptyTarget(disk);
    t.FirstSector = first;
    t.SectorCount = count;
    t.VolumeType = GetVoltypeFromFileSysType(e.addParam.FileSystem);
    t.DriveLetter = RESTORE_INFO_NO_LETTER;
    t.Primary = primary ? 1 : 0;
    t.Active = e.u8Active != 0 ? 1 : 0;
    return t;
}

_RESTORE_INFO PartitionTarget(const PartitionTargetInput& in, const _KS_VOLUME& v)
{
    uint64_t first = in.first;
    uint64_t count = in.countWholeVolume ? v.TotalSectors : in.created.sectors;
    LogicalFixUp(v, in.created, in.makeActive, in.makePrimary, first, count);

    _RESTORE_INFO t = EmptyTarget(in.disk);
    t.FirstSector = first;
    t.SectorCount = count;
    t.VolumeType = GetVoltypeFromFileSysType(in.kind);
    // A partition without a letter goes out as '*', never as a blank.
    const bool noLetter = in.driveLetter == 0 || in.driveLetter == ' ';
    t.DriveLetter = noLetter ? static_cast<int32_t>(RESTORE_INFO_NO_LETTER) : static_cast<int32_t>(in.driveLetter);
    t.Primary = (in.makeActive || in.makePrimary) ? 1 : 0;
    t.Active = in.makeActive ? 1 : 0;
    return t;
}

_RESTORE_INFO BootRecordTarget(uint8_t disk, uint8_t sourceDisk)
{
    _RESTORE_INFO t = EmptyTarget(disk);
    t.SourceDisk = sourceDisk;
    return t;
}
