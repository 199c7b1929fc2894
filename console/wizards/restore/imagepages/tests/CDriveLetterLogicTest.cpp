#include <gtest/gtest.h>

#include "CDriveLetterLogic.h"
#include "CRecordingWizard.h"
#include "RestorePagePosition.h"

TEST(DriveLetterLogicTest, PassingThroughAlwaysLeavesABlankInBothLetterFields)
{
    _KS_VOLUME ntfs{};
    ntfs.FileSystem = KS_FS_NTFS;
    ntfs.PartitionType = 0x07;
    for (bool yes : {false, true}) {
        CRecordingWizard wizard;
        wizard.currentPage = RESTORE_PAGE_DRIVE_LETTER;
        wizard.info.SetVolumes({&ntfs});
        wizard.info.targetPartition.DriveLetter = 'E';
        wizard.info.newPartition.DriveLetter = 'E';
        CDriveLetterLogic logic(wizard);
        wizard.nextText = "_Proceed";
        const DriveLetterChoices choices = logic.InitPage();
        EXPECT_FALSE(choices.yesSensitive);
        EXPECT_FALSE(choices.yesSelected);
        EXPECT_FALSE(choices.listSensitive);
        EXPECT_EQ(wizard.nextText, "_Next>");
        // The list offers no letter, so even Yes gives none.
        EXPECT_TRUE(CDriveLetterLogic::InitDriveLetter().empty());
        logic.OnNextClicked(yes, "");
        EXPECT_EQ(wizard.info.targetPartition.DriveLetter, ' ');
        EXPECT_EQ(wizard.info.newPartition.DriveLetter, ' ');
        EXPECT_EQ(wizard.info.nLastPage, uint32_t(RESTORE_PAGE_DRIVE_LETTER));
        EXPECT_EQ(wizard.currentPage, RESTORE_PAGE_TARGET_DISK);
    }
}

TEST(DriveLetterLogicTest, AVolumeOfAnotherFileSystemNeverGetsALetter)
{
    _KS_VOLUME other{};
    other.FileSystem = KS_FS_OTHER;
    other.PartitionType = 0x83;
    _KS_VOLUME fat{};
    fat.FileSystem = KS_FS_FAT32;
    fat.PartitionType = 0x0C;
    CRecordingWizard wizard;
    CDriveLetterLogic logic(wizard);
    wizard.info.SetVolumes({&other});
    logic.UpDate(true, "F:");
    EXPECT_EQ(wizard.info.newPartition.DriveLetter, ' ');
    wizard.info.SetVolumes({&fat});
    logic.UpDate(true, "F:");
    EXPECT_EQ(wizard.info.newPartition.DriveLetter, 'F');
    EXPECT_EQ(wizard.info.targetPartition.DriveLetter, 'F');
}
