#include "FatDirectoryClusters.h"

#include <set>

#include "CScratchVolume.h"
#include "LittleEndian.h"

namespace {
constexpr unsigned kEntryBytes = 32;
constexpr unsigned kDirSector = 512;
constexpr unsigned char kDeleted = 0xE5;
constexpr unsigned char kLongName = 0x0F;
constexpr unsigned char kDirectory = 0x10;

uint32_t NextInChain(const std::vector<unsigned char>& fat, uint32_t cluster, bool fat32)
{
    return fat32 ? LoadLE32(&fat[size_t(cluster) * 4]) & 0x0FFFFFFF : LoadLE16(&fat[size_t(cluster) * 2]);
}

bool IsDotEntry(const unsigned char* entry)
{
    return entry[0] == '.' && (entry[1] == ' ' || (entry[1] == '.' && entry[2] == ' '));
}

// Renumbers the entries of one directory's bytes; the subdirectories found (by their
// new first cluster) are added to pending, the files to files. False at the
// end-of-directory mark.
bool RenumberEntries(std::vector<unsigned char>& bytes, bool fat32, const std::function<uint32_t(uint32_t)>& renumber,
                     std::vector<uint32_t>& pending, std::vector<FatFileChain>& files)
{
    for (size_t at = 0; at + kEntryBytes <= bytes.size(); at += kEntryBytes) {
        unsigned char* entry = &bytes[at];
        if (entry[0] == 0)
            return false;
        if (entry[0] == kDeleted || entry[11] == kLongName)
            continue;
        const uint32_t old = (fat32 ? uint32_t(LoadLE16(entry + 20)) << 16 : 0) | LoadLE16(entry + 26);
        const uint32_t now = old != 0 ? renumber(old) : 0;
        if (now == 0)
            continue;
        StoreLE16(entry + 26, static_cast<uint16_t>(now));
        if (fat32)
            StoreLE16(entry + 20, static_cast<uint16_t>(now >> 16));
        if ((entry[11] & kDirectory) == 0)
            files.push_back(FatFileChain{now, LoadLE32(entry + 28)});
        else if (!IsDotEntry(entry))
            pending.push_back(now);
    }
    return true;
}
}

bool RenumberDirectoryClusters(CScratchVolume& scratch, const FatDirectoryPlace& place,
                               const std::vector<unsigned char>& fat, std::vector<unsigned char>& fixedRoot,
                               uint32_t rootCluster, const std::function<uint32_t(uint32_t)>& renumber,
                               std::vector<FatFileChain>& files)
{
    std::vector<uint32_t> pending;
    if (!fixedRoot.empty())
        RenumberEntries(fixedRoot, place.fat32, renumber, pending, files);
    else if (rootCluster >= 2)
        pending.push_back(rootCluster);
    // A directory reached twice (a damaged volume's loop) is renumbered once.
    std::set<uint32_t> seen;
    std::vector<unsigned char> cluster(size_t(place.clusterSectors) * kDirSector);
    const uint64_t last = place.clusters + 1;
    while (!pending.empty()) {
        uint32_t at = pending.back();
        pending.pop_back();
        if (!seen.insert(at).second)
            continue;
        // Each cluster of the directory's chain, until its end mark or a number outside
        // the volume; the count bounds a chain that loops.
        for (uint64_t step = 0; at >= 2 && at <= last && step < place.clusters; ++step) {
            const uint64_t sector = place.dataStart + uint64_t(at - 2) * place.clusterSectors;
            if (!scratch.Read(cluster.data(), sector, place.clusterSectors))
                return false;
            const bool more = RenumberEntries(cluster, place.fat32, renumber, pending, files);
            if (!scratch.Write(cluster.data(), sector, place.clusterSectors))
                return false;
            if (!more)
                break;
            at = NextInChain(fat, at, place.fat32);
        }
    }
    return true;
}
