// The row of a planned layout (the partitions a clone or restore will create on a
// target disk): a block per planned partition, a free block in front of the first when
// it starts at sector 64 or later, a free block for each gap between partitions that is
// larger than minGap (gaps of 0 and 63 sectors, a track's alignment, never count), and
// a trailing free block for the room left at the disk's end.
#pragma once

#include "MapBlock.h"
#include "layout/TagRSPartitionInfo.h"

// The blocks of the row, a trailing free block among them when the disk has more than
// minGap sectors left after the plan.
unsigned long long CountPlannedBlocks(const std::vector<TagRSPartitionInfo>& parts, unsigned long long diskSectors,
                                      int minGap);
MapRow PlanPlannedRow(const std::vector<TagRSPartitionInfo>& parts, unsigned long long diskSectors, int width,
                      int minGap);
