// What the field's own tools say a partition uses: partclone's domain log read as a
// used-cluster bitmap, and the data runs of an NTFS file as ntfsinfo lists them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Copies the partition into its own file (the tools read whole devices).
std::string ExtractPartition(const std::string& disk, uint64_t start, uint64_t sectors, const std::string& out);
// One bit per cluster of the data area (from dataStart, spc sectors each): set when
// partclone.<tool> -D marks any of its bytes used. Empty when the tool fails.
std::vector<uint8_t> PartcloneBitmap(const std::string& tool, const std::string& partition, uint64_t dataStart,
                                     uint32_t spc, uint64_t clusters, uint32_t bitmapBytes);
// (first cluster, count) of each run of an NTFS file's data.
std::vector<std::pair<uint64_t, uint64_t>> NtfsRuns(const std::string& partition, const std::string& file);
