// Vessmar.mo over sfdisk-made disk images: what it lists, against sfdisk and blkid,
// what CheckItem allows, and items that stay valid across a rescan.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

#include "LittleEndian.h"
#include "VessmarFixture.h"
#include "vessmar/FileSystemType.h"
#include "vessmar/IDiskDeviceType.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IFileSystemPartitionExtendInfoEditor.h"
#include "vessmar/IPartitionBootInfo.h"
#include "vessmar/IPartitionEntryEditor.h"
#include "vessmar/IPartitionManagerParameterCheck.h"

TEST(VessmarModule, OpensAndListsExactlyTheImagesOfTheDiskMap)
{
    ASSERT_NE(Vessmar(), nullptr);
    const std::string fixture = LayoutFixture();
    ASSERT_FALSE(fixture.empty());
    DiskImages images({fixture, "blank:1"});
    IManager* manager = Vessmar()->GetManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->GetCount(), 2u);
    EXPECT_EQ(Vessmar()->Open(0), static_cast<IObject*>(manager));
    EXPECT_EQ(Vessmar()->Attach(Vessmar()->Open(0)), 0u);

    const std::vector<IManagerItem*> disks = Disks();
    ASSERT_EQ(disks.size(), 2u);
    struct Case {
        const char* device;
        unsigned long long sectors, cylinders;
    };
    const Case cases[] = {{"\\\\.\\PhysicalDrive0", 204800, 12}, {"\\\\.\\PhysicalDrive1", 2048, 1}};
    for (size_t i = 0; i < disks.size(); ++i) {
        SCOPED_TRACE(i);
        IDiskEntry* entry = As<IDiskEntry>(disks[i]);
        IDiskGeometry* geometry = As<IDiskGeometry>(disks[i]);
        ASSERT_NE(entry, nullptr);
        ASSERT_NE(geometry, nullptr);
        EXPECT_STREQ(entry->GetDeviceName(), cases[i].device);
        EXPECT_EQ(entry->GetTotalSectors(), cases[i].sectors);
        EXPECT_EQ(std::string(entry->GetModelName()), "Disk image disk" + std::to_string(i) + ".img");
        EXPECT_EQ(geometry->GetCylinders(), cases[i].cylinders) << "never 0, even for a disk under a cylinder";
        EXPECT_EQ(geometry->GetTracksPerCylinder(), 255u);
        EXPECT_EQ(geometry->GetSectorsPerTrack(), 63u);
        EXPECT_EQ(geometry->GetBytesPerSector(), 512u);
        EXPECT_EQ(As<IDiskDeviceType>(disks[i])->GetDiskType(), static_cast<unsigned>(DISK_TYPE_BASIC));
        EXPECT_FALSE(PartitionsOf(disks[i])->IsBadDisk());
        EXPECT_EQ(disks[i]->GetParent(), nullptr);
    }
}

