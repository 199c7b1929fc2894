// One block of a disk map row as the row plans it: the partition record the block
// draws and its width in pixels.
#pragma once

#include <vector>

#include "KSDiskInfo.h"

struct MapBlock {
    __PARTITION_INFO_CMD record;
    int width;
};

using MapRow = std::vector<MapBlock>;

// A zeroed record of free space (type id 0, kind 7) from first over count sectors.
__PARTITION_INFO_CMD FreeSpaceRecord(unsigned long long first, unsigned long long count);
