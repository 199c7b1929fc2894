// One backup of partition 0 of disk 0 through the engine, driven as its callers do:
// options and source set, Execute, the progress record polled until the run ends.
#pragma once

#include <cstdint>
#include <string>

// Returns the run's result code (0 on success); image is the set's first file.
unsigned long RunEngineBackup(const std::string& image, uint32_t level);
