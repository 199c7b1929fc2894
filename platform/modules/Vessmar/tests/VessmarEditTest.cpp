// Editing partition tables through Vessmar.mo: edits stay in memory until Write, and
// what Write leaves on the disk is what sfdisk then reads.
#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <unistd.h>

#include "LittleEndian.h"
#include "VessmarEditHelpers.h"
#include "VessmarFixture.h"
#include "vessmar/AddPartitionParam.h"
#include "vessmar/FileSystemType.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionTableChainWriter.h"
#include "vessmar/IVolumeEntryInfo.h"

namespace {

constexpr unsigned long long C = 16065;

} // namespace

TEST(VessmarEdit, EditsStayInMemoryUntilWriteAndThenReachTheDisk)
{
    DiskImages images({LayoutFixture()});
    const std::string before = Table(images.Path(0));
    ASSERT_EQ(before,
              "1:63+32067:6*\n2:32130+96390:5\n3:128520+32130:83\n5:32193+32067:1\n6:80388+32067:7\n");
    IManagerItem* disk = Disks()[0];
    IPartitionManager* partitions = PartitionsOf(disk);

    ASSERT_EQ(As<IPartitionEntryEditor>(ItemAt(disk, 128520))->SetActive(true), 0u);
    EXPECT_FALSE(EntryOf(ItemAt(disk, 63))->IsActive()) << "one active partition per disk";
    ASSERT_EQ(As<IPartitionEntryEditor>(ItemAt(disk, 32193))->SetPartitionType(0x0E), 0u);
    ASSERT_EQ(partitions->DeletePartition(ItemAt(disk, 80388)), 0u);
    const AddPartitionParam record = Record(FILE_SYSTEM_FAT32, 10 * C, 12 * C - 1, true, "NEW");
    IManagerItem* created = partitions->CreatePartition(&record, 0);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(EntryOf(created)->GetStartSector(), 10 * C);
    EXPECT_EQ(EntryOf(created)->GetSectorCount(), 2 * C);
    EXPECT_EQ(EntryOf(created)->GetPartitionType(), 0x0Bu) << "FAT32 below cylinder 1024";
    EXPECT_STREQ(As<IFileSystemPartition>(created)->GetVolumeLabel(), "NEW");

    // The deleted logical partition's place has joined the free space around it.
    std::vector<unsigned long long> starts;
    for (IManagerItem* item : Items(partitions))
        starts.push_back(EntryOf(item)->GetStartSector());
    EXPECT_EQ(starts, (std::vector<unsigned long long>{63, 32193, 64260, 128520, 10 * C, 12 * C}));

    EXPECT_EQ(Table(images.Path(0)), before) << "nothing is written before Write";
    ASSERT_EQ(As<IPartitionTableChainWriter>(disk)->Write(), 0u);
    EXPECT_EQ(Table(images.Path(0)),
              "1:63+32067:6\n2:32130+96390:5\n3:128520+32130:83*\n4:160650+32130:b\n5:32193+32067:e\n");
    EXPECT_EQ(Blkid(images.Path(0), 32193, "LABEL"), "DATA") << "the data of kept partitions is untouched";
    EXPECT_EQ(Blkid(images.Path(0), 63, "LABEL"), "SYSTEM");

    // A rescan reads back what was written.
    Vessmar()->Refresh(0);
    IManagerItem* again = Disks()[0];
    ASSERT_NE(ItemAt(again, 160650), nullptr);
    EXPECT_TRUE(EntryOf(ItemAt(again, 128520))->IsActive());
}

TEST(VessmarEdit, WriteKeepsTheBootCodeOfTheMasterBootRecord)
{
    DiskImages images({LayoutFixture()});
    unsigned char code[440];
    for (size_t i = 0; i < sizeof(code); ++i)
        code[i] = static_cast<unsigned char>(i * 7 + 1);
    {
        const int fd = open(images.Path(0).c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, code, sizeof(code), 0), static_cast<ssize_t>(sizeof(code)));
        close(fd);
    }
    Vessmar()->Refresh(0);
    IManagerItem* disk = Disks()[0];
    ASSERT_EQ(As<IPartitionEntryEditor>(ItemAt(disk, 128520))->SetActive(true), 0u);
    ASSERT_EQ(PartitionsOf(disk)->DeletePartition(ItemAt(disk, 80388)), 0u);
    ASSERT_EQ(As<IPartitionTableChainWriter>(disk)->Write(), 0u);
    unsigned char back[sizeof(code)];
    const int fd = open(images.Path(0).c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pread(fd, back, sizeof(back), 0), static_cast<ssize_t>(sizeof(back)));
    close(fd);
    EXPECT_EQ(std::memcmp(back, code, sizeof(code)), 0) << "the machine would no longer start";
}

