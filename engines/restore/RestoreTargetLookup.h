// Finds the partition a restore target names among a disk's partitions. Each rule is
// tried over every partition before the next: an exact match always wins over a
// neighbour that only lies close by.
#pragma once

#include <cstddef>
#include <vector>

#include "KSRestoreRecords.h"
#include "RestoreServices.h"

// Index of the partition, or -1. Rules: 1 same first sector and count; 2 same table
// record and same end when the hidden sectors differ; 3 a first sector less than 64
// sectors away.
long FindRestoreTarget(const std::vector<RestorePartition>& partitions, const _KS_RESTORE_TARGET& target);
