// Reads where the extended boot records of a disk lie. libfdisk lists the logical
// partitions but not their records, and the distance from a record to its partition
// is what callers call the partition's hidden sectors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CExtendedChain {
public:
    struct Link {
        uint64_t recordSector;    // where this extended boot record lies
        uint64_t partitionStart;  // the logical partition it describes (0 when none)
    };
    // Follows the chain from the extended partition's first sector. A damaged chain
    // (a link outside the extended partition, a loop, an unreadable sector) ends the walk.
    static std::vector<Link> Read(const std::string& path, uint64_t extendedStart, uint64_t extendedCount);
};
