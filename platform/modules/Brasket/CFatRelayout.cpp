#include "CFatRelayout.h"

#include <algorithm>
#include <vector>

#include "CScratchVolume.h"
#include "FatDirectoryClusters.h"
#include "LittleEndian.h"

namespace {
constexpr unsigned kSector = 512;
constexpr uint32_t kFat16LeastClusters = 4085;
constexpr uint32_t kFat32LeastClusters = 65525;
constexpr uint32_t kFat32MostClusters = 0x0FFFFFF5;
constexpr uint32_t kFreeUnknown = 0xFFFFFFFF;

struct FatShape {
    bool fat32 = false;
    uint32_t clusterSectors = 0;
    uint32_t reserved = 0;
    uint32_t fats = 0;
    uint32_t rootSectors = 0;
    uint32_t fatSectors = 0;
    uint64_t totalSectors = 0;

    uint64_t DataStart() const { return uint64_t(reserved) + uint64_t(fats) * fatSectors + rootSectors; }
    uint64_t Clusters() const
    {
        return totalSectors > DataStart() ? (totalSectors - DataStart()) / clusterSectors : 0;
    }
    uint32_t EntryBytes() const { return fat32 ? 4 : 2; }
};

bool ReadShape(const unsigned char* boot, FatShape& shape)
{
    if (LoadLE16(boot + 11) != kSector || boot[510] != 0x55 || boot[511] != 0xAA)
        return false;
    shape.clusterSectors = boot[13];
    shape.reserved = LoadLE16(boot + 14);
    shape.fats = boot[16];
    const uint32_t rootEntries = LoadLE16(boot + 17);
    shape.rootSectors = (rootEntries * 32 + kSector - 1) / kSector;
    const uint32_t fat16Size = LoadLE16(boot + 22);
    shape.fat32 = fat16Size == 0;
    shape.fatSectors = shape.fat32 ? LoadLE32(boot + 36) : fat16Size;
    const uint32_t small = LoadLE16(boot + 19);
    shape.totalSectors = small != 0 ? small : LoadLE32(boot + 32);
    const uint32_t c = shape.clusterSectors;
    if (c == 0 || (c & (c - 1)) != 0 || shape.reserved == 0 || shape.fats == 0 || shape.fatSectors == 0)
        return false;
    const uint64_t clusters = shape.Clusters();
    // FAT12 and anything that does not add up is left to libparted's own checks.
    return shape.fat32 ? clusters >= kFat32LeastClusters : clusters >= kFat16LeastClusters && clusters < kFat32LeastClusters;
}

// The smallest table that holds an entry for every cluster of the new length, with
// clusters of clusterSectors.
bool PlanShape(const FatShape& old, uint64_t newSectors, uint32_t clusterSectors, FatShape& shape)
{
    shape = old;
    shape.clusterSectors = clusterSectors;
    shape.totalSectors = newSectors;
    shape.fatSectors = 1;
    for (int round = 0; round < 64; ++round) {
        const uint64_t need = ((shape.Clusters() + 2) * shape.EntryBytes() + kSector - 1) / kSector;
        if (need <= shape.fatSectors)
            break;
        shape.fatSectors = static_cast<uint32_t>(need);
    }
    if (shape.DataStart() >= newSectors)
        return false;
    const uint64_t clusters = shape.Clusters();
    return old.fat32 ? clusters >= kFat32LeastClusters && clusters <= kFat32MostClusters
                     : clusters >= kFat16LeastClusters && clusters < kFat32LeastClusters;
}

uint32_t Entry(const std::vector<unsigned char>& fat, uint64_t cluster, bool fat32)
{
    return fat32 ? LoadLE32(&fat[cluster * 4]) & 0x0FFFFFFF : LoadLE16(&fat[cluster * 2]);
}

void SetEntry(std::vector<unsigned char>& fat, uint64_t cluster, bool fat32, uint32_t value)
{
    if (fat32)
        StoreLE32(&fat[cluster * 4], value & 0x0FFFFFFF);
    else
        StoreLE16(&fat[cluster * 2], static_cast<uint16_t>(value));
}

// The shape of the new length: with the volume's own cluster size where that leaves
// enough clusters for its FAT type; when a shrink leaves too few, with the largest
// smaller cluster size that does (each cluster then splits into equal pieces, so the
// data keeps its place in the data area).
bool PlanShrinkOrSplit(const FatShape& old, uint64_t newSectors, FatShape& shape)
{
    if (PlanShape(old, newSectors, old.clusterSectors, shape))
        return true;
    if (newSectors >= old.totalSectors)
        return false;
    for (uint32_t c = old.clusterSectors / 2; c >= 1; c /= 2)
        if (PlanShape(old, newSectors, c, shape))
            return true;
    return false;
}

// Where each old cluster's bytes go in the new data area, counted in old clusters from
// its start: in place, or (packed) the clusters in use one after another in their order.
struct ClusterSlots {
    std::vector<uint32_t> slot; // by old cluster number - 2; empty: in place
    uint32_t pieces = 1;        // new clusters per old one