TEST(VessmarModule, ListsPartitionsAsSfdiskSeesThemWithFreeSpaceInDiskOrder)
{
    DiskImages images({LayoutFixture()});
    const std::vector<IManagerItem*> disks = Disks();
    ASSERT_EQ(disks.size(), 1u);
    IPartitionManager* partitions = PartitionsOf(disks[0]);
    ASSERT_NE(partitions, nullptr);
    const std::vector<IManagerItem*> items = Items(partitions);
    EXPECT_EQ(partitions->GetCount(), items.size());

    struct Want {
        unsigned long long start, count, hidden;
        unsigned type;
        bool primary, active;
    };
    // The extended partition is a container and not listed; the record of the second
    // logical partition lies where sfdisk put it, one sector before the partition.
    const Want want[] = {
        {63, 32067, 63, 0x06, true, true},
        {32193, 32067, 63, 0x01, false, false},
        {64260, 16127, 0, 0, false, false},
        {80388, 32067, 1, 0x07, false, false},
        {112455, 16065, 0, 0, false, false},
        {128520, 32130, 0, 0x83, true, false},
        {160650, 44150, 0, 0, true, false},
    };
    ASSERT_EQ(items.size(), std::size(want));
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        IPartitionEntry* entry = EntryOf(items[i]);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->GetStartSector(), want[i].start);
        EXPECT_EQ(entry->GetSectorCount(), want[i].count);
        EXPECT_EQ(entry->GetHiddenSectors(), want[i].hidden);
        EXPECT_EQ(entry->GetPartitionType(), want[i].type);
        EXPECT_EQ(entry->IsPrimary(), want[i].primary);
        EXPECT_EQ(entry->IsActive(), want[i].active);
        EXPECT_EQ(items[i]->GetParent(), disks[0]);
        EXPECT_EQ(As<IFileSystemPartition>(items[i]) != nullptr, want[i].type != 0)
            << "free space has no file system";
    }

    // Every partition that sfdisk lists, but the container, is an item.
    size_t partitionsSeen = 0;
    for (const DumpLine& line : SfdiskDump(images.Path(0))) {
        if (line.type == 0x05)
            continue;
        ++partitionsSeen;
        bool found = false;
        for (IManagerItem* item : items) {
            IPartitionEntry* entry = EntryOf(item);
            found = found || (entry->GetStartSector() == line.start && entry->GetSectorCount() == line.size &&
                              entry->GetPartitionType() == line.type && entry->IsActive() == line.bootable &&
                              entry->IsPrimary() == (line.number <= 4));
        }
        EXPECT_TRUE(found) << "partition " << line.number;
    }
    EXPECT_EQ(partitionsSeen, 4u);
}

TEST(VessmarModule, FileSystemsAsBlkidSeesThemWithBootSectorFigures)
{
    DiskImages images({LayoutFixture()});
    const std::vector<IManagerItem*> items = Items(PartitionsOf(Disks()[0]));
    struct Want {
        size_t item;
        enumFILE_SYSTEM_TYPE kind;
        const char* blkidType;
        int sectorsPerCluster;
        unsigned reserved;
    };
    const Want want[] = {
        {0, FILE_SYSTEM_FAT16, "vfat", 4, 4},
        {1, FILE_SYSTEM_FAT12, "vfat", 8, 8},
        {3, FILE_SYSTEM_NTFS, "ntfs", 8, 0},
        {5, FILE_SYSTEM_OTHER, "", 0, 0},
    };
    for (const Want& w : want) {
        SCOPED_TRACE(w.item);
        IPartitionEntry* entry = EntryOf(items[w.item]);
        IFileSystemPartition* fs = As<IFileSystemPartition>(items[w.item]);
        IFileSystemPartitionExtendInfo* extend = As<IFileSystemPartitionExtendInfo>(items[w.item]);
        ASSERT_NE(fs, nullptr);
        ASSERT_NE(extend, nullptr);
        EXPECT_EQ(fs->GetFileSystemType(), w.kind);
        EXPECT_EQ(Blkid(images.Path(0), entry->GetStartSector(), "TYPE"), w.blkidType);
        EXPECT_EQ(fs->GetVolumeLabel(), Blkid(images.Path(0), entry->GetStartSector(), "LABEL"));
        EXPECT_EQ(extend->GetSectorsPerCluster(), w.sectorsPerCluster);
        if (w.kind != FILE_SYSTEM_NTFS && w.kind != FILE_SYSTEM_OTHER) {
            EXPECT_NE(extend->GetReservedSectors(), 0u);
        }
        EXPECT_GT(extend->GetUsedSectors(), 0u);
        EXPECT_LE(extend->GetUsedSectors(), entry->GetSectorCount());
        // A boot sector alone does not make a partition the running system's.
        EXPECT_FALSE(As<IPartitionBootInfo>(items[w.item])->HasBootRecord());
    }
#if defined(RVD_HAVE_FERROW)
    // A fresh NTFS volume uses a small part of its sectors for its metadata files.
    const unsigned long long ntfsUsed = As<IFileSystemPartitionExtendInfo>(items[3])->GetUsedSectors();
    EXPECT_GT(ntfsUsed, 16u);
    EXPECT_LT(ntfsUsed, EntryOf(items[3])->GetSectorCount() / 2);
#endif
    EXPECT_STREQ(As<IFileSystemPartition>(items[0])->GetVolumeLabel(), "SYSTEM");
    EXPECT_EQ(As<IFileSystemPartition>(items[0])->GetVolumeSerial(), 0x1600C0DEu);
    // A disk-image file never holds the running system, not even its active partition.
    EXPECT_FALSE(As<IPartitionBootInfo>(items[0])->IsSystemPartition());
    EXPECT_FALSE(As<IPartitionBootInfo>(items[1])->IsSystemPartition());

    unsigned char boot[512];
    ASSERT_EQ(As<IPartitionBootInfo>(items[1])->ReadBootSector(boot, 1), 1u);
    EXPECT_EQ(boot[510], 0x55);
    EXPECT_EQ(boot[511], 0xAA);

    // A caller's figure replaces the measured one until the measured one is asked back.
    IFileSystemPartitionExtendInfoEditor* editor = As<IFileSystemPartitionExtendInfoEditor>(items[0]);
    IFileSystemPartitionExtendInfo* extend = As<IFileSystemPartitionExtendInfo>(items[0]);
    const unsigned long long measured = extend->GetUsedSectors();
    EXPECT_EQ(editor->SetUsedSectors(1234), 0u);
    EXPECT_EQ(editor->SetUsedSectorsSource(USED_SECTORS_FROM_CALLER), 0u);
    EXPECT_EQ(extend->GetUsedSectors(), 1234u);
    EXPECT_NE(editor->SetUsedSectors(40000), 0u) << "more than the partition holds";
    EXPECT_EQ(editor->SetUsedSectorsSource(USED_SECTORS_MEASURED), 0u);
    EXPECT_EQ(extend->GetUsedSectors(), measured);

    // A refused figure is no figure: asking for the caller's then keeps the measured one
    // instead of answering 0 used sectors.
    IFileSystemPartitionExtendInfoEditor* otherEditor = As<IFileSystemPartitionExtendInfoEditor>(items[1]);
    IFileSystemPartitionExtendInfo* otherExtend = As<IFileSystemPartitionExtendInfo>(items[1]);
    const unsigned long long otherMeasured = otherExtend->GetUsedSectors();
    EXPECT_NE(otherEditor->SetUsedSectors(EntryOf(items[1])->GetSectorCount() + 1), 0u);
    EXPECT_NE(otherEditor->SetUsedSectorsSource(USED_SECTORS_FROM_CALLER), 0u);
    EXPECT_EQ(otherExtend->GetUsedSectors(), otherMeasured);
    EXPECT_NE(otherEditor->SetUsedSectorsSource(7), 0u);
}