TEST(VessmarEdit, LogicalPartitionsGetTheirRecordOneTrackBefore)
{
    DiskImages images({LayoutFixture()});
    IManagerItem* disk = Disks()[0];
    IPartitionManager* partitions = PartitionsOf(disk);
    const AddPartitionParam record = Record(FILE_SYSTEM_NTFS, 112455, 128519, false);
    IManagerItem* created = partitions->CreatePartition(&record, 0);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(EntryOf(created)->GetStartSector(), 112455u + 63);
    EXPECT_EQ(EntryOf(created)->GetSectorCount(), 128519u - 112455 - 63 + 1);
    EXPECT_EQ(EntryOf(created)->GetHiddenSectors(), 63u);
    EXPECT_FALSE(EntryOf(created)->IsPrimary());
    EXPECT_EQ(EntryOf(created)->GetPartitionType(), 0x07u);
    ASSERT_EQ(As<IPartitionTableChainWriter>(disk)->Write(), 0u);
    EXPECT_EQ(Table(images.Path(0)), "1:63+32067:6*\n2:32130+96390:5\n3:128520+32130:83\n5:32193+32067:1\n"
                                     "6:80388+32067:7\n7:112518+16002:7\n");
    // Written in the DOS-compatible layout, every later record is a track before its partition.
    EXPECT_EQ(EntryOf(ItemAt(disk, 80388))->GetHiddenSectors(), 63u);
    EXPECT_EQ(EntryOf(ItemAt(disk, 112518))->GetHiddenSectors(), 63u);
    EXPECT_EQ(Blkid(images.Path(0), 80388, "LABEL"), "NTFSVOL");
}

TEST(VessmarEdit, FirstPartitionsOfABlankDisk)
{
    DiskImages images({"blank:40"});
    IManagerItem* disk = Disks()[0];
    IPartitionManager* partitions = PartitionsOf(disk);
    AddPartitionParam first = Record(FILE_SYSTEM_FAT16, 0, C - 1, true);
    first.DriveLetter = 'c';
    IManagerItem* primary = partitions->CreatePartition(&first, 0);
    ASSERT_NE(primary, nullptr);
    // The manager keeps the letter the record asks for; '*' asks for none.
    IVolumeEntryInfo* volume = As<IVolumeEntryInfo>(primary);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->GetDriveLetter(), 'C');
    EXPECT_NE(volume->SetDriveLetter('1'), 0u);
    EXPECT_EQ(volume->GetDriveLetter(), 'C');
    EXPECT_STREQ(volume->GetMountName(), "");
    EXPECT_NE(volume->MountVolume(), 0u) << "a partition not yet written has no volume to mount";
    EXPECT_EQ(EntryOf(primary)->GetStartSector(), 63u) << "a slot from sector 0 begins after the first track";
    EXPECT_EQ(EntryOf(primary)->GetHiddenSectors(), 63u);
    ASSERT_EQ(As<IPartitionEntryEditor>(primary)->SetActive(true), 0u);
    const AddPartitionParam second = Record(FILE_SYSTEM_OTHER, C, 3 * C - 1, false);
    IManagerItem* logical = partitions->CreatePartition(&second, 0);
    ASSERT_NE(logical, nullptr);
    EXPECT_EQ(EntryOf(logical)->GetStartSector(), C + 63);
    EXPECT_EQ(As<IVolumeEntryInfo>(logical)->GetDriveLetter(), 0);
    ASSERT_EQ(As<IPartitionEntryEditor>(logical)->SetPartitionType(0x82), 0u);
    ASSERT_EQ(As<IPartitionTableChainWriter>(disk)->Write(), 0u);
    // The extended partition takes the rest of the free space, so more logical ones fit.
    EXPECT_EQ(Table(images.Path(0)), "1:63+16002:6*\n2:16065+" + std::to_string(40 * 2048 - C) + ":5\n5:16128+32067:82\n");
}

