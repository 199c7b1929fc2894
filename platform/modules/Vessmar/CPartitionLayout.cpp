#include "CPartitionLayout.h"

#include <algorithm>

#include "vessmar/IPartitionManagerParameterCheck.h"

namespace {

constexpr uint64_t kMaxTableValue = 0xFFFFFFFFull; // table fields are 32 bits

struct Span {
    uint64_t first;
    uint64_t last;
};

// Gaps of at least minimum sectors in [from, to] around the sorted busy spans.
void AddGaps(uint64_t from, uint64_t to, std::vector<Span> busy, uint64_t minimum, bool inside,
             std::vector<FreeRegion>& out)
{
    std::sort(busy.begin(), busy.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
    uint64_t cursor = from;
    auto gap = [&](uint64_t first, uint64_t last) {
        if (last >= first && last - first + 1 >= minimum)
            out.push_back(FreeRegion{first, last - first + 1, inside});
    };
    for (const Span& s : busy) {
        if (s.last < cursor)
            continue;
        if (s.first > cursor)
            gap(cursor, std::min(s.first - 1, to));
        cursor = std::max(cursor, s.last + 1);
        if (cursor > to)
            return;
    }
    if (cursor <= to)
        gap(cursor, to);
}

} // namespace

CPartitionLayout::CPartitionLayout(const DosTable& table, uint64_t totalSectors, uint32_t sectorsPerTrack)
    : table_(table), total_(totalSectors), track_(sectorsPerTrack)
{
}

unsigned CPartitionLayout::UsedEntries() const
{
    unsigned used = table_.extended.present ? 1 : 0;
    for (const DosPartition& p : table_.partitions)
        used += p.primary ? 1 : 0;
    return used;
}

bool CPartitionLayout::FreeSlot(unsigned& slot) const
{
    for (slot = 0; slot < 4; ++slot) {
        bool taken = table_.extended.present && table_.extended.slot == slot;
        for (const DosPartition& p : table_.partitions)
            taken = taken || (p.primary && p.slot == slot);
        if (!taken)
            return true;
    }
    return false;
}

std::vector<FreeRegion> CPartitionLayout::FreeRegions() const
{
    std::vector<FreeRegion> regions;
    if (total_ == 0)
        return regions;
    std::vector<Span> outside;
    std::vector<Span> inside;
    for (const DosPartition& p : table_.partitions) {
        Span span{p.slotStart, p.start + p.count - 1};
        // The chain's head record lies at the start of the extended partition whatever
        // the distance to its partition. A new logical partition in front takes that
        // record, and the one there now gets its own a track before it (Place keeps
        // that track clear): the space up to there is free.
        if (!p.primary && table_.extended.present && p.slotStart == table_.extended.start &&
            p.start >= table_.extended.start + track_)
            span.first = p.start - track_;
        (p.primary ? outside : inside).push_back(span);
    }
    // Sector 0 holds the master boot record even when the first track is free.
    outside.push_back(Span{0, 0});
    if (table_.extended.present)
        outside.push_back(Span{table_.extended.start, table_.extended.start + table_.extended.count - 1});
    AddGaps(0, total_ - 1, outside, track_, false, regions);
    for (FreeRegion& r : regions) {
        if (r.start == 1) { // the disk's first track is free: its stretch begins at sector 0
            r.start = 0;
            ++r.count;
        }
    }
    if (table_.extended.present && table_.extended.count > 0)
        AddGaps(table_.extended.start, table_.extended.start + table_.extended.count - 1, inside, track_, true,
                regions);
    std::sort(regions.begin(), regions.end(), [](const FreeRegion& a, const FreeRegion& b) { return a.start < b.start; });
    return regions;
}

unsigned long CPartitionLayout::CheckFree(const FreeRegion& region) const
{
    // Space past what the table's 32-bit fields reach takes no partition of any kind.
    if (region.start + track_ > kMaxTableValue)
        return 0;
    if (region.insideExtended)
        return region.count > track_ ? static_cast<unsigned long>(CHECK_ITEM_LOGICAL_POSSIBLE) : 0ul;
    unsigned slot;
    if (!FreeSlot(slot))
        return 0;
    unsigned long flags = CHECK_ITEM_PRIMARY_POSSIBLE;
    // Without an extended partition a logical one can be made here, inside a new one.
    if (!table_.extended.present && region.count > track_)
        flags |= CHECK_ITEM_LOGICAL_POSSIBLE | CHECK_ITEM_SPACE_TEST;
    return flags;
}

unsigned long CPartitionLayout::CheckPartition(const DosPartition& partition) const
{
    if (!partition.primary)
        return CHECK_ITEM_LOGICAL_POSSIBLE;
    // Deleting a primary partition frees its entry; with no extended partition the
    // entry can hold a new extended one with a logical partition inside.
    unsigned long flags = CHECK_ITEM_PRIMARY_POSSIBLE;
    if (!table_.extended.present)
        flags |= CHECK_ITEM_LOGICAL_POSSIBLE | CHECK_ITEM_SPACE_TEST;
    return flags;
}

bool CPartitionLayout::RegionHolding(uint64_t first, uint64_t last, FreeRegion& out) const
{
    for (const FreeRegion& r : FreeRegions()) {
        if (first >= r.start && last <= r.start + r.count - 1) {
            out = r;
            return true;
        }
    }
    return false;
}

bool CPartitionLayout::Place(uint64_t first, uint64_t last, bool primary, Placement& out) const
{
    if (last < first || last >= total_ || last > kMaxTableValue)
        return false;
    FreeRegion region;
    if (!RegionHolding(first, last, region))
        return false;
    out = Placement();
    DosPartition& p = out.partition;
    p.primary = primary;
    p.slotStart = first;
    if (primary) {
        if (region.insideExtended || !FreeSlot(p.slot))
            return false;
        p.start = first == 0 ? track_ : first;
        if (p.start <= track_)
            p.slotStart = 0; // the first track belongs to the partition that starts in it
    } else {
        p.start = first + track_;
        if (region.insideExtended) {
            // The chain's first record always lies at the start of the extended partition.
            bool firstInChain = true;
            for (const DosPartition& q : table_.partitions)
                firstInChain = firstInChain && (q.primary || q.start > last);
            if (firstInChain)
                p.slotStart = table_.extended.start;
            for (const DosPartition& q : table_.partitions) {
                // The logical partition that follows gets its own record a track before it.
                if (!q.primary && q.start > last && firstInChain && q.slotStart == table_.extended.start &&
                    q.start - track_ <= last)
                    return false;
            }
        } else {
            // Sector 0 holds the master boot record: no extended partition starts there.
            if (first == 0 || table_.extended.present || !FreeSlot(out.extended.slot))
                return false;
            out.createsExtended = true;
            out.extended.present = true;
            out.extended.start = first;
            // It takes the rest of the free space, as far as the table's 32-bit fields reach.
            out.extended.count = std::min(region.start + region.count - 1, kMaxTableValue) - first + 1;
            out.extended.type = out.extended.start + out.extended.count > 1024ull * 255 * 63 ? 0x0F : 0x05;
        }
    }
    if (p.start > last)
        return false;
    p.count = last - p.start + 1;
    return true;
}