TEST(VessmarModule, UsedSectorsOfFatVolumesAgreeWithTheirFreeSpace)
{
    DiskImages images({LayoutFixture()});
    const std::vector<IManagerItem*> items = Items(PartitionsOf(Disks()[0]));
    for (size_t i : {0u, 1u}) {
        SCOPED_TRACE(i);
        IPartitionEntry* entry = EntryOf(items[i]);
        const unsigned long long used = As<IFileSystemPartitionExtendInfo>(items[i])->GetUsedSectors();
#if defined(RVD_HAVE_FENLOW)
        // mtools counts the free clusters on its own; used are the sectors in front of the
        // clusters and every cluster that is not free.
        const std::string listing = RunCommand("MTOOLS_SKIP_CHECK=1 mdir -i '" + images.Path(0) + "@@" +
                                               std::to_string(entry->GetStartSector() * 512) + "' :: 2>/dev/null");
        const size_t end = listing.find(" bytes free");
        ASSERT_NE(end, std::string::npos) << listing;
        size_t begin = listing.rfind('\n', end);
        begin = begin == std::string::npos ? 0 : begin + 1;
        unsigned long long freeBytes = 0;
        for (size_t k = begin; k < end; ++k)
            if (listing[k] >= '0' && listing[k] <= '9')
                freeBytes = freeBytes * 10 + static_cast<unsigned long long>(listing[k] - '0');
        // The boot sector as minfo reads it gives where the clusters begin and how many there are.
        const std::string info = RunCommand("MTOOLS_SKIP_CHECK=1 minfo -i '" + images.Path(0) + "@@" +
                                            std::to_string(entry->GetStartSector() * 512) + "' :: 2>/dev/null");
        auto field = [&info](const char* name) {
            const size_t at = info.find(name);
            EXPECT_NE(at, std::string::npos) << name << "\n" << info;
            return at == std::string::npos ? 0ull : std::strtoull(info.c_str() + at + std::strlen(name), nullptr, 10);
        };
        const unsigned long long clusterSize = field("cluster size: ");
        const unsigned long long dataStart = field("reserved (boot) sectors: ") +
                                             field("fats: ") * field("sectors per fat: ") +
                                             field("max available root directory slots: ") * 32 / 512;
        const unsigned long long clusters = (field("small size: ") - dataStart) / clusterSize;
        ASSERT_GT(clusterSize, 0u);
        EXPECT_EQ(used, dataStart + (clusters - freeBytes / 512 / clusterSize) * clusterSize);
        EXPECT_LT(used, entry->GetSectorCount());
#else
        // Without the FAT reader every sector counts as used.
        EXPECT_EQ(used, entry->GetSectorCount());
#endif
    }
}

