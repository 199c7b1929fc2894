#include <gtest/gtest.h>

#include <string>

#include "CRecordingWizard.h"
#include "CTargetDiskPageLogic.h"
#include "CTargetPartitionPageLogic.h"
#include "DiskTasque.h"
#include "RestorePagePosition.h"
#include "SourceVolumeFacts.h"
#include "VolumeBuilder.h"
#include "vessmar/IDiskDeviceType.h"

namespace {

struct Asked {
    std::vector<std::string> texts;
    int answer = 0;
    PageMessage Box()
    {
        return [this](const char*, int, int, const char* text) {
            texts.push_back(text);
            return answer;
        };
    }
};

// The target disk page with the disks it reads given by the test.
class DiskPage : public CTargetDiskPageLogic {
public:
    DiskPage(IWizard* w, PageMessage m) : CTargetDiskPageLogic(w, std::move(m)) {}
    std::vector<TargetDiskFacts> disks;

protected:
    TargetDiskFacts ReadDisk(int index) override { return disks.at(static_cast<size_t>(index)); }
};

struct DiskWalk {
    CRecordingWizard wizard;
    FakeDisk disk{40 * kCyl};
    DiskTasque tasque{disk};
    Asked asked;
    DiskPage page{&wizard, asked.Box()};
    // NTFS leaves its alternate boot sector out of its count.
    _KS_VOLUME ntfs = MakeVolume({KS_FS_NTFS, KS_VOLFLAG_PRIMARY, 0, 63, 8 * kCyl - 64, 30000, 8});
    _KS_VOLUME fat = MakeVolume({KS_FS_FAT32, 0, 8 * kCyl, 63, 10 * kCyl - 63, 90000, 8});

    DiskWalk()
    {
        wizard.info.pTasque = &tasque;
        wizard.info.bDiskRestore = 1;
        wizard.info.nLastPage = RESTORE_PAGE_IMAGE_PARTITION;
        wizard.info.SetVolumes({&ntfs, &fat, nullptr});
        for (uint64_t sectors : {40 * kCyl, 5 * kCyl}) {
            TargetDiskFacts f;
            f.record.TotalSectors = sectors;
            f.record.DiskType = DISK_TYPE_BASIC;
            page.disks.push_back(f);
        }
    }
};

TEST(TargetDiskPageLogic, PartitionRestorePassesThePageBy)
{
    DiskWalk walk;
    walk.wizard.info.nLastPage = RESTORE_PAGE_DRIVE_LETTER;
    walk.page.InitPage();
    EXPECT_EQ(uint32_t(RESTORE_PAGE_TARGET_DISK), walk.wizard.info.nLastPage);
    EXPECT_EQ(1u, walk.wizard.Count("OnNext"));
}

TEST(TargetDiskPageLogic, RowsAllowNextOnlyForDisksThatTakeTheImage)
{
    DiskWalk walk;
    walk.page.disks[0].record.DiskType = DISK_TYPE_GPT;
    walk.page.InitPage();
    EXPECT_FALSE(walk.wizard.nextEnabled) << "disk 0 is GPT";
    walk.page.RowChanged(1);
    EXPECT_FALSE(walk.wizard.nextEnabled) << "disk 1 is too small";
    walk.page.disks[0].record.DiskType = DISK_TYPE_BASIC;
    walk.page.disks[0].hasUsedPartition = true;
    walk.page.RowChanged(0);
    EXPECT_TRUE(walk.wizard.nextEnabled);
    EXPECT_EQ(0u, walk.wizard.info.bTargetDiskEmpty);
}

TEST(TargetDiskPageLogic, NextPlansTheWholeDisk)
{
    DiskWalk walk;
    walk.page.InitPage();
    ASSERT_TRUE(walk.page.OnNextClicked(0));
    EXPECT_EQ(1u, walk.wizard.info.nTargetDisk);
    EXPECT_EQ("_Proceed", walk.wizard.nextText);
    EXPECT_EQ(2u, walk.wizard.info.plannedLayout.size());
    EXPECT_EQ(0u, walk.wizard.info.bRelayout) << "a larger disk gets the source layout";
    EXPECT_EQ(static_cast<IManagerItem*>(&walk.disk), walk.wizard.info.pTargetItem);
    EXPECT_EQ(1u, walk.wizard.Count("OnNext"));
}

// A disk that passes the choice but whose cylinder-rounded plan would cut a partition
// below its data is refused on Next; nothing is planned.
TEST(TargetDiskPageLogic, APlanThatCannotHoldTheDataKeepsThePage)
{
    DiskWalk walk;
    const uint64_t justAbove =
        SourceVolumeFacts::PlannedMinimum(walk.ntfs) + SourceVolumeFacts::PlannedMinimum(walk.fat) + 1;
    FakeDisk tight{justAbove};
    DiskTasque tasque{tight};
    walk.wizard.info.pTasque = &tasque;
    walk.page.disks[0].record.TotalSectors = justAbove;
    walk.page.InitPage();
    ASSERT_TRUE(walk.wizard.nextEnabled);
    EXPECT_FALSE(walk.page.OnNextClicked(0));
    EXPECT_EQ(std::vector<std::string>{CTargetDiskPageLogic::kTooSmall}, walk.asked.texts);
    EXPECT_TRUE(walk.wizard.info.plannedLayout.empty());
    EXPECT_EQ(0u, walk.wizard.Count("OnNext"));
    EXPECT_FALSE(walk.wizard.nextEnabled);
}

TEST(TargetDiskPageLogic, BootRecordRestoreTakesTheDiskItem)
{
    DiskWalk walk;
    walk.wizard.info.bDiskRestore = 0;
    walk.wizard.info.bMbrOnly = 1;
    walk.wizard.info.SetVolumes({nullptr});
    walk.page.InitPage();
    walk.page.RowChanged(1);
    EXPECT_TRUE(walk.wizard.nextEnabled) << "the boot record fits any disk";
    ASSERT_TRUE(walk.page.OnNextClicked(1));
    EXPECT_EQ(2u, walk.wizard.info.nTargetDisk);
    EXPECT_EQ(static_cast<IManagerItem*>(&walk.disk), walk.wizard.info.pTargetItem);
    EXPECT_TRUE(walk.wizard.info.plannedLayout.empty());
}

struct PartitionWalk {
    CRecordingWizard wizard;
    FakeDisk disk{40 * kCyl};
    DiskTasque tasque{disk};
    Asked asked;
    CTargetPartitionPageLogic page{&wizard, asked.Box()};
    _KS_VOLUME ntfs = MakeVolume({KS_FS_NTFS, KS_VOLFLAG_PRIMARY, 0, 63, 8 * kCyl - 63, 30000, 8});

