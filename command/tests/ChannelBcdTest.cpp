// A restored Vista-style system through the command channel: the command object, its
// executor and the real engines restore a system volume to another offset of another
// disk, and clone it there, and the volume's BCD store names the partition's new
// place. In a program of its own: its disks (the restored-system fixture and a
// target) are the only ones the disk enumeration sees.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "BackupRunner.h"
#include "ChannelFixture.h"
#include "CommandOutput.h"
#include "ICensa.h"
#include "ListedPartitions.h"
#include "KSRestoreRecords.h"
#include "restore/BcdStoreCheck.h"
#include "restore/WindowsSystemDisk.h"

namespace {

constexpr uint32_t kChannelTargetSignature = 0x7A7A0002;
constexpr uint64_t kTargetStart = 40960; // the FAT32 system volume moves here

struct BcdDisks {
    std::string fixture, target, folder;
    uint32_t fat32Index = 0;
};

// The target: one FAT32 partition of the system volume's size at kTargetStart.
void PartitionTarget(const BcdDisks& disks)
{
    std::ofstream(disks.folder + "/table") << "label: dos\nlabel-id: 0x7A7A0002\nunit: sectors\n"
                                              "1 : start=40960, size=69632, type=c, bootable\n";
    ASSERT_EQ(0, std::system(("rm -f '" + disks.target + "' && truncate -s 96M '" + disks.target + "' && sfdisk --quiet '" +
                              disks.target + "' <'" + disks.folder + "/table' >/dev/null 2>&1")
                                 .c_str()));
}

const BcdDisks& Disks()
{
    static const BcdDisks disks = [] {
        BcdDisks d;
        d.fixture = MakeWindowsSystemDisk();
        d.folder = MakeWorkFolder("channel-bcd");
        d.target = d.folder + "/target.img";
        PartitionTarget(d);
        NameDisks({d.fixture, d.target});
        d.fat32Index = ListedPartitionAt(0, kSystemFat32.start);
        return d;
    }();
    return disks;
}

// The console's item for the system volume's new place on disk 1: active, lettered.
_RESTORE_INFO TargetItem()
{
    _RESTORE_INFO item{};
    item.DiskNumber = 1;
    item.FirstSector = kTargetStart;
    item.SectorCount = kSystemFat32.sectors;
    item.VolumeType = 3;
    item.DriveLetter = 'H';
    item.Primary = 1;
    item.Active = 1;
    item.HiddenSectors = kTargetStart;
    return item;
}

_KS_PROGRESS_INFO RunToTheEnd(ITasque& tasque)
{
    _KS_PROGRESS_INFO last{};
    EXPECT_EQ(0u, tasque.RestoreExecute());
    for (int polls = 0; polls < 3000; ++polls) {
        EXPECT_EQ(0u, tasque.RestoreGetProgress(&last));
        if (last.State == RESTORE_STATE_FINISH || last.State == RESTORE_STATE_USER_CANCEL)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return last;
}

void ExpectStoreAtTheNewPlace()
{
    const BcdDisks& disks = Disks();
    ExpectBcdStoreMoved(BcdStoreOn(disks.fixture, kSystemFat32.start, kSystemFat32.sectors, false, disks.folder),
                        BcdStoreOn(disks.target, kTargetStart, kSystemFat32.sectors, false, disks.folder),
                        kFixtureSignature, kSystemFat32.start, kChannelTargetSignature, kTargetStart, disks.folder);
}

TEST(ChannelBcd, ARestoreToAnotherOffsetPointsTheStoreAtTheNewPlace)
{
    const BcdDisks& disks = Disks();
    PartitionTarget(disks);
    BackupRequest request;
    request.imagePath = Wide(disks.folder + "/set.rvd");
    request.partitions = {disks.fat32Index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);

    Tasque tasque = NewTasque();
    std::wstring path = Wide(disks.folder + "/" + FilesIn(disks.folder).front());
    for (const std::string& file : FilesIn(disks.folder))
        if (file.find(".rvd") != std::string::npos || file.find(".RVD") != std::string::npos)
            path = Wide(disks.folder + "/" + file);
    unsigned long count = 0;
    _KS_VERSION version{};
    ASSERT_EQ(0u, tasque->RestoreGetImageVersions(&version, 1, &count, &path[0]));
    ASSERT_EQ(0u, tasque->RestoreSetImgInfo(&version, &path[0]));
    _KS_VOLUME volume{};
    ASSERT_EQ(0u, tasque->RestoreGetImgVolumes(&volume, 1, &count, &version));
    ASSERT_EQ(1u, count);
    const _RESTORE_INFO item = TargetItem();
    ASSERT_EQ(0u, tasque->AddRestore(&volume, &item, 0));
    const _KS_PROGRESS_INFO last = RunToTheEnd(*tasque);
    ASSERT_EQ(0u, last.Result) << std::hex << last.Result;
    ExpectStoreAtTheNewPlace();
}

TEST(ChannelBcd, ACloneOntoAnotherDiskPointsTheStoreAtTheTargetDisk)
{
    const BcdDisks& disks = Disks();
    PartitionTarget(disks);
    Tasque tasque = NewTasque();
    _RESTORE_INFO source{};
    source.DiskNumber = 0;
    source.FirstSector = kSystemFat32.start;
    source.SectorCount = kSystemFat32.sectors;
    source.VolumeType = 3;
    source.DriveLetter = '*';
    source.Primary = 1;
    source.HiddenSectors = kSystemFat32.start;
    const _RESTORE_INFO target = TargetItem();
    ASSERT_EQ(0u, tasque->AddDiskRestore(&source, &target, 0));
    const _KS_PROGRESS_INFO last = RunToTheEnd(*tasque);
    ASSERT_EQ(0u, last.Result) << std::hex << last.Result;
    ExpectStoreAtTheNewPlace();
}

} // namespace
