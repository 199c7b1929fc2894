// What a block shows, decided without a display: shades, the disk test's marks, the
// used share and the label and size texts.
#include <gtest/gtest.h>

#include <cstring>

#include "BlockColours.h"
#include "BlockLook.h"

namespace {

__PARTITION_INFO_CMD Record(unsigned type, unsigned kind, unsigned long long total, unsigned long long used,
                            const char* name = "", char letter = 0)
{
    __PARTITION_INFO_CMD r;
    std::memset(&r, 0, sizeof(r));
    r.PartitionType = static_cast<uint8_t>(type);
    r.FileSystemType = kind;
    r.SectorCount = total;
    r.UsedSectors = used;
    r.DriveLetter = letter;
    std::strncpy(r.VolumeLabel, name, sizeof(r.VolumeLabel) - 1);
    return r;
}

} // namespace

TEST(BlockColours, ShadesFollowTheWholeDiskMarkThenFreeSpaceThenTheKind)
{
    const struct {
        bool wholeDisk, unallocated;
        int kind;
        bool drawn;
        BlockRgb light, dark;
    } cases[] = {
        {true, false, 3, true, {255, 255, 80}, {255, 255, 80}},
        {true, true, 7, true, {255, 255, 80}, {255, 255, 80}},
        {false, true, 7, true, {180, 180, 180}, {180, 180, 180}},
        {false, false, 0, true, {64, 187, 62}, {2, 153, 0}},
        {false, false, 1, true, {64, 187, 62}, {2, 153, 0}},
        {false, false, 2, true, {80, 165, 235}, {0, 123, 225}},
        {false, false, 3, true, {157, 73, 220}, {115, 0, 203}},
        {false, false, 4, true, {60, 60, 60}, {0, 0, 0}},
        {false, false, 5, true, {60, 60, 60}, {0, 0, 0}},
        {false, false, 8, true, {60, 60, 60}, {0, 0, 0}},
        {false, false, 9, true, {60, 60, 60}, {0, 0, 0}},
        {false, false, 10, true, {60, 60, 60}, {0, 0, 0}},
        {false, false, 7, true, {179, 179, 54}, {127, 127, 0}},
        {false, false, 6, false, {}, {}},
        {false, false, 11, false, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "whole " << c.wholeDisk << " free " << c.unallocated << " kind " << c.kind);
        BlockShades shades{{1, 2, 3}, {4, 5, 6}};
        EXPECT_EQ(BlockShadesOf(c.wholeDisk, c.unallocated, c.kind, shades), c.drawn);
        if (c.drawn) {
            EXPECT_EQ(shades.light, c.light);
            EXPECT_EQ(shades.dark, c.dark);
        }
    }
}

TEST(BlockLook, RecordsBecomeFreeSpaceOtherKindsAndUsedShares)
{
    const struct {
        const char* what;
        __PARTITION_INFO_CMD record;
        bool unallocated;
        unsigned kind;
        double share;
    } cases[] = {
        {"NTFS half used", Record(0x07, 3, 1000, 500), false, 3, 0.5},
        {"free space", Record(0, 7, 2048, 0), true, 7, 0.0},
        {"a type the console does not support", Record(0x83, 7, 1000, 10), false, 4, 0.01},
        {"a dynamic-set entry", Record(0x42, 1, 1000, 0), false, 4, 0.0},
        {"a record of no sectors", Record(0x06, 1, 0, 0), false, 1, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DeviceBlockLook look = MakeBlockLook(c.record);
        EXPECT_EQ(look.unallocated, c.unallocated);
        EXPECT_EQ(look.record.FileSystemType, c.kind);
        EXPECT_DOUBLE_EQ(look.usedShare, c.share);
        EXPECT_FALSE(look.wholeDisk);
    }
}

TEST(BlockLook, TheUsedBarShowsOnlyAboveOnePercent)
{
    EXPECT_FALSE(ShowsUsedBar(MakeBlockLook(Record(0x07, 3, 10000, 99))));
    EXPECT_FALSE(ShowsUsedBar(MakeBlockLook(Record(0x07, 3, 10000, 100))));
    EXPECT_TRUE(ShowsUsedBar(MakeBlockLook(Record(0x07, 3, 10000, 101))));
}

TEST(BlockLook, WholeDisksAreNamedAfterTheirKindAndCountAsFull)
{
    _KS_DISK_INFO dynamic{}, gpt{}, basic{};
    dynamic.DiskType = 0;
    dynamic.Dynamic = 1;
    gpt.DiskType = 1;
    basic.DiskType = 2;
    EXPECT_TRUE(IsDynamicOrGpt(dynamic));
    EXPECT_TRUE(IsDynamicOrGpt(gpt));
    EXPECT_FALSE(IsDynamicOrGpt(basic));

    const struct {
        const char* name;
        void (*mark)(DeviceBlockLook&);
    } cases[] = {
        {"Dynamic Disk", [](DeviceBlockLook& l) { _KS_DISK_INFO d{}; d.Dynamic = 1; MarkDynamicOrGpt(l, d); }},
        {"GPT Disk", [](DeviceBlockLook& l) { _KS_DISK_INFO d{}; d.DiskType = 1; MarkDynamicOrGpt(l, d); }},
        {"Bad Disk", [](DeviceBlockLook& l) { MarkBadDisk(l); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceBlockLook look = MakeBlockLook(Record(0, 7, 4096, 0, "DATA", 'C'));
        c.mark(look);
        EXPECT_TRUE(look.wholeDisk);
        EXPECT_EQ(uint64_t{look.record.UsedSectors}, 4096u); // a packed field, read by value
        EXPECT_DOUBLE_EQ(look.usedShare, 1.0);
        EXPECT_EQ(BlockLabel(look), c.name);
        BlockShades shades;
        ASSERT_TRUE(BlockShadesOf(look.wholeDisk, look.unallocated, static_cast<int>(look.record.FileSystemType),
                                  shades));
        EXPECT_EQ(shades.light, (BlockRgb{255, 255, 80}));
    }
}

TEST(BlockLook, LabelsAndSizes)
{
    const struct {
        __PARTITION_INFO_CMD record;
        const char* label;
        const char* size;
    } cases[] = {
        {Record(0x07, 3, 2097152, 0, "SYSTEM", 'C'), "C:  SYSTEM  NTFS", "1.00 GB"},
        {Record(0x0B, 2, 204800, 0, "", 'E'), "E:    FAT32", "100.00 MB"},
        {Record(0x06, 1, 65536, 0, "DATA"), "DATA  FAT16", "32.00 MB"},
        {Record(0x07, 7, 2048, 0), "  Unformatted", "1.00 MB"},
        {Record(0x83, 7, 2048, 0, "LINUX"), "LINUX  Other", "1.00 MB"},
        {Record(0, 7, 1000, 0, "ignored", 'D'), "Unallocated", "500.00 KB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const DeviceBlockLook look = MakeBlockLook(c.record);
        EXPECT_EQ(BlockLabel(look), c.label);
        EXPECT_EQ(BlockSizeText(look), c.size);
    }
}

TEST(BlockLook, ANameFillingItsWholeFieldIsReadNoFurther)
{
    __PARTITION_INFO_CMD r = Record(0x07, 3, 100, 0);
    std::memset(r.VolumeLabel, 'A', sizeof(r.VolumeLabel));
    EXPECT_EQ(BlockName(r), std::string(sizeof(r.VolumeLabel), 'A'));
}
