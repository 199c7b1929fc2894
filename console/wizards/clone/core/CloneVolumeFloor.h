// The fewest sectors a volume copied by file system can be given on the destination.
// A FAT volume keeps its own cluster size wherever the resizer cannot choose another,
// so it needs room for enough clusters of that size to stay the FAT variant it is,
// beside its tables, and room for its data as it will lie on the new size; it is never
// below its variant's smallest size either. An NTFS volume needs its used sectors and
// its smallest size. Partitions copied sector by sector need their full size and are
// not counted here (0).
#pragma once

#include <cstdint>

#include "CloneDiskRecords.h"

uint64_t CloneVolumeFloor(const _KS_PARTITION_INFO& partition);
