// The fixes of a restored partition's boot sector and of its table entry.
#pragma once

#include <cstdint>

#include "KSRestoreRecords.h"

class IFixupDisks;
class IFixupVolume;

// Sectors per track (u16 at 24), heads (u16 at 26) from the disk's geometry and the
// hidden sectors (u32 at 28): the first sector of a primary, the hidden sectors of a
// logical. Only for targets whose file-system number is 1 to 4.
void FixBootSectorGeometry(IFixupDisks& disks, IFixupVolume& volume, const _KS_RESTORE_TARGET& target);

// A table entry whose distance from its table record differs from the target's:
// when the difference in sector counts equals the difference in hidden sectors (the
// entry names the same end) and allowed, the entry is moved to start at the target's
// distance from its record and sized to keep its end. Changes the disk's table
// directly; true when it was rewritten.
bool FixTableEntryHiddenSectors(unsigned disk, uint64_t entryStart, uint64_t entrySectors, uint64_t entryHidden,
                                const _KS_RESTORE_TARGET& target, bool allowed);
