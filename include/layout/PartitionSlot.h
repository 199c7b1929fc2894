// A partition's slot: the stretch of the disk a layout gives it, from where its table
// record or the room before it begins. Hidden sectors, as the disk enumeration, the
// volume records of a set and the restore targets carry them, are the distance from
// the partition's table record to its first sector: for a primary partition, whose
// record is the master boot record at sector 0, its first sector. A layout counts
// with slots instead: a primary partition's slot begins at its first sector, or at
// sector 0 when it begins in the first track, which it then owns; a logical
// partition's slot begins at its extended boot record.
#pragma once

#include <cstdint>

#include "KSVolume.h"

// The first sector of the slot of a partition that begins at first with hidden sectors
// hidden, on a disk of sectorsPerTrack sectors per track.
inline uint64_t PartitionSlotFirst(bool primary, uint64_t first, uint64_t hidden, uint64_t sectorsPerTrack)
{
    if (primary)
        return first <= sectorsPerTrack ? 0 : first;
    return hidden <= first ? first - hidden : 0;
}

// The slot of the partition a volume was backed up from. Sets written while hidden
// sectors counted from the slot give the same slot.
inline uint64_t VolumeSlotFirst(const _KS_VOLUME& v)
{
    if ((v.Flags & KS_VOLFLAG_PRIMARY) == 0)
        return v.StartLessHidden; // a logical partition's record begins its slot
    const uint64_t track = v.SectorsPerTrack != 0 ? v.SectorsPerTrack : 63;
    return PartitionSlotFirst(true, v.PartitionStart, v.PartitionStart, track);
}

// Its length: from the slot's first sector to the volume's end.
inline uint64_t VolumeSlotLength(const _KS_VOLUME& v)
{
    return v.StartLessHidden + v.HiddenPlusTotal - VolumeSlotFirst(v);
}
