// The row of a live disk: one block per partition record, in order, shared out over the
// disk's sectors, or over the partitions' sum when they add up to more.
#pragma once

#include "MapBlock.h"

unsigned long long LiveRowSectors(unsigned long long diskSectors, const std::vector<__PARTITION_INFO_CMD>& records);
MapRow PlanLiveRow(unsigned long long diskSectors, const std::vector<__PARTITION_INFO_CMD>& records, int width);