TEST(VessmarEdit, RefusalsLeaveTheTableAsItWas)
{
    DiskImages images({LayoutFixture(), "blank:8"});
    IManagerItem* disk = Disks()[0];
    IManagerItem* other = Disks()[1];
    IPartitionManager* partitions = PartitionsOf(disk);
    struct Case {
        const char* what;
        AddPartitionParam record;
    };
    const Case cases[] = {
        {"over a partition", Record(FILE_SYSTEM_FAT32, 100, 20000, true)},
        {"primary inside the extended partition", Record(FILE_SYSTEM_FAT32, 112455, 128519, true)},
        {"logical outside the extended partition", Record(FILE_SYSTEM_FAT32, 160650, 192779, false)},
        {"past the end of the disk", Record(FILE_SYSTEM_FAT32, 160650, 204800, true)},
        {"last before first", Record(FILE_SYSTEM_FAT32, 192779, 160650, true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(partitions->CreatePartition(&c.record, 0), nullptr);
    }
    EXPECT_EQ(partitions->CreatePartition(nullptr, 0), nullptr);
    AddPartitionParam extendedType = Record(FILE_SYSTEM_FAT32, 160650, 192779, true);
    extendedType.PartitionType = 0x05;
    EXPECT_EQ(partitions->CreatePartition(&extendedType, 0), nullptr);

    IPartitionEntryEditor* logical = As<IPartitionEntryEditor>(ItemAt(disk, 32193));
    EXPECT_NE(logical->SetActive(true), 0u) << "a logical partition cannot start the machine";
    for (unsigned type : {0u, 0x05u, 0x0Fu, 0x85u, 0x100u})
        EXPECT_NE(logical->SetPartitionType(type), 0u) << type;
    EXPECT_NE(partitions->DeletePartition(ItemAt(disk, 64260)), 0u) << "free space is no partition";
    EXPECT_NE(partitions->DeletePartition(nullptr), 0u);
    EXPECT_NE(PartitionsOf(other)->DeletePartition(ItemAt(disk, 63)), 0u) << "a partition of another disk";
    EXPECT_EQ(As<IPartitionEntryEditor>(ItemAt(disk, 64260)), nullptr);

    // Nothing was changed: Write has nothing to do and leaves the file alone.
    const std::string before = RunCommand("md5sum < '" + images.Path(0) + "'");
    EXPECT_EQ(As<IPartitionTableChainWriter>(disk)->Write(), 0u);
    EXPECT_EQ(RunCommand("md5sum < '" + images.Path(0) + "'"), before);

    // A fifth table entry is refused.
    const AddPartitionParam fourth = Record(FILE_SYSTEM_FAT32, 10 * C, 11 * C - 1, true);
    ASSERT_NE(partitions->CreatePartition(&fourth, 0), nullptr);
    const AddPartitionParam fifth = Record(FILE_SYSTEM_FAT32, 11 * C, 12 * C - 1, true);
    EXPECT_EQ(partitions->CreatePartition(&fifth, 0), nullptr);
}

TEST(VessmarEdit, DeleteAllThenWriteLeavesAnEmptyTable)
{
    DiskImages images({LayoutFixture()});
    IManagerItem* disk = Disks()[0];
    ASSERT_EQ(PartitionsOf(disk)->DeleteAllPartitions(), 0u);
    const std::vector<IManagerItem*> items = Items(PartitionsOf(disk));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(EntryOf(items[0])->GetSectorCount(), 204800u);
    ASSERT_EQ(As<IPartitionTableChainWriter>(disk)->Write(), 0u);
    EXPECT_EQ(Table(images.Path(0)), "");
    EXPECT_NE(RunCommand("sfdisk --dump '" + images.Path(0) + "' 2>/dev/null").find("label-id: 0x5eed1234"),
              std::string::npos)
        << "the disk keeps its identifier";
}

TEST(VessmarEdit, DamagedTableIsReportedBadAndNotEdited)
{
    DiskImages images({"blank:8"});
    // Two primary entries that overlap, written by hand.
    {
        unsigned char mbr[512] = {};
        const uint32_t entries[2][2] = {{63, 8000}, {4000, 8000}};
        for (int i = 0; i < 2; ++i) {
            unsigned char* e = mbr + 446 + 16 * i;
            e[4] = 0x06;
            StoreLE32(e + 8, entries[i][0]);
            StoreLE32(e + 12, entries[i][1]);
        }
        mbr[510] = 0x55;
        mbr[511] = 0xAA;
        const int fd = open(images.Path(0).c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, mbr, sizeof(mbr), 0), 512);
        close(fd);
    }
    Vessmar()->Refresh(0);
    IManagerItem* disk = Disks()[0];
    IPartitionManager* partitions = PartitionsOf(disk);
    EXPECT_TRUE(partitions->IsBadDisk());
    EXPECT_EQ(partitions->TestWholeDisk() & 0xFF, 1u);
    const std::vector<IManagerItem*> items = Items(partitions);
    ASSERT_EQ(items.size(), 2u) << "both entries are shown, no free space is made up";
    EXPECT_NE(As<IPartitionEntryEditor>(items[0])->SetPartitionType(0x0B), 0u);
    const AddPartitionParam record = Record(FILE_SYSTEM_FAT16, 12100, 16000, true);
    EXPECT_EQ(partitions->CreatePartition(&record, 0), nullptr);
    EXPECT_NE(As<IPartitionTableChainWriter>(disk)->Write(), 0u);
}

TEST(VessmarEdit, ExtendedChainThatLoopsEndsTheWalk)
{
    DiskImages images({"blank:8"});
    // An extended partition at sector 2048 whose one record links back to itself.
    {
        unsigned char mbr[512] = {};
        unsigned char* e = mbr + 446;
        e[4] = 0x05;
        StoreLE32(e + 8, 2048);
        StoreLE32(e + 12, 8192);
        mbr[510] = 0x55;
        mbr[511] = 0xAA;
        unsigned char ebr[512] = {};
        unsigned char* data = ebr + 446;
        data[4] = 0x06;
        StoreLE32(data + 8, 63);
        StoreLE32(data + 12, 1000);
        unsigned char* link = ebr + 446 + 16;
        link[4] = 0x05;
        StoreLE32(link + 8, 0); // the next record is this one again
        StoreLE32(link + 12, 2000);
        ebr[510] = 0x55;
        ebr[511] = 0xAA;
        const int fd = open(images.Path(0).c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, mbr, sizeof(mbr), 0), 512);
        ASSERT_EQ(pwrite(fd, ebr, sizeof(ebr), 2048 * 512), 512);
        close(fd);
    }
    ASSERT_EQ(Vessmar()->Refresh(0), 0u);
    const std::vector<IManagerItem*> disks = Disks();
    ASSERT_EQ(disks.size(), 1u);
    unsigned logicals = 0;
    for (IManagerItem* item : Items(PartitionsOf(disks[0]))) {
        IPartitionEntry* entry = EntryOf(item);
        if (entry->GetPartitionType() == 0x06) {
            ++logicals;
            EXPECT_EQ(entry->GetStartSector(), 2048u + 63);
            EXPECT_EQ(entry->GetHiddenSectors(), 63u);
        }
    }
    EXPECT_EQ(logicals, 1u) << "each record is read once";
    EXPECT_TRUE(PartitionsOf(disks[0])->IsBadDisk()) << "a looping chain is no table to edit";
}