TEST(VessmarModule, ForgedVolumeSizesNeverReachPastThePartition)
{
    DiskImages images({LayoutFixture()});
    // Boot sectors that claim far more sectors than their partitions hold: the figures
    // that come from them must stay within the partition, and nothing may be allocated
    // for the bitmap of a volume that cannot exist.
    {
        const int fd = open(images.Path(0).c_str(), O_RDWR);
        ASSERT_GE(fd, 0);
        unsigned char boot[512];
        ASSERT_EQ(pread(fd, boot, sizeof(boot), 63 * 512), 512);
        StoreLE16(boot + 19, 0);           // FAT16: no 16-bit total...
        StoreLE32(boot + 32, 0xFFFFFF00u); // ...and a 32-bit one of almost 2 TiB
        ASSERT_EQ(pwrite(fd, boot, sizeof(boot), 63 * 512), 512);
        ASSERT_EQ(pread(fd, boot, sizeof(boot), 80388 * 512), 512);
        StoreLE64(boot + 40, 0xFFFFFFFF0ull); // NTFS: 32 Ti sectors
        ASSERT_EQ(pwrite(fd, boot, sizeof(boot), 80388 * 512), 512);
        close(fd);
    }
    ASSERT_EQ(Vessmar()->Refresh(0), 0u);
    const std::vector<IManagerItem*> items = Items(PartitionsOf(Disks()[0]));
    for (size_t i : {0u, 3u}) {
        SCOPED_TRACE(i);
        IFileSystemPartitionExtendInfo* extend = As<IFileSystemPartitionExtendInfo>(items[i]);
        ASSERT_NE(extend, nullptr);
        EXPECT_GT(extend->GetUsedSectors(), 0u);
        EXPECT_LE(extend->GetUsedSectors(), EntryOf(items[i])->GetSectorCount());
    }
}

TEST(VessmarModule, CheckItemAnswersBitFlags)
{
    DiskImages images({LayoutFixture(), "blank:20"});
    const std::vector<IManagerItem*> disks = Disks();
    IPartitionManagerParameterCheck* check = As<IPartitionManagerParameterCheck>(disks[0]);
    ASSERT_NE(check, nullptr);
    const std::vector<IManagerItem*> items = Items(PartitionsOf(disks[0]));
    const unsigned long want[] = {
        CHECK_ITEM_PRIMARY_POSSIBLE,  // primary; an extended partition exists
        CHECK_ITEM_LOGICAL_POSSIBLE,  // logical
        CHECK_ITEM_LOGICAL_POSSIBLE,  // free space inside the extended partition
        CHECK_ITEM_LOGICAL_POSSIBLE,
        CHECK_ITEM_LOGICAL_POSSIBLE,
        CHECK_ITEM_PRIMARY_POSSIBLE,
        CHECK_ITEM_PRIMARY_POSSIBLE,  // free space after it: one table entry left
    };
    ASSERT_EQ(items.size(), std::size(want));
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(check->CheckItem(items[i]), want[i]) << i;

    const std::vector<IManagerItem*> blank = Items(PartitionsOf(disks[1]));
    ASSERT_EQ(blank.size(), 1u);
    EXPECT_EQ(EntryOf(blank[0])->GetStartSector(), 0u);
    EXPECT_EQ(EntryOf(blank[0])->GetSectorCount(), 20u * 2048);
    IPartitionManagerParameterCheck* blankCheck = As<IPartitionManagerParameterCheck>(disks[1]);
    EXPECT_EQ(blankCheck->CheckItem(blank[0]),
              CHECK_ITEM_PRIMARY_POSSIBLE | CHECK_ITEM_LOGICAL_POSSIBLE | CHECK_ITEM_SPACE_TEST);
    EXPECT_EQ(blankCheck->CheckItem(items[0]), 0u) << "an item of another disk";
    EXPECT_EQ(blankCheck->CheckItem(nullptr), 0u);
}

