// One backup of one partition of disk 0 through the engine, driven as its callers do:
// options and source set, Execute, the progress record polled until the run ends.
#pragma once

#include <cstdint>
#include <string>

// The index under which the disk enumeration lists the partition of disk 0 that
// starts at startSector (it lists free space as entries too); ~0u when none does.
uint32_t PartitionIndexAt(uint64_t startSector);

// Returns the run's result code (0 on success); image is the set's first file.
unsigned long RunEngineBackup(const std::string& image, uint32_t partition, uint32_t level);