TEST(VessmarEdit, RewritingKeepsTheRecordsOfAdjacentLogicalPartitionsWhereTheyAre)
{
    // Two logical partitions back to back, the second one's record in the one sector
    // between them, as sfdisk lays them out when told exact starts. Each logical
    // partition's last sectors hold data that no table write may touch.
    DiskImages images({"blank:40"});
    const std::string layout = "label: dos\nunit: sectors\n"
                               "1 : start=63, size=16002, type=6\n"
                               "2 : start=16065, size=48195, type=5\n"
                               "5 : start=16128, size=16002, type=6\n"
                               "6 : start=32131, size=16002, type=6\n"
                               "7 : start=48134, size=16002, type=6\n";
    ASSERT_EQ(std::system(("printf '" + layout + "' | sfdisk --quiet --no-reread --no-tell-kernel '" +
                           images.Path(0) + "' >/dev/null")
                              .c_str()),
              0);
    const unsigned long long lastTracks[] = {32130 - 63, 48133 - 63};
    unsigned char pattern[63 * 512];
    std::memset(pattern, 0xA5, sizeof(pattern));
    {
        const int fd = open(images.Path(0).c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        for (unsigned long long first : lastTracks)
            ASSERT_EQ(pwrite(fd, pattern, sizeof(pattern), static_cast<off_t>(first * 512)),
                      static_cast<ssize_t>(sizeof(pattern)));
        close(fd);
    }
    Vessmar()->Refresh(0);
    IManagerItem* disk = Disks()[0];
    ASSERT_EQ(As<IPartitionEntryEditor>(ItemAt(disk, 63))->SetActive(true), 0u);
    EXPECT_EQ(As<IPartitionTableChainWriter>(disk)->Write(), 0u) << "a table other tools made is editable";

    const int fd = open(images.Path(0).c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    for (unsigned long long first : lastTracks) {
        SCOPED_TRACE(first);
        unsigned char back[sizeof(pattern)];
        ASSERT_EQ(pread(fd, back, sizeof(back), static_cast<off_t>(first * 512)), static_cast<ssize_t>(sizeof(back)));
        EXPECT_EQ(std::memcmp(back, pattern, sizeof(back)), 0) << "a partition's data was overwritten";
    }
    close(fd);
    EXPECT_EQ(Table(images.Path(0)), "1:63+16002:6*\n2:16065+48195:5\n5:16128+16002:6\n6:32131+16002:6\n7:48134+16002:6\n");
    // The later records lie right before their partitions.
    Vessmar()->Refresh(0);
    for (unsigned long long start : {32131ull, 48134ull})
        EXPECT_EQ(EntryOf(ItemAt(Disks()[0], start))->GetHiddenSectors(), 1u) << start;
}

TEST(VessmarEdit, ARescanDuringAWriteNeverSeesAHalfWrittenTable)
{
    // One thread deletes and re-creates the second logical partition and writes the
    // table, again and again; another rescans meanwhile. Every tree a rescan builds
    // must show the table before or after a write, never a chain that is half old and
    // half new: edits made on such a tree would write a wrong table.
    DiskImages images({LayoutFixture()});
    const std::set<unsigned long long> with = {63, 32193, 80388, 128520};
    const std::set<unsigned long long> without = {63, 32193, 128520};
    std::atomic<bool> done{false};
    std::atomic<int> writes{0};
    std::atomic<int> scans{0};
    std::thread writer([&done, &writes, &scans] {
        // Items kept across a rescan are referenced, taken while an iterator holds them.
        auto held = [](IContainer* container, unsigned long long start) -> IManagerItem* {
            CMomPtr<IIterator> it(container->CreateIterator());
            while (IManagerItem* item = it->Next()) {
                if (start == ~0ull || EntryOf(item)->GetStartSector() == start) {
                    item->AddRef();
                    return item;
                }
            }
            return nullptr;
        };
        for (int attempt = 0; attempt < 1000 && (writes < 8 || scans < 8); ++attempt) {
            IManagerItem* disk = held(Vessmar()->GetManager(), ~0ull);
            ASSERT_NE(disk, nullptr);
            IPartitionManager* partitions = PartitionsOf(disk);
            IManagerItem* logical = held(partitions, 80388);
            bool edited;
            if (logical != nullptr) {
                edited = partitions->DeletePartition(logical) == 0;
                logical->Release();
            } else {
                const AddPartitionParam record = Record(FILE_SYSTEM_NTFS, 80325, 112454, false);
                edited = partitions->CreatePartition(&record, 0) != nullptr;
            }
            // A rescan in between retires the disk: its edits are refused, and so is Write.
            if (edited && As<IPartitionTableChainWriter>(disk)->Write() == 0)
                ++writes;
            disk->Release();
        }
        done = true;
    });
    while (!done) {
        Vessmar()->Refresh(0);
        ++scans;
        // Read while the iterators hold what they hand out: the writer edits this tree too.
        CMomPtr<IIterator> disks(Vessmar()->GetManager()->CreateIterator());
        IManagerItem* disk = disks->Next();
        ASSERT_NE(disk, nullptr);
        std::set<unsigned long long> starts;
        CMomPtr<IIterator> it(PartitionsOf(disk)->CreateIterator());
        while (IManagerItem* item = it->Next())
            if (EntryOf(item)->GetPartitionType() != 0)
                starts.insert(EntryOf(item)->GetStartSector());
        // The tree as read from the disk: the writer's edits apply to the tree they were
        // made on, which this rescan has just retired, or to this one after the read.
        if (starts != with && starts != without)
            ADD_FAILURE() << "scan " << scans << " read a table of " << starts.size() << " partitions";
    }
    writer.join();
    EXPECT_GT(writes, 0);
    EXPECT_GT(scans, 1);
}
