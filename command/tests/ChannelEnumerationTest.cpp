// The disk enumeration through the command channel lists the backup fixture disk as
// sfdisk and blkid see it.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "ChannelFixture.h"
#include "CommandOutput.h"

namespace {

struct TableEntry {
    uint64_t start, size;
    unsigned type;
};

// The partitions of sfdisk --json, extended containers left out.
std::vector<TableEntry> SfdiskEntries(const std::string& disk)
{
    const std::string json = CommandOutput("sfdisk --json '" + disk + "'");
    std::vector<TableEntry> entries;
    const std::regex entry(R"re("start":\s*(\d+),\s*"size":\s*(\d+),\s*"type":\s*"([0-9a-f]+)")re");
    for (std::sregex_iterator it(json.begin(), json.end(), entry), end; it != end; ++it) {
        const unsigned type = static_cast<unsigned>(std::stoul((*it)[3], nullptr, 16));
        if (type == 0x05 || type == 0x0F || type == 0x85)
            continue;
        entries.push_back({std::stoull((*it)[1]), std::stoull((*it)[2]), type});
    }
    return entries;
}

std::string Blkid(const std::string& disk, uint64_t start, const char* tag)
{
    std::string value = CommandOutput("blkid -p -O " + std::to_string(start * 512) + " -o value -s " + tag + " '" +
                                      disk + "'");
    while (!value.empty() && value.back() == '\n')
        value.pop_back();
    return value;
}

TEST(ChannelEnumeration, DisksAndPartitionsAreThoseOfSfdiskAndBlkid)
{
    const std::string disk = BackupDisk::Get().Path();
    NameDisks({disk});
    Tasque tasque = NewTasque();
    ASSERT_EQ(0u, tasque->EnumInit());
    unsigned long long disks = 0;
    ASSERT_EQ(0u, tasque->EnumGetDiskCount(&disks));
    ASSERT_EQ(1u, disks);
    _KS_DISK_INFO info{};
    ASSERT_EQ(0u, tasque->EnumGetDiskInfo(0, &info));
    EXPECT_EQ(76ull * 1024 * 1024 / 512, info.TotalSectors);
    EXPECT_EQ(512u, info.BytesPerSector);

    unsigned long long count = 0;
    ASSERT_EQ(0u, tasque->EnumGetPartitionCount(0, &count));
    std::vector<TableEntry> listed;
    for (unsigned long long i = 0; i < count; ++i) {
        _KS_PARTITION_INFO p{};
        ASSERT_EQ(0u, tasque->EnumGetPartitionInfo(0, i, &p));
        if (p.PartitionType == 0)
            continue; // free space
        listed.push_back({p.StartSector, p.SectorCount, p.PartitionType});
        const std::string type = Blkid(disk, p.StartSector, "TYPE");
        SCOPED_TRACE(type + " at " + std::to_string(p.StartSector));
        if (type == "ntfs") {
            EXPECT_EQ(3u, p.FileSystemType);
        } else if (type == "vfat") {
            EXPECT_LE(p.FileSystemType, 2u);
        }
        EXPECT_EQ(Blkid(disk, p.StartSector, "LABEL"), std::string(p.VolumeLabel));
    }
    const std::vector<TableEntry> table = SfdiskEntries(disk);
    ASSERT_EQ(table.size(), listed.size());
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].start, listed[i].start) << i;
        EXPECT_EQ(table[i].size, listed[i].size) << i;
        EXPECT_EQ(table[i].type, listed[i].type) << i;
    }
    // An index past the list fails and leaves a zeroed record.
    _KS_DISK_INFO none;
    std::memset(&none, 0x77, sizeof none);
    EXPECT_NE(0u, tasque->EnumGetDiskInfo(5, &none));
    EXPECT_EQ(0u, none.TotalSectors);
}

} // namespace
