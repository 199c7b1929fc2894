// One restore of the one volume of a set onto a partition of disk 1, driven as the
// command channel drives the engine: listed, queued, Execute, the record polled.
#pragma once

#include <cstdint>
#include <string>

// Returns the run's result code (0 on success).
unsigned long RunEngineRestore(const std::string& set, uint64_t firstSector, uint64_t sectors);
