#include "PlannedRowPlan.h"

#include <cstring>

#include "BlockWidthRule.h"

namespace {

constexpr unsigned long long kFirstUsableSector = 64;

// Sectors between a planned partition and the next; negative when they overlap.
long long PlannedGap(const TagRSPartitionInfo& part, const TagRSPartitionInfo& next)
{
    return static_cast<long long>(next.addParam.FirstSector) - static_cast<long long>(part.addParam.LastSector) - 1;
}

bool GapGetsBlock(long long gap, int minGap)
{
    return gap > 0 && gap != 63 && gap > minGap;
}

bool LeadingBlock(const std::vector<TagRSPartitionInfo>& parts)
{
    return !parts.empty() && parts.front().addParam.FirstSector >= kFirstUsableSector;
}

__PARTITION_INFO_CMD PlannedRecord(const TagRSPartitionInfo& part)
{
    __PARTITION_INFO_CMD record;
    std::memset(&record, 0, sizeof(record));
    const unsigned long long first = part.addParam.FirstSector;
    const unsigned long long last = part.addParam.LastSector;
    record.SectorCount = last >= first ? last - first + 1 : 0;
    record.UsedSectors = static_cast<uint64_t>(part.s64UseSector);
    record.FileSystemType = part.addParam.FileSystem;
    record.PartitionType = static_cast<uint8_t>(part.u32PartitionType & 0xFF);
    record.StartSector = first;
    return record;
}

// Sectors the plan's blocks stand for: the leading free block, the partitions and the
// gaps that get a block. What is left of the disk may become a trailing free block.
long long PlacedSectors(const std::vector<TagRSPartitionInfo>& parts, int minGap)
{
    long long placed = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i == 0 && LeadingBlock(parts))
            placed += static_cast<long long>(parts[0].addParam.FirstSector - 1);
        placed += static_cast<long long>(PlannedRecord(parts[i]).SectorCount);
        if (i + 1 < parts.size()) {
            const long long gap = PlannedGap(parts[i], parts[i + 1]);
            if (GapGetsBlock(gap, minGap))
                placed += gap;
        }
    }
    return placed;
}

} // namespace

unsigned long long CountPlannedBlocks(const std::vector<TagRSPartitionInfo>& parts, unsigned long long diskSectors,
                                      int minGap)
{
    unsigned long long n = parts.size();
    if (LeadingBlock(parts))
        ++n;
    for (size_t i = 0; i + 1 < parts.size(); ++i)
        if (GapGetsBlock(PlannedGap(parts[i], parts[i + 1]), minGap))
            ++n;
    // The trailing free block is counted too, so that it gets its minimum width.
    if (static_cast<long long>(diskSectors) - PlacedSectors(parts, minGap) > minGap)
        ++n;
    return n;
}

MapRow PlanPlannedRow(const std::vector<TagRSPartitionInfo>& parts, unsigned long long diskSectors, int width,
                      int minGap)
{
    BlockWidthRule rule(width, CountPlannedBlocks(parts, diskSectors, minGap), diskSectors);
    MapRow row;
    long long placed = 0;
    const long long total = static_cast<long long>(diskSectors);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i == 0 && LeadingBlock(parts)) {
            const unsigned long long count = parts[0].addParam.FirstSector - 1;
            row.push_back({FreeSpaceRecord(1, count), rule.Next(static_cast<long long>(count), false)});
            placed += static_cast<long long>(count);
        }
        const __PARTITION_INFO_CMD record = PlannedRecord(parts[i]);
        const long long sectors = static_cast<long long>(record.SectorCount);
        placed += sectors;
        const bool lastPart = i + 1 == parts.size();
        row.push_back({record, rule.Next(sectors, lastPart && total - placed <= minGap)});
        if (!lastPart) {
            const long long gap = PlannedGap(parts[i], parts[i + 1]);
            if (GapGetsBlock(gap, minGap)) {
                row.push_back({FreeSpaceRecord(parts[i].addParam.LastSector + 1, static_cast<unsigned long long>(gap)),
                               rule.Next(gap, false)});
                placed += gap;
            }
        }
    }
    if (rule.Used() < rule.RowWidth() && total - placed > minGap) {
        const long long rest = total - placed;
        const unsigned long long start = parts.empty() ? 0 : parts.back().addParam.LastSector + 1;
        row.push_back({FreeSpaceRecord(start, static_cast<unsigned long long>(rest)), rule.Next(rest, true)});
    }
    return row;
}
