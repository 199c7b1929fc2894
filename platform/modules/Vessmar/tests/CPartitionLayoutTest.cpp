// The DOS table rules without a disk: free space, what CheckItem allows, and where new
// partitions go.
#include <gtest/gtest.h>

#include "CPartitionLayout.h"
#include "vessmar/IPartitionManagerParameterCheck.h"

namespace {

constexpr uint32_t T = 63;
constexpr uint64_t C = 255 * 63;

DosPartition Primary(unsigned slot, uint64_t start, uint64_t count)
{
    DosPartition p;
    p.slot = slot;
    p.start = start;
    p.count = count;
    p.type = 0x07;
    p.slotStart = start <= T ? 0 : start;
    return p;
}

DosPartition Logical(uint64_t record, uint64_t start, uint64_t count)
{
    DosPartition p;
    p.primary = false;
    p.start = start;
    p.count = count;
    p.type = 0x07;
    p.slotStart = record;
    return p;
}

// 10 cylinders: a primary in the first two, an extended over cylinders 2-7 with one
// logical partition in cylinders 2-3.
DosTable TwoPartitions()
{
    DosTable t;
    t.kind = DiskLabelKind::Dos;
    t.partitions.push_back(Primary(0, T, 2 * C - T));
    t.partitions.push_back(Logical(2 * C, 2 * C + T, 2 * C - T));
    t.extended.present = true;
    t.extended.slot = 1;
    t.extended.start = 2 * C;
    t.extended.count = 6 * C;
    return t;
}

} // namespace

TEST(PartitionLayout, FreeSpaceInDiskOrder)
{
    const DosTable table = TwoPartitions();
    const std::vector<FreeRegion> free = CPartitionLayout(table, 10 * C, T).FreeRegions();
    ASSERT_EQ(free.size(), 2u);
    EXPECT_EQ(free[0].start, 4 * C);
    EXPECT_EQ(free[0].count, 4 * C);
    EXPECT_TRUE(free[0].insideExtended);
    EXPECT_EQ(free[1].start, 8 * C);
    EXPECT_EQ(free[1].count, 2 * C);
    EXPECT_FALSE(free[1].insideExtended);

    DosTable empty;
    const std::vector<FreeRegion> all = CPartitionLayout(empty, 10 * C, T).FreeRegions();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].start, 0u) << "an empty disk's free space starts with its first track";
    EXPECT_EQ(all[0].count, 10 * C);

    // Stretches shorter than a track hold nothing and are not listed.
    DosTable tight;
    tight.partitions.push_back(Primary(0, T, C - T));
    tight.partitions.push_back(Primary(1, C + 10, C));
    const std::vector<FreeRegion> gaps = CPartitionLayout(tight, 2 * C + 10, T).FreeRegions();
    EXPECT_TRUE(gaps.empty());
}

TEST(PartitionLayout, CheckFlags)
{
    const DosTable table = TwoPartitions();
    const CPartitionLayout layout(table, 10 * C, T);
    const std::vector<FreeRegion> free = layout.FreeRegions();
    EXPECT_EQ(layout.CheckFree(free[0]), CHECK_ITEM_LOGICAL_POSSIBLE);
    EXPECT_EQ(layout.CheckFree(free[1]), CHECK_ITEM_PRIMARY_POSSIBLE);
    EXPECT_EQ(layout.CheckPartition(table.partitions[0]), CHECK_ITEM_PRIMARY_POSSIBLE);
    EXPECT_EQ(layout.CheckPartition(table.partitions[1]), CHECK_ITEM_LOGICAL_POSSIBLE);

    DosTable empty;
    const CPartitionLayout blank(empty, 10 * C, T);
    EXPECT_EQ(blank.CheckFree(blank.FreeRegions()[0]),
              CHECK_ITEM_PRIMARY_POSSIBLE | CHECK_ITEM_LOGICAL_POSSIBLE | CHECK_ITEM_SPACE_TEST);

    // Four entries used: nothing more outside the extended partition.
    DosTable full = TwoPartitions();
    full.partitions.push_back(Primary(2, 8 * C, C / 2));
    full.partitions.push_back(Primary(3, 9 * C, C / 2));
    const CPartitionLayout fullLayout(full, 10 * C, T);
    for (const FreeRegion& r : fullLayout.FreeRegions())
        EXPECT_EQ(fullLayout.CheckFree(r), r.insideExtended ? CHECK_ITEM_LOGICAL_POSSIBLE : 0ul);
}