    uint64_t Slot(uint64_t n) const { return slot.empty() ? n - 2 : slot[n - 2]; }
    // The new number of old cluster n's first piece.
    uint64_t First(uint64_t n) const { return 2 + Slot(n) * pieces; }
};

// The new table: old cluster n becomes the run of pieces from First(n), chained in
// order, the last piece taking the old entry's end mark, bad mark or the first piece
// of the next cluster.
std::vector<unsigned char> RenumberedTable(const std::vector<unsigned char>& old, const FatShape& was,
                                           const FatShape& shape, const ClusterSlots& slots, uint64_t kept)
{
    const bool fat32 = shape.fat32;
    const uint32_t pieces = slots.pieces;
    const uint32_t bad = fat32 ? 0x0FFFFFF7 : 0xFFF7;
    const auto split = [&slots](uint64_t n) { return slots.First(n); };
    std::vector<unsigned char> fat(size_t(shape.fatSectors) * kSector, 0);
    // Entries 0 and 1 hold the media byte and the volume's clean marks.
    std::copy(old.begin(), old.begin() + 2 * was.EntryBytes(), fat.begin());
    for (uint64_t n = 2; n < kept + 2; ++n) {
        const uint32_t e = Entry(old, n, fat32);
        if (e == 0)
            continue;
        const uint64_t first = split(n);
        for (uint32_t j = 0; j + 1 < pieces; ++j)
            SetEntry(fat, first + j, fat32, e == bad ? bad : static_cast<uint32_t>(first + j + 1));
        const bool next = e >= 2 && e < was.Clusters() + 2;
        SetEntry(fat, first + pieces - 1, fat32, next ? static_cast<uint32_t>(split(e)) : e);
    }
    return fat;
}

// A file's last cluster, split, leaves pieces past the file's end: the chain ends at
// the piece that holds its last byte and the rest are free again.
void EndChainsAtFileLengths(std::vector<unsigned char>& fat, const FatShape& shape, uint32_t pieces,
                            const std::vector<FatFileChain>& files)
{
    const bool fat32 = shape.fat32;
    const uint64_t clusterBytes = uint64_t(shape.clusterSectors) * kSector;
    const uint64_t last = shape.Clusters() + 1;
    const auto inVolume = [last](uint64_t c) { return c >= 2 && c <= last; };
    for (const FatFileChain& file : files) {
        const uint64_t need = (uint64_t(file.bytes) + clusterBytes - 1) / clusterBytes;
        if (need == 0 || !inVolume(file.first))
            continue;
        uint64_t at = file.first;
        for (uint64_t n = 1; n < need && inVolume(at); ++n)
            at = Entry(fat, at, fat32);
        if (!inVolume(at))
            continue; // a chain shorter than its file: left as the volume had it
        // Only pieces of the same old cluster are cut off: whatever else the chain
        // holds (on a damaged volume) stays as the volume had it.
        const uint64_t group = (at - 2) / pieces;
        const auto samePiece = [&](uint64_t c) { return inVolume(c) && (c - 2) / pieces == group && c > at; };
        uint64_t tail = Entry(fat, at, fat32);
        if (!samePiece(tail))
            continue;
        SetEntry(fat, at, fat32, fat32 ? 0x0FFFFFFF : 0xFFFF);
        while (samePiece(tail)) {
            const uint64_t next = Entry(fat, tail, fat32);
            SetEntry(fat, tail, fat32, 0);
            tail = next;
        }
    }
}

// Packs the clusters in use at the front of the data area, keeping their order, when one
// lies past the clusters the new length keeps: false when they do not all fit, or when
// the new data area starts after the old one (the packed copy could overwrite a cluster
// not yet moved).
bool PlanPacking(const std::vector<unsigned char>& fat, const FatShape& old, const FatShape& shape,
                 ClusterSlots& slots)
{
    if (shape.DataStart() > old.DataStart())
        return false;
    slots.slot.assign(old.Clusters(), 0);
    uint64_t next = 0;
    for (uint64_t n = 2; n < old.Clusters() + 2; ++n)
        if (Entry(fat, n, old.fat32) != 0)
            slots.slot[n - 2] = static_cast<uint32_t>(next++);
    return next * slots.pieces <= shape.Clusters();
}

// Packed clusters move to lower or equal sectors, in order: a move never overwrites a
// cluster not yet moved.
bool PackClusters(CScratchVolume& scratch, const FatShape& old, const FatShape& shape,
                  const std::vector<unsigned char>& fat, const ClusterSlots& slots)
{
    std::vector<unsigned char> cluster(size_t(old.clusterSectors) * kSector);
    for (uint64_t n = 2; n < old.Clusters() + 2; ++n) {
        if (Entry(fat, n, old.fat32) == 0)
            continue;
        const uint64_t from = old.DataStart() + (n - 2) * old.clusterSectors;
        const uint64_t to = shape.DataStart() + slots.Slot(n) * old.clusterSectors;
        if (from != to &&
            (!scratch.Read(cluster.data(), from, old.clusterSectors) || !scratch.Write(cluster.data(), to, old.clusterSectors)))
            return false;
    }
    return true;
}

// Clusters in use move from the old data area to the new one; the order keeps a move
// from overwriting a cluster that has not moved yet.
bool MoveClusters(CScratchVolume& scratch, const FatShape& old, const FatShape& shape,
                  const std::vector<unsigned char>& fat, uint64_t kept)
{
    const uint64_t from = old.DataStart();
    const uint64_t to = shape.DataStart();
    if (from == to)
        return true;
    std::vector<unsigned char> cluster(size_t(old.clusterSectors) * kSector);
    for (uint64_t n = 0; n < kept; ++n) {
        const uint64_t index = to > from ? kept - 1 - n : n;
        if (Entry(fat, index + 2, old.fat32) == 0)
            continue;
        const uint64_t offset = index * old.clusterSectors;
        if (!scratch.Read(cluster.data(), from + offset, old.clusterSectors) ||
            !scratch.Write(cluster.data(), to + offset, old.clusterSectors))
            return false;
    }
    return true;
}

// The FAT32 information sector's free count and next-free hint as the new table has them.
bool UpdateInfoSector(CScratchVolume& scratch, const unsigned char* boot, const std::vector<unsigned char>& fat,
                      uint64_t clusters)
{
    uint32_t free = 0;
    for (uint64_t c = 2; c < clusters + 2; ++c)
        free += Entry(fat, c, true) == 0 ? 1 : 0;
    const uint16_t backup = LoadLE16(boot + 50);
    for (const uint32_t at : {uint32_t(LoadLE16(boot + 48)), uint32_t(backup) + 1}) {
        unsigned char info[kSector];
        if (at == 0 || at >= LoadLE16(boot + 14) || (at != LoadLE16(boot + 48) && (backup == 0 || backup == 0xFFFF)))
            continue;
        if (!scratch.Read(info, at, 1))
            return false;
        if (LoadLE32(info) != 0x41615252)
            continue;
        StoreLE32(info + 488, free);
        StoreLE32(info + 492, kFreeUnknown);
        if (!scratch.Write(info, at, 1))
            return false;
    }
    return true;
}
}