TEST(VessmarModule, HeldItemsStayValidAcrossARescan)
{
    DiskImages images({LayoutFixture()});
    IManagerItem* disk = Disks()[0];
    const std::vector<IManagerItem*> items = Items(PartitionsOf(disk));
    CMomPtr<IPartitionEntry> held(items[3]);
    ASSERT_TRUE(held != nullptr);
    CMomPtr<IManagerItem> heldFree(items[2]);
    // A caller that releases an item it only borrowed cannot destroy it under the tree.
    items[5]->Release();
    items[5]->Release();
    EXPECT_EQ(EntryOf(items[5])->GetStartSector(), 128520u);

    ASSERT_EQ(Vessmar()->Refresh(0), 0u);
    ASSERT_EQ(Vessmar()->Refresh(0), 0u);
    EXPECT_EQ(held->GetStartSector(), 80388u);
    EXPECT_EQ(held->GetSectorCount(), 32067u);
    EXPECT_EQ(EntryOf(heldFree.Get())->GetStartSector(), 64260u);
    IManagerItem* oldDisk = As<IManagerItem>(held.Get())->GetParent();
    ASSERT_EQ(oldDisk, disk);
    EXPECT_STREQ(As<IDiskEntry>(oldDisk)->GetDeviceName(), "\\\\.\\PhysicalDrive0");
    // The old tree takes no edits: it no longer describes the disk.
    EXPECT_NE(As<IPartitionEntryEditor>(held.Get())->SetPartitionType(0x0C), 0u);
    EXPECT_NE(PartitionsOf(oldDisk)->DeletePartition(As<IManagerItem>(held.Get())), 0u);

    // The new tree lists the same disk with new items.
    const std::vector<IManagerItem*> fresh = Items(PartitionsOf(Disks()[0]));
    ASSERT_EQ(fresh.size(), items.size());
    EXPECT_NE(fresh[3], items[3]);
    EXPECT_EQ(EntryOf(fresh[3])->GetStartSector(), 80388u);
}

TEST(VessmarModule, RescanOnAnotherThreadWhileItemsAreWalked)
{
    DiskImages images({LayoutFixture()});
    std::atomic<bool> done{false};
    std::thread scanner([&done] {
        for (int i = 0; i < 15; ++i)
            Vessmar()->Refresh(0);
        done = true;
    });
    // A disk that a rescan retires in the middle of a walk lists nothing more; the walk
    // after the last rescan sees the whole disk.
    int walks = 0;
    int fullWalks = 0;
    for (;;) {
        const bool last = done;
        IManager* manager = Vessmar()->GetManager();
        CMomPtr<IIterator> disks(manager->CreateIterator());
        while (IManagerItem* disk = disks->Next()) {
            IPartitionManager* partitions = PartitionsOf(disk);
            CMomPtr<IIterator> it(partitions->CreateIterator());
            unsigned long long total = 0;
            while (IManagerItem* item = it->Next()) {
                EXPECT_EQ(item->GetParent(), disk);
                total += EntryOf(item)->GetSectorCount();
            }
            if (last && total > 0)
                ++fullWalks;
        }
        ++walks;
        if (last)
            break;
    }
    scanner.join();
    EXPECT_GT(fullWalks, 0);
}
