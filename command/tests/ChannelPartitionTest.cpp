// Partition edits through the command channel on a disk-image file, then written by
// the device manager and read back with sfdisk -d.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "ChannelFixture.h"
#include "CommandOutput.h"
#include "vessmar/FileSystemType.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IPartitionTableChainWriter.h"

namespace {

constexpr uint64_t C = 16065; // sectors per cylinder of 255 x 63

class ChannelPartitionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/channel-partition-XXXXXX";
        folder_ = mkdtemp(pattern);
        disk_ = folder_ + "/disk.img";
        ASSERT_EQ(0, std::system(("truncate -s 100M '" + disk_ + "' && echo 'label: dos' | sfdisk --quiet '" + disk_ +
                                  "' >/dev/null 2>&1").c_str()));
        NameDisks({disk_});
        tasque_ = NewTasque();
    }
    void TearDown() override
    {
        tasque_.reset();
        std::system(("rm -rf '" + folder_ + "'").c_str());
    }

    static AddPartitionParam Record(uint32_t fileSystem, uint64_t first, uint64_t last, bool primary)
    {
        AddPartitionParam r;
        std::memset(&r, 0, sizeof r);
        r.FileSystem = fileSystem;
        r.FirstSector = first;
        r.LastSector = last;
        r.DriveLetter = '*';
        r.Primary = primary ? 1 : 0;
        return r;
    }

    // Writes the disk's edited table through the device manager.
    void WriteTable()
    {
        IManagerItem* diskItem = nullptr;
        ASSERT_EQ(0u, tasque_->GetDiskItem(0, &diskItem));
        ASSERT_NE(nullptr, diskItem);
        auto* writer = diskItem->GetInterfaceT<IPartitionTableChainWriter>("IPartitionTableChainWriter");
        ASSERT_NE(nullptr, writer);
        ASSERT_EQ(0u, writer->Write());
    }

    // "start+size:type" per partition, as sfdisk -d lists them.
    std::string Table() const
    {
        return CommandOutput("sfdisk -d '" + disk_ + "' | sed -n 's/.*start= *\\([0-9]*\\), size= *\\([0-9]*\\), "
                             "type=\\([0-9a-f]*\\).*/\\1+\\2:\\3/p'");
    }

    std::string folder_, disk_;
    Tasque tasque_;
};

TEST_F(ChannelPartitionTest, AddFindTestDeleteAndWrite)
{
    // Primary slots starting at 0 begin one track in; the second starts on its own.
    ASSERT_EQ(0u, tasque_->AddPartition(0, Record(FILE_SYSTEM_FAT16, 0, 2 * C - 1, true)));
    ASSERT_EQ(0u, tasque_->AddPartition(0, Record(FILE_SYSTEM_NTFS, 2 * C, 4 * C - 1, true)));
    ASSERT_EQ(0u, tasque_->AddPartition(0, Record(FILE_SYSTEM_FAT32, 6 * C, 7 * C - 1, true)));
    IManagerItem* first = nullptr;
    ASSERT_EQ(0u, tasque_->FindPartition(0, 63, 2 * C - 63, &first));
    ASSERT_NE(nullptr, first);
    IManagerItem* second = nullptr;
    ASSERT_EQ(0u, tasque_->FindPartition(0, 2 * C, 2 * C, &second));
    auto* entry = second->GetInterfaceT<IPartitionEntry>("IPartitionEntry");
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(2 * C, entry->GetStartSector());
    EXPECT_EQ(0x043B7200u, tasque_->FindPartition(0, 2 * C, 2 * C + 1, &second)) << "count must match too";
    EXPECT_EQ(0x04367201u, tasque_->FindPartition(1, 63, 10, &second)) << "one disk only";
    EXPECT_EQ(0x04107201u, tasque_->AddPartition(1, Record(FILE_SYSTEM_FAT16, 0, C - 1, true)));

    const struct {
        const char* name;
        uint64_t first, last;
        unsigned long result;
    } ranges[] = {
        {"the partition itself", 2 * C, 4 * C - 1, 0},
        {"free space between", 4 * C, 6 * C - 1, 0},
        {"start inside the first", C, 5 * C, 0x03DD7FFF},
        {"end inside the first", 10, 100, 0x03E27FFF},
        {"swallowing the third whole", 5 * C, 8 * C, 0x03DD7FFF},
        {"whole disk, sound table", 0, 0, 0},
    };
    for (const auto& r : ranges) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.result, tasque_->IsBadDisk(0, r.first, r.last));
    }
    EXPECT_EQ(0x03C87201u, tasque_->IsBadDisk(3, 0, 0));

    WriteTable();
    EXPECT_EQ("63+32067:6\n32130+32130:7\n96390+16065:b\n", Table());

    // One partition, then every one (first sector all ones, whatever the count).
    EXPECT_EQ(0x03FF7200u, tasque_->DeletePartition(0, 2 * C, 5));
    EXPECT_EQ(0u, tasque_->DeletePartition(0, 2 * C, 2 * C));
    WriteTable();
    EXPECT_EQ("63+32067:6\n96390+16065:b\n", Table());
    EXPECT_EQ(0u, tasque_->DeletePartition(0, ~0ull, 0));
    WriteTable();
    EXPECT_EQ("", Table());
    // The items handed out earlier are still alive: the executor holds them.
    EXPECT_EQ(2 * C, entry->GetStartSector());
}

} // namespace
