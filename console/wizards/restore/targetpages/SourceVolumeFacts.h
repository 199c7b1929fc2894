// What the target pages read of an image volume record: its file system as the
// console numbers it, its flags and its sizes, with the rules that decide how much
// room a restore of it needs.
#pragma once

#include <cstdint>

#include "KSVolume.h"
#include "vessmar/FileSystemType.h"

namespace SourceVolumeFacts {

enumFILE_SYSTEM_TYPE Kind(const _KS_VOLUME& v);
bool IsPrimary(const _KS_VOLUME& v);
bool IsActive(const _KS_VOLUME& v);
bool IsSectorBySector(const _KS_VOLUME& v);
// The FAT-limit flag: a FAT volume that must stay within what older systems read.
bool HasFatLimit(const _KS_VOLUME& v);
// FAT16, FAT32 or NTFS, copied cluster by cluster, so its partition may be resized.
bool IsResizable(const _KS_VOLUME& v);
// Used sectors plus the 2 % the file system needs to breathe.
uint64_t UsedWithMargin(const _KS_VOLUME& v);
// Sector by sector, or a volume whose data leaves no 2 % margin: it keeps its size.
bool KeepsSize(const _KS_VOLUME& v);
// The fewest sectors a FAT volume of this kind and cluster size can have: the
// layout engine's lower bound of the kind, and never fewer than the kind's least
// cluster count at the volume's own cluster size with its boot area and tables
// (the FAT copier keeps the cluster size where it cannot change it). 0 for other
// file systems.
uint64_t FatKindMinimum(const _KS_VOLUME& v);
// The fewest sectors a partition of the plan may give this volume: the whole volume
// where it keeps its size or cannot be read by file system, else its used sectors
// and their margin, and for a FAT volume never below FatKindMinimum (or its own
// size, where that is less), so the plan keeps its kind. Both the disk choice and the relayout count with it.
uint64_t PlannedMinimum(const _KS_VOLUME& v);
// The source partition's extent on the disk it was backed up from.
uint64_t ExtentFirst(const _KS_VOLUME& v);
uint64_t ExtentLast(const _KS_VOLUME& v);

} // namespace SourceVolumeFacts
