// The restore wizard on screen over the real command channel and device manager:
// the earlier pages' choices in the record and their edit in the device manager's
// memory (the target's partition deleted), the summary page shown, and Cancel
// pressed (its Escape key). The wizard ends without a run, the edit is dropped, and every disk
// image and every file of the set stays byte for byte as it was.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <cstring>

#include "CRestoreWizardDialog.h"
#include "ChannelFixture.h"
#include "CommandOutput.h"
#include "EnvTestRoot.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "KSResult.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"
#include "RecordingEnvCommandRunner.h"
#include "RestorePages.h"
#include "SourceVolumeFacts.h"
#include "TagRestoreInfo.h"
#include "VessmarRescan.h"
#include "WalkSupport.h"
#include "MomPtr.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IVessmarModule.h"

namespace {

std::string FilesMd5(const std::vector<std::string>& paths)
{
    std::string all;
    for (const std::string& p : paths)
        all += CommandOutput("md5sum < '" + p + "'");
    return all;
}

// The device manager the command channel uses: the test's working folder has a bin/
// of its own, so the module is named by its file.
IVessmarModule* OpenChannelVessmar()
{
    IModule* root = OpenModuleFromFile(VESSMAR_MODULE_FILE);
    return root != nullptr ? root->GetInterfaceT<IVessmarModule>("IVessmarModule") : nullptr;
}

class SummaryCancelWalk : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        SetVessmarOpener(&OpenChannelVessmar);
    }
    void TearDown() override
    {
        SetVessmarOpener(nullptr);
        GuiTest::TearDown();
    }

    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
};

} // namespace

TEST_F(SummaryCancelWalk, CancelOnTheSummaryPageLeavesEveryDiskImageAsItWas)
{
    const ImageSet set = BackUpFixture("walk-summary-set");
    const std::string target = MakeRestoreTarget(set.folder);
    const BackupDisk& disk = BackupDisk::Get();
    std::vector<std::string> images = {disk.Path(), target};
    for (const std::string& f : set.files)
        images.push_back(set.folder + "/" + f);
    const std::string before = FilesMd5(images);

    ITasque* tasque = CreateTasqueObj();
    ASSERT_NE(nullptr, tasque);
    auto* wizard = new CRestoreWizardDialog(nullptr, tasque, MakeRestorePage);
    TagRestoreInfo& info = *wizard->GetParam();
    OpenedSet opened = OpenSetForRestore(*tasque, set.firstFile);
    const _KS_VOLUME* ntfs = nullptr;
    for (const _KS_VOLUME& v : opened.volumes)
        if (v.PartitionStart == disk.ntfs.start)
            ntfs = &v;
    ASSERT_NE(nullptr, ntfs);
    const std::string path(set.firstFile.begin(), set.firstFile.end());
    ASSERT_TRUE(info.SetImagePath(path.c_str()));
    info.SetVolumes({ntfs});
    info.nTargetDisk = 1;
    info.bMakeActive = 1;
    info.targetPartition.StartSector = disk.ntfs.start;
    info.targetPartition.SectorCount = disk.ntfs.sectors;
    info.newPartition.FileSystem = SourceVolumeFacts::Kind(*ntfs);
    info.newPartition.FirstSector = disk.ntfs.start;
    info.newPartition.LastSector = disk.ntfs.start + disk.ntfs.sectors - 1;
    info.newPartition.Primary = 1;
    info.newPartition.DriveLetter = ' ';
    // The restore mode page's edit: the target partition gives way, in memory only.
    ASSERT_EQ(0u, tasque->DeletePartition(1, disk.ntfs.start, disk.ntfs.sectors));
    IManagerItem* gone = nullptr;
    const unsigned long goneCode = tasque->FindPartition(1, disk.ntfs.start, disk.ntfs.sectors, &gone);
    EXPECT_TRUE(KSResultKind(goneCode) != 0 || gone == nullptr) << std::hex << goneCode;

    bool onSummary = false;
    ModalDialogAnswerer answerer(
        [&](GtkDialog*) {
            wizard->SetCurrentPage(RESTORE_PAGE_SUMMARY);
            gui_wait::Settle();
            onSummary = wizard->GetCurrentPage() == RESTORE_PAGE_SUMMARY;
            PixelSnapshot shot = PixelSnapshot::OfWidget(wizard->GetDlg());
            if (shot.Valid()) {
                const std::string folder = RVD_ARTIFACTS_DIR;
                g_mkdir_with_parents(folder.c_str(), 0755);
                shot.SaveForInspection((folder + "/restore-summary-page-walk.png").c_str());
            }
            // Escape is the Cancel button's key; the button row lies below the
            // screen's bottom edge of the test display.
            gui_events::Focus(wizard->GetDlg());
            gui_events::TapKey(GDK_Escape);
            gui_wait::Settle();
        },
        30000);
    const int liveBefore = CRestoreWizardDialog::LiveCount();
    wizard->RunDlg(); // deletes the wizard and releases its command object
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(answerer.TimedOut());
    EXPECT_TRUE(onSummary);
    EXPECT_EQ(liveBefore - 1, CRestoreWizardDialog::LiveCount());

    EXPECT_EQ(before, FilesMd5(images));
    // The device manager's deletion went with the wizard: the partition is found again.
    Tasque fresh = NewTasque();
    IManagerItem* found = nullptr;
    const unsigned long foundCode = fresh->FindPartition(1, disk.ntfs.start, disk.ntfs.sectors, &found);
    EXPECT_EQ(0u, KSResultKind(foundCode)) << std::hex << foundCode;
    EXPECT_NE(nullptr, found);
}
