// The plans of the disk map's rows: live disks, image versions and planned layouts,
// and the header text.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "DiskHeaderText.h"
#include "ImageRowPlan.h"
#include "LiveRowPlan.h"
#include "PlannedRowPlan.h"

namespace {

int RowWidth(const MapRow& row)
{
    int sum = 0;
    for (const MapBlock& b : row)
        sum += b.width;
    return sum;
}

__PARTITION_INFO_CMD Partition(unsigned long long sectors)
{
    __PARTITION_INFO_CMD r;
    std::memset(&r, 0, sizeof(r));
    r.PartitionType = 0x07;
    r.FileSystemType = 3;
    r.SectorCount = sectors;
    return r;
}

_KS_VOLUME Volume(uint16_t disk, uint8_t fileSystem, unsigned long long sectors, const char16_t* label = u"")
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof(v));
    v.DiskNumber = disk;
    v.FileSystem = fileSystem;
    v.TotalSectors = sectors;
    v.UsedSectors = sectors / 4;
    v.PartitionType = 0x07;
    v.DriveLetter = 2;
    for (size_t i = 0; label[i] != 0 && i < 64; ++i)
        v.Label[i] = label[i];
    return v;
}

TagRSPartitionInfo Planned(unsigned long long first, unsigned long long last, uint32_t fs = 3, uint32_t type = 0x107)
{
    TagRSPartitionInfo p;
    std::memset(&p, 0, sizeof(p));
    p.addParam.FileSystem = fs;
    p.addParam.FirstSector = first;
    p.addParam.LastSector = last;
    p.s64UseSector = static_cast<int64_t>((last - first + 1) / 2);
    p.u32PartitionType = type;
    return p;
}

} // namespace

TEST(LiveRowPlan, PartitionsAddingUpToMoreThanTheDiskAreScaledToTheirSum)
{
    const std::vector<__PARTITION_INFO_CMD> records = {Partition(3000), Partition(1000)};
    EXPECT_EQ(LiveRowSectors(2000, records), 4000u);
    EXPECT_EQ(LiveRowSectors(8000, records), 8000u);
    const MapRow row = PlanLiveRow(2000, records, 630);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(row[0].width, 465) << "(630 - 30) x 3/4 + 15";
    EXPECT_EQ(RowWidth(row), 630);
    EXPECT_EQ(PlanLiveRow(2000, {Partition(5)}, 630)[0].width, 630) << "a single block takes the row";
    EXPECT_TRUE(PlanLiveRow(2000, {}, 630).empty());
}

TEST(ImageRowPlan, RowsFollowTheDisksTheVolumesCarry)
{
    const _KS_VOLUME volumes[] = {Volume(2, 2, 32768), Volume(0, 4, 60000), Volume(0, 3, 20000), Volume(0, 2, 20000)};
    EXPECT_EQ(ImageRowDisks(volumes, 4), (std::vector<int>{0, 2}));
    EXPECT_EQ(ImageRowSectors(volumes, 4, 0), 100000u);
    EXPECT_EQ(ImageRowSectors(volumes, 4, 2), 32768u);
    EXPECT_EQ(ImageRowSectors(volumes, 4, 1), 0u);
    const MapRow disk0 = PlanImageRow(volumes, 4, 0, 600);
    ASSERT_EQ(disk0.size(), 3u);
    EXPECT_EQ(uint64_t{disk0[0].record.SectorCount}, 60000u) << "blocks in the records' order";
    EXPECT_EQ(RowWidth(disk0), 600);
    const MapRow disk2 = PlanImageRow(volumes, 4, 2, 600);
    ASSERT_EQ(disk2.size(), 1u);
    EXPECT_EQ(disk2[0].width, 600);
    EXPECT_TRUE(ImageRowDisks(volumes, 0).empty());
}

TEST(ImageRowPlan, VolumeRecordsBecomeTheConsolesPartitionRecords)
{
    const struct {
        uint8_t code;
        unsigned kind;
    } kinds[] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {8, 9}, {9, 10}, {255, 7}, {0, 7}, {42, 7}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(static_cast<int>(k.code));
        EXPECT_EQ(ImageVolumeRecord(Volume(0, k.code, 100)).FileSystemType, k.kind)
            << "codes the console does not know are \"other\", never FAT12";
    }
    _KS_VOLUME v = Volume(0, 4, 2048, u"DATEN-\u00C4\u00D6");
    v.Flags = 0x21;
    v.PartitionStart = 63;
    const __PARTITION_INFO_CMD r = ImageVolumeRecord(v);
    EXPECT_STREQ(r.VolumeLabel, "DATEN-\xC3\x84\xC3\x96");
    EXPECT_EQ(r.DriveLetter, 'C');
    EXPECT_EQ(r.PartitionType, 0x07);
    EXPECT_EQ(r.Flags, 0x21);
    EXPECT_EQ(uint64_t{r.UsedSectors}, 512u);
    v.DriveLetter = 0xFF;
    EXPECT_EQ(ImageVolumeRecord(v).DriveLetter, 0) << "no letter past 'Z'";
    v.DriveLetter = 0;
    EXPECT_EQ(ImageVolumeRecord(v).DriveLetter, 0) << "the backup's mark of a volume without a letter";
}

