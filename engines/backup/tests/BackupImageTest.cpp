// Backups of real NTFS, FAT32, FAT16 (logical) and FAT12 partitions, read back
// through the container.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "KSResult.h"
#include "SetChecks.h"

TEST(BackupImage, FourFileSystemsBackUpAndReadBack)
{
    const BackupDisk& disk = BackupDisk::Get();
    ASSERT_FALSE(disk.Path().empty());
    const std::string folder = MakeWorkFolder("four");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.partitions = {disk.ntfs.index, disk.fat32.index, disk.fat16.index, disk.fat12.index};
    const BackupOutcome outcome = RunBackup(request);
    EXPECT_EQ(0u, outcome.executeResult);
    EXPECT_EQ(KS_BACKUP_STATE_FINISHED, outcome.last.State);
    EXPECT_EQ(0u, outcome.last.Result);
    EXPECT_EQ(100u, outcome.last.OverallPercent);
    EXPECT_EQ(KS_PROGRESS_TAG_BACKUP, outcome.last.Tag);
    EXPECT_EQ(4u, outcome.last.ItemCount);
    EXPECT_EQ(outcome.last.TotalBytes != 0, true);

    const std::vector<std::string> files = FilesIn(folder);
    ASSERT_EQ(1u, files.size());
    std::unique_ptr<IKSCofran, CofranDeleter> set(OpenSet(Wide(folder + "/" + files[0]), L""));
    std::unique_ptr<IKSCofran, CofranDeleter> sequential(
        OpenSet(Wide(folder + "/" + files[0]), L"", KS_OPEN_SEQUENTIAL));
    ASSERT_TRUE(set && sequential);
    _KS_IMG_FILE_INFO info{};
    ASSERT_EQ(0u, set->GetCofranInfo(&info));
    ASSERT_EQ(4u, info.VolumeCount);
    _KS_VOLUME volumes[4];
    ASSERT_EQ(0u, set->GetVolumes(volumes, 4));
    CheckVolume(set.get(), {sequential.get()}, volumes[0], disk.ntfs, KS_FS_NTFS, 0x07, true);
    CheckVolume(set.get(), {sequential.get()}, volumes[1], disk.fat32, KS_FS_FAT32, 0x0C, true);
    CheckVolume(set.get(), {sequential.get()}, volumes[2], disk.fat16, KS_FS_FAT16, 0x06, true);
    CheckVolume(set.get(), {sequential.get()}, volumes[3], disk.fat12, KS_FS_FAT12, 0x01, false);
    EXPECT_EQ(KS_VOLFLAG_ACTIVE | KS_VOLFLAG_PRIMARY, volumes[0].Flags & (KS_VOLFLAG_ACTIVE | KS_VOLFLAG_PRIMARY));
    EXPECT_EQ(0, volumes[2].Flags & KS_VOLFLAG_PRIMARY);
    // Boot-list ordinals: the primaries in table order, then the logical FAT16.
    const uint32_t ordinals[4] = {1, 2, 4, 3};
    const char* labels[4] = {"BKNTFS", "BKFAT32", "BKFAT16", "BKFAT12"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ordinals[i] << 16, volumes[i].ArcNumbers) << i;
        const std::u16string label(volumes[i].Label);
        EXPECT_EQ(std::u16string(labels[i], labels[i] + std::char_traits<char>::length(labels[i])), label) << i;
    }
}
