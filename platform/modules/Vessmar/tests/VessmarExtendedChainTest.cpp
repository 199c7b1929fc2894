// The chain of extended boot records when its first logical partition goes: the
// partitions behind keep their place and data, and the space it leaves is free again.
#include <gtest/gtest.h>

#include "VessmarEditHelpers.h"
#include "VessmarFixture.h"
#include "vessmar/FileSystemType.h"
#include "vessmar/IPartitionTableChainWriter.h"

namespace {
constexpr unsigned long long kChainCylinder = 16065;
} // namespace

TEST(VessmarEdit, FirstLogicalPartitionDeletedAndMadeAgainKeepsTheChain)
{
    // The move/resize manager deletes a partition and creates it at its new extent
    // before writing. For the first logical partition the space it leaves, from the
    // chain's head record on, must be free again, or the partition is lost.
    struct Case {
        const char* what;
        unsigned long long first, last; // the new extent, record track included
        const char* table;              // sfdisk after Write
    };
    const Case cases[] = {
        {"made again in place", 32130, 64259,
         "1:63+32067:6*\n2:32130+96390:5\n3:128520+32130:83\n5:32193+32067:1\n6:80388+32067:7\n"},
        {"grown by a cylinder", 32130, 64259 + kChainCylinder,
         "1:63+32067:6*\n2:32130+96390:5\n3:128520+32130:83\n5:32193+48132:1\n6:80388+32067:7\n"},
        {"moved a cylinder on", 32130 + kChainCylinder, 64259 + kChainCylinder,
         "1:63+32067:6*\n2:32130+96390:5\n3:128520+32130:83\n5:48258+32067:1\n6:80388+32067:7\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DiskImages images({LayoutFixture()});
        IManagerItem* disk = Disks()[0];
        IPartitionManager* partitions = PartitionsOf(disk);
        ASSERT_EQ(partitions->DeletePartition(ItemAt(disk, 32193)), 0u);
        EXPECT_EQ(EntryOf(ItemAt(disk, 80388))->GetStartSector(), 80388u) << "the partition behind keeps its place";
        IManagerItem* space = ItemAt(disk, 32130);
        ASSERT_NE(space, nullptr) << "the space from the chain's head record on is free";
        EXPECT_EQ(EntryOf(space)->GetPartitionType(), 0u);
        AddPartitionParam record = Record(FILE_SYSTEM_FAT12, c.first, c.last, false, "DATA");
        record.PartitionType = 0x01;
        IManagerItem* made = partitions->CreatePartition(&record, 0);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(EntryOf(made)->GetHiddenSectors(), c.first - 32130 + 63) << "its record heads the chain";
        EXPECT_EQ(EntryOf(ItemAt(disk, 80388))->GetHiddenSectors(), 63u);
        ASSERT_EQ(As<IPartitionTableChainWriter>(disk)->Write(), 0u);
        EXPECT_EQ(Table(images.Path(0)), c.table);
        EXPECT_EQ(Blkid(images.Path(0), 80388, "LABEL"), "NTFSVOL");
        EXPECT_EQ(Blkid(images.Path(0), 63, "LABEL"), "SYSTEM");
    }
}

TEST(VessmarEdit, FirstLogicalPartitionDeletedLeavesTheOthersWhereTheyAre)
{
    DiskImages images({LayoutFixture()});
    IManagerItem* disk = Disks()[0];
    ASSERT_EQ(PartitionsOf(disk)->DeletePartition(ItemAt(disk, 32193)), 0u);
    ASSERT_EQ(As<IPartitionTableChainWriter>(disk)->Write(), 0u);
    EXPECT_EQ(Table(images.Path(0)), "1:63+32067:6*\n2:32130+96390:5\n3:128520+32130:83\n5:80388+32067:7\n");
    EXPECT_EQ(Blkid(images.Path(0), 80388, "LABEL"), "NTFSVOL");
    // The head record now describes the partition from afar; the space before it is free.
    Vessmar()->Refresh(0);
    IManagerItem* again = Disks()[0];
    EXPECT_EQ(EntryOf(ItemAt(again, 80388))->GetHiddenSectors(), 80388u - 32130);
    IManagerItem* space = ItemAt(again, 32130);
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(EntryOf(space)->GetSectorCount(), 80388u - 63 - 32130);
    const AddPartitionParam record = Record(FILE_SYSTEM_FAT16, 32130, 64259, false, "NEW");
    ASSERT_NE(PartitionsOf(again)->CreatePartition(&record, 0), nullptr);
    ASSERT_EQ(As<IPartitionTableChainWriter>(again)->Write(), 0u);
    EXPECT_EQ(Table(images.Path(0)),
              "1:63+32067:6*\n2:32130+96390:5\n3:128520+32130:83\n5:32193+32067:6\n6:80388+32067:7\n");
}