TEST(ImageRowPlan, LongLabelsAreCutAt127BytesBetweenCharacters)
{
    const struct {
        const char* what;
        char16_t unit;
        size_t bytesEach;
        size_t kept;
    } cases[] = {
        {"one-byte characters fit whole", u'A', 1, 64},
        {"two-byte characters stop before the 128th byte", u'\u00C4', 2, 63},
        {"three-byte characters stop before the 128th byte", u'\u6C49', 3, 42},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        char16_t label[64];
        for (char16_t& u : label)
            u = c.unit;
        char name[128];
        std::memset(name, 'x', sizeof(name));
        ImageLabelToName(label, 64, name, sizeof(name));
        EXPECT_EQ(std::strlen(name), c.kept * c.bytesEach);
        EXPECT_LE(std::strlen(name), 127u);
    }
    const char16_t broken[] = {u'A', 0xD800, u'B', 0xDC00, 0};
    char name[128];
    ImageLabelToName(broken, 4, name, sizeof(name));
    EXPECT_STREQ(name, "A\xEF\xBF\xBD" "B\xEF\xBF\xBD") << "unpaired surrogates become U+FFFD";
    const char16_t pair[] = {0xD83D, 0xDE00, 0};
    ImageLabelToName(pair, 2, name, sizeof(name));
    EXPECT_STREQ(name, "\xF0\x9F\x98\x80");
}

TEST(PlannedRowPlan, FreeBlocksLeadOnlyFromSector64AndFillGapsOtherThan0And63)
{
    const struct {
        const char* what;
        std::vector<TagRSPartitionInfo> parts;
        int minGap;
        unsigned long long counted;
        std::vector<unsigned long long> sectors;  // the blocks in order
        std::vector<bool> free;
    } cases[] = {
        // The sectors in front and in the gap of 63 are not placed: they count as room left.
        {"first partition at sector 63, gaps of 0 and 63",
         {Planned(63, 20000), Planned(20001, 40000), Planned(40064, 99999)},
         0, 4, {19938, 20000, 59936, 126}, {false, false, false, true}},
        {"room left within minGap goes to the last partition",
         {Planned(63, 20000), Planned(20001, 40000), Planned(40064, 99999)},
         200, 3, {19938, 20000, 59936}, {false, false, false}},
        {"first partition at sector 2048, a gap of 1000, room at the end",
         {Planned(2048, 40000), Planned(41001, 80000)},
         0, 5, {2047, 37953, 1000, 39000, 20000}, {true, false, true, false, true}},
        {"gaps up to minGap are not shown",
         {Planned(63, 40000), Planned(41001, 99999)},
         1000, 3, {39938, 58999, 1063}, {false, false, true}},
        {"overlapping entries show no gap",
         {Planned(63, 50000), Planned(40000, 99999)},
         0, 2, {49938, 60000}, {false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CountPlannedBlocks(c.parts, 100000, c.minGap), c.counted);
        const MapRow row = PlanPlannedRow(c.parts, 100000, 616, c.minGap);
        ASSERT_EQ(row.size(), c.sectors.size());
        for (size_t i = 0; i < row.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(uint64_t{row[i].record.SectorCount}, c.sectors[i]);
            EXPECT_EQ(row[i].record.PartitionType == 0, c.free[i]);
            EXPECT_GE(row[i].width, 15);
        }
        EXPECT_EQ(RowWidth(row), 616);
    }
}

TEST(PlannedRowPlan, PlannedBlocksCarryTheEntrysKindTypeAndUsedSectors)
{
    const MapRow row = PlanPlannedRow({Planned(63, 100062, 2, 0x10C)}, 100063, 616, 100);
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0].record.FileSystemType, 2u);
    EXPECT_EQ(row[0].record.PartitionType, 0x0C) << "the type id's low byte";
    EXPECT_EQ(uint64_t{row[0].record.UsedSectors}, 50000u);
    EXPECT_EQ(row[0].width, 616);
    const MapRow empty = PlanPlannedRow({}, 100000, 616, 0);
    ASSERT_EQ(empty.size(), 1u) << "a plan of nothing shows the disk free";
    EXPECT_EQ(empty[0].width, 616);
}

TEST(DiskHeaderText, MegabytesUnderOneGigabyteThenWholeGigabytes)
{
    const struct {
        unsigned long long number, sectors;
        const char* text;
    } cases[] = {
        {1, 262144, "Disk 1  128MB"},
        {2, 2047, "Disk 2  0MB"},
        {3, 2097151, "Disk 3  1023MB"},
        {4, 2097152, "Disk 4  1GB"},
        {5, 41943040ull * 3 / 2, "Disk 5  30GB"},
        {1, 0, "Disk 1  0MB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DiskHeaderText(c.number, c.sectors), c.text);
}
