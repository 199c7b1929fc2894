#include "CExtendedChain.h"

#include <fcntl.h>
#include <set>
#include <unistd.h>

#include "MbrPartitionRecord.h"

std::vector<CExtendedChain::Link> CExtendedChain::Read(const std::string& path, uint64_t extendedStart,
                                                       uint64_t extendedCount)
{
    std::vector<Link> links;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return links;
    const uint64_t extendedEnd = extendedStart + extendedCount;
    std::set<uint64_t> seen;
    uint64_t record = extendedStart;
    // A chain has at most one record per track of the extended partition; the bound
    // also stops a chain that loops through records not yet seen.
    for (int guard = 0; guard < 1024; ++guard) {
        if (record < extendedStart || record >= extendedEnd || !seen.insert(record).second)
            break;
        unsigned char sector[512];
        if (pread(fd, sector, sizeof(sector), static_cast<off_t>(record * 512)) != static_cast<ssize_t>(sizeof(sector)) ||
            !HasBootSignature(sector))
            break;
        const MbrPartitionRecord data = LoadMbrPartitionRecord(sector + kMbrTableOffset);
        const MbrPartitionRecord next = LoadMbrPartitionRecord(sector + kMbrTableOffset + 16);
        Link link;
        link.recordSector = record;
        link.partitionStart = (data.type != 0 && data.sectorCount != 0) ? record + data.relativeStart : 0;
        links.push_back(link);
        if (next.type == 0 || next.sectorCount == 0)
            break;
        record = extendedStart + next.relativeStart;
    }
    close(fd);
    return links;
}
