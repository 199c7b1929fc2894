#include "LiveRowPlan.h"

#include <algorithm>
#include <cstring>

#include "BlockWidthRule.h"

__PARTITION_INFO_CMD FreeSpaceRecord(unsigned long long first, unsigned long long count)
{
    __PARTITION_INFO_CMD record;
    std::memset(&record, 0, sizeof(record));
    record.FileSystemType = 7;
    record.StartSector = first;
    record.SectorCount = count;
    return record;
}

unsigned long long LiveRowSectors(unsigned long long diskSectors, const std::vector<__PARTITION_INFO_CMD>& records)
{
    unsigned long long sum = 0;
    for (const __PARTITION_INFO_CMD& r : records)
        sum += r.SectorCount;
    return std::max(diskSectors, sum);
}

MapRow PlanLiveRow(unsigned long long diskSectors, const std::vector<__PARTITION_INFO_CMD>& records, int width)
{
    BlockWidthRule rule(width, records.size(), LiveRowSectors(diskSectors, records));
    MapRow row;
    for (size_t i = 0; i < records.size(); ++i) {
        const long long sectors = static_cast<long long>(records[i].SectorCount);
        row.push_back({records[i], rule.Next(sectors, i + 1 == records.size())});
    }
    return row;
}
