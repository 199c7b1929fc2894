// The per-volume reader of the backup module knows a partition by its index in the
// disk enumeration module's list, where free stretches have entries of their own; a
// clone finds that index from the partition's first sector.
#pragma once

#include <cstdint>

// -1 when the disk is unknown or holds no partition starting at firstSector.
long LivePartitionIndex(unsigned disk, uint64_t firstSector);