CFatRelayout::Outcome CFatRelayout::Resize(CScratchVolume& scratch, uint64_t newSectors)
{
    unsigned char boot[kSector];
    if (!scratch.Read(boot, 0, 1))
        return kFailed;
    FatShape old;
    if (!ReadShape(boot, old))
        return kNotFat;
    FatShape shape;
    if (newSectors > 0xFFFFFFFFull || !PlanShrinkOrSplit(old, newSectors, shape))
        return kRefused;
    ClusterSlots slots;
    slots.pieces = old.clusterSectors / shape.clusterSectors;
    const uint32_t pieces = slots.pieces;
    // The old clusters whose every piece lies within the new length.
    uint64_t kept = std::min(old.Clusters(), shape.Clusters() / pieces);
    std::vector<unsigned char> fat(size_t(old.fatSectors) * kSector);
    std::vector<unsigned char> root(size_t(old.rootSectors) * kSector);
    if (!scratch.Read(fat.data(), old.reserved, old.fatSectors) ||
        (!root.empty() && !scratch.Read(root.data(), uint64_t(old.reserved) + uint64_t(old.fats) * old.fatSectors,
                                        old.rootSectors)))
        return kFailed;
    if (fat.size() < (old.Clusters() + 2) * old.EntryBytes())
        return kNotFat;
    bool packed = false;
    for (uint64_t c = kept + 2; c < old.Clusters() + 2 && !packed; ++c)
        packed = Entry(fat, c, old.fat32) != 0;
    if (packed) {
        if (!PlanPacking(fat, old, shape, slots))
            return kRefused;
        kept = old.Clusters();
        if (!PackClusters(scratch, old, shape, fat, slots))
            return kFailed;
    } else if (!MoveClusters(scratch, old, shape, fat, kept)) {
        return kFailed;
    }
    const bool renumbered = pieces > 1 || packed;

    // The new table: the entries of the clusters kept, the rest free.
    if (renumbered) {
        fat = RenumberedTable(fat, old, shape, slots, kept);
    } else {
        fat.resize(size_t(shape.fatSectors) * kSector, 0);
        std::fill(fat.begin() + static_cast<std::ptrdiff_t>((kept + 2) * old.EntryBytes()), fat.end(), 0);
    }
    if (renumbered) {
        // Every directory entry names its file's first cluster by the new numbers.
        const FatDirectoryPlace place{shape.fat32, shape.DataStart(), shape.clusterSectors, shape.Clusters()};
        const uint64_t oldClusters = old.Clusters();
        const auto renumber = [&slots, oldClusters](uint32_t n) -> uint32_t {
            return n >= 2 && n < oldClusters + 2 ? static_cast<uint32_t>(slots.First(n)) : 0;
        };
        const uint32_t rootCluster = shape.fat32 ? renumber(LoadLE32(boot + 44)) : 0;
        std::vector<FatFileChain> files;
        if (!RenumberDirectoryClusters(scratch, place, fat, root, rootCluster, renumber, files))
            return kFailed;
        if (pieces > 1)
            EndChainsAtFileLengths(fat, shape, pieces, files);
        if (shape.fat32)
            StoreLE32(boot + 44, rootCluster);
        boot[13] = static_cast<unsigned char>(shape.clusterSectors);
    }
    for (uint32_t i = 0; i < shape.fats; ++i)
        if (!scratch.Write(fat.data(), uint64_t(shape.reserved) + uint64_t(i) * shape.fatSectors, shape.fatSectors))
            return kFailed;
    if (!root.empty() &&
        !scratch.Write(root.data(), uint64_t(shape.reserved) + uint64_t(shape.fats) * shape.fatSectors, shape.rootSectors))
        return kFailed;

    if (shape.fat32) {
        StoreLE32(boot + 36, shape.fatSectors);
    } else {
        StoreLE16(boot + 22, static_cast<uint16_t>(shape.fatSectors));
    }
    const bool small = !shape.fat32 && newSectors < 0x10000;
    StoreLE16(boot + 19, small ? static_cast<uint16_t>(newSectors) : 0);
    StoreLE32(boot + 32, small ? 0 : static_cast<uint32_t>(newSectors));
    if (!scratch.Write(boot, 0, 1))
        return kFailed;
    if (shape.fat32 && !UpdateInfoSector(scratch, boot, fat, shape.Clusters()))
        return kFailed;
    return kResized;
}
