// A temporary file holding a copy of one partition of a disk-image file, so that a
// checker made for a volume sees the volume alone. Zero blocks are left as holes.
#pragma once

#include <cstdint>
#include <string>

class PartitionCopy {
public:
    PartitionCopy() = default;
    ~PartitionCopy();
    PartitionCopy(const PartitionCopy&) = delete;
    PartitionCopy& operator=(const PartitionCopy&) = delete;

    // Copies bytes [offset, offset + size) of source; false when any read or write fails.
    bool Make(const std::string& source, uint64_t offset, uint64_t size);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