TEST(PartitionLayout, Placement)
{
    const DosTable table = TwoPartitions();
    const CPartitionLayout layout(table, 10 * C, T);
    struct Case {
        const char* what;
        uint64_t first, last;
        bool primary;
        bool placed;
        uint64_t start, count;
    };
    const Case cases[] = {
        {"primary after the extended", 8 * C, 10 * C - 1, true, true, 8 * C, 2 * C},
        {"logical inside the extended, one track in", 4 * C, 6 * C - 1, false, true, 4 * C + T, 2 * C - T},
        {"primary inside the extended", 4 * C, 5 * C - 1, true, false, 0, 0},
        {"logical outside the extended", 8 * C, 9 * C - 1, false, false, 0, 0},
        {"over a partition", C, 5 * C, true, false, 0, 0},
        {"past the disk's end", 8 * C, 10 * C, true, false, 0, 0},
        {"last before first", 9 * C, 8 * C, true, false, 0, 0},
        {"only the record's track", 4 * C, 4 * C + T - 1, false, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Placement p;
        ASSERT_EQ(layout.Place(c.first, c.last, c.primary, p), c.placed);
        if (!c.placed)
            continue;
        EXPECT_EQ(p.partition.start, c.start);
        EXPECT_EQ(p.partition.count, c.count);
        EXPECT_EQ(p.partition.slotStart, c.first);
        EXPECT_EQ(p.partition.primary, c.primary);
        EXPECT_FALSE(p.createsExtended);
    }
    Placement p;
    ASSERT_TRUE(layout.Place(8 * C, 9 * C - 1, true, p));
    EXPECT_EQ(p.partition.slot, 2u) << "the first unused entry";
}

TEST(PartitionLayout, FirstPartitionsOfAnEmptyDisk)
{
    DosTable empty;
    const CPartitionLayout layout(empty, 10 * C, T);
    Placement primary;
    ASSERT_TRUE(layout.Place(0, 2 * C - 1, true, primary));
    EXPECT_EQ(primary.partition.start, T) << "a slot from sector 0 begins after the first track";
    EXPECT_EQ(primary.partition.count, 2 * C - T);

    Placement atZero;
    EXPECT_FALSE(layout.Place(0, 2 * C - 1, false, atZero)) << "an extended partition over the master boot record";
    Placement inFirstTrack;
    ASSERT_TRUE(layout.Place(1, 2 * C - 1, true, inFirstTrack));
    EXPECT_EQ(inFirstTrack.partition.start, 1u);
    EXPECT_EQ(inFirstTrack.partition.slotStart, 0u);

    Placement logical;
    ASSERT_TRUE(layout.Place(2 * C, 4 * C - 1, false, logical));
    ASSERT_TRUE(logical.createsExtended);
    EXPECT_EQ(logical.extended.start, 2 * C);
    EXPECT_EQ(logical.extended.count, 8 * C) << "the extended partition takes the rest of the free space";
    EXPECT_EQ(logical.partition.start, 2 * C + T);
}

TEST(PartitionLayout, ExtendedPartitionOfADiskPastTheTableLimitEndsWhereTheTableCanReach)
{
    // A 3 TiB disk: a DOS table addresses no sector past 2^32 - 1, so a new extended
    // partition that took the rest of the disk could never be written.
    DosTable empty;
    const uint64_t total = 3ull << 31; // 3 TiB in 512-byte sectors
    const CPartitionLayout layout(empty, total, T);
    Placement logical;
    ASSERT_TRUE(layout.Place(2 * C, 4 * C - 1, false, logical));
    ASSERT_TRUE(logical.createsExtended);
    EXPECT_EQ(logical.extended.start, 2 * C);
    EXPECT_EQ(logical.extended.start + logical.extended.count - 1, 0xFFFFFFFFull);
    EXPECT_EQ(logical.extended.type, 0x0Fu);

    // The free space beyond the table's reach is listed but allows nothing.
    const std::vector<FreeRegion> free = layout.FreeRegions();
    ASSERT_EQ(free.size(), 1u);
    EXPECT_NE(layout.CheckFree(free[0]), 0u);
    FreeRegion beyond;
    beyond.start = 0x100000000ull;
    beyond.count = total - beyond.start;
    EXPECT_EQ(layout.CheckFree(beyond), 0u);
    Placement past;
    EXPECT_FALSE(layout.Place(beyond.start, beyond.start + C, true, past));
}

TEST(PartitionLayout, SpaceBetweenTheChainsHeadRecordAndAFarPartitionIsFree)
{
    // The only logical partition lies two cylinders into the extended partition, its
    // record heading the chain at the extended partition's start, as a table looks once
    // the first of two logical partitions is deleted.
    DosTable table = TwoPartitions();
    table.partitions[1] = Logical(2 * C, 4 * C + T, 2 * C - T);
    const CPartitionLayout layout(table, 10 * C, T);
    const std::vector<FreeRegion> free = layout.FreeRegions();
    ASSERT_EQ(free.size(), 3u);
    EXPECT_EQ(free[0].start, 2 * C) << "from the head record on";
    EXPECT_EQ(free[0].count, 2 * C) << "up to the track the partition's own record will take";
    EXPECT_TRUE(free[0].insideExtended);
    EXPECT_EQ(layout.CheckFree(free[0]), CHECK_ITEM_LOGICAL_POSSIBLE);

    Placement front;
    ASSERT_TRUE(layout.Place(2 * C, 4 * C - 1, false, front));
    EXPECT_EQ(front.partition.slotStart, 2 * C) << "the new partition takes the head record";
    EXPECT_EQ(front.partition.start, 2 * C + T);
    Placement onTheRecord;
    EXPECT_FALSE(layout.Place(2 * C, 4 * C + 10, false, onTheRecord)) << "the track of the other's new record";

    // A head partition a track in leaves nothing free before it.
    const std::vector<FreeRegion> usual = CPartitionLayout(TwoPartitions(), 10 * C, T).FreeRegions();
    ASSERT_EQ(usual.size(), 2u);
    EXPECT_EQ(usual[0].start, 4 * C);
}