    PartitionWalk()
    {
        wizard.info.pTasque = &tasque;
        wizard.info.bTargetUsable = 1;
        wizard.info.SetVolumes({&ntfs});
        _KS_PARTITION_INFO record{};
        std::strcpy(record.VolumeLabel, "DATA");
        record.StartSector = 63;
        record.SectorCount = 10 * kCyl - 63;
        record.Primary = 1;
        record.PartitionType = 0x07;
        record.FileSystemType = 3;
        record.SectorsPerCluster = 8;
        tasque.partitions.push_back(record);
    }
};

TEST(TargetPartitionPageLogic, NextRecordsTheTarget)
{
    PartitionWalk walk;
    ASSERT_TRUE(walk.page.OnNextClicked(0, 0));
    const TagRestoreInfo& info = walk.wizard.info;
    EXPECT_EQ(uint32_t(RESTORE_PAGE_TARGET_PARTITION), info.nLastPage);
    EXPECT_EQ(0u, info.nTargetDisk);
    EXPECT_EQ(1u, info.bMakePrimary);
    EXPECT_EQ(63u, uint64_t(info.selectedTarget.FirstSector));
    EXPECT_EQ(10 * kCyl - 1, uint64_t(info.selectedTarget.LastSector));
    EXPECT_STREQ("DATA", info.selectedTarget.Name);
    EXPECT_EQ(63u, uint64_t(info.targetPartition.StartSector));
    EXPECT_EQ(1u, walk.wizard.Count("OnNext"));
}

TEST(TargetPartitionPageLogic, RiskyTargetsAskFirst)
{
    PartitionWalk locked;
    locked.tasque.partitions[0].Flags = KS_PART_FLAG_BOOT_A;
    EXPECT_FALSE(locked.page.OnNextClicked(0, 0));
    EXPECT_EQ(std::vector<std::string>{CTargetPartitionPageLogic::kCannotLock}, locked.asked.texts);
    EXPECT_EQ(0u, locked.wizard.info.nLastPage);

    PartitionWalk boot;
    boot.ntfs.Flags |= KS_VOLFLAG_PART_BIT2;
    boot.ntfs.PartitionStart = 2 * kCyl; // backed up from elsewhere on its disk
    boot.wizard.info.SetVolumes({&boot.ntfs});
    boot.asked.answer = 1; // No
    EXPECT_FALSE(boot.page.OnNextClicked(0, 0));
    EXPECT_EQ(std::vector<std::string>{CTargetPartitionPageLogic::kCannotBoot}, boot.asked.texts);
    boot.asked.answer = 0; // Yes
    EXPECT_TRUE(boot.page.OnNextClicked(0, 0));
}

TEST(TargetPartitionPageLogic, TheDiskRowIsRefused)
{
    PartitionWalk walk;
    walk.page.RowChanged(0, -1);
    EXPECT_FALSE(walk.wizard.nextEnabled);
    EXPECT_EQ(0u, walk.wizard.info.bTargetUsable);
    EXPECT_EQ(nullptr, walk.wizard.info.pTargetItem);
    EXPECT_FALSE(walk.page.OnNextClicked(0, -1));
}

} // namespace
