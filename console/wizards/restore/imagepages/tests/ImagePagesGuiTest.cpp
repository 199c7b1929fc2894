// The image pages inside the real frame under Xvfb, over a scripted command object
// and an in-memory device tree: what each page shows, saved as pictures.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <clocale>
#include <fstream>

#include "CAssignDriveLetterPage.h"
#include "CMemoryVessmar.h"
#include "CReadImageFilePartitionPage.h"
#include "CRestoreWizardDialog.h"
#include "CScriptedTasque.h"
#include "CSelectImageFilePage.h"
#include "CSelectRestoreModePage.h"
#include "EnvTestRoot.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"
#include "RecordingEnvCommandRunner.h"
#include "RestorePages.h"
#include "VessmarRescan.h"

namespace {

void Save(GtkWidget* window, const char* name)
{
    gui_wait::Settle(150);
    PixelSnapshot shot = PixelSnapshot::OfWidget(window);
    ASSERT_TRUE(shot.Valid());
    const std::string artifacts = RVD_ARTIFACTS_DIR;
    g_mkdir_with_parents(artifacts.c_str(), 0755);
    shot.SaveForInspection((artifacts + "/" + name).c_str());
}

_KS_VOLUME Volume(uint16_t number, uint8_t fs, uint8_t type, uint64_t start, uint64_t total, uint64_t used)
{
    _KS_VOLUME v{};
    v.Magic = 0x4D4C4F56;
    v.Size = 256;
    v.VolumeNumber = number;
    v.SectorsPerCluster = 8;
    v.PartitionNumber = number;
    v.Flags = KS_VOLFLAG_PRIMARY;
    v.FileSystem = fs;
    v.PartitionType = type;
    v.BytesPerSector = 512;
    v.PartitionStartLow = uint32_t(start);
    v.PartitionStart = start;
    v.StartLessHidden = start;
    v.TotalSectors = total;
    v.UsedSectors = used;
    v.HiddenPlusTotal = total;
    v.Heads = 255;
    v.SectorsPerTrack = 63;
    return v;
}

class ImagePagesGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        std::setlocale(LC_ALL, "C.UTF-8");
        image = root.Root() + "/mnt/P1/sets/set.rvd";
        root.Write("/mnt/P1/sets/set.rvd", std::string(512 * 1024, 'x'));
        root.Write("/mnt/volinfo", "/dev/sda1 " + root.Root() + "/mnt/P1\n");
        _KS_VERSION version{};
        tasque->versions = {version};
        tasque->volumes = {Volume(0, KS_FS_FAT16, 0x06, 63, 200000, 50000),
                           Volume(1, KS_FS_NTFS, 0x07, 200060, 400000, 120000)};
        tasque->comment = u"Weekly set of the office machine";
        disk = tree.AddDisk(4000000);
        free = disk->AddFree(63, 3999999);
        tasque->UseTree(&tree);
        CMemoryVessmar::SetCurrent(&tree);
        SetVessmarOpener(&CMemoryVessmar::OpenCurrent);
    }
    void TearDown() override
    {
        SetVessmarOpener(nullptr);
        CMemoryVessmar::SetCurrent(nullptr);
        delete tasque;
        GuiTest::TearDown();
    }

    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    CMemoryVessmar tree;
    CMemoryDisk* disk = nullptr;
    CMemoryPartition* free = nullptr;
    CScriptedTasque* tasque = new CScriptedTasque();
    std::string image;
};

} // namespace

TEST_F(ImagePagesGuiTest, EachImagePageShowsItsChoicesInsideTheWizard)
{
    auto* wizard = new CRestoreWizardDialog(nullptr, tasque, MakeRestorePage);
    ModalDialogAnswerer answerer(
        [&](GtkDialog*) {
            auto* imagePage = static_cast<CSelectImageFilePage*>(wizard->GetPageObject(RESTORE_PAGE_IMAGE));
            // The path as the file name entry takes it.
            gtk_entry_set_text(GTK_ENTRY(imagePage->GetFileNameEntry()), image.c_str());
            gui_wait::Settle();
            EXPECT_EQ(imagePage->Logic().GetState(), CImageSelectionLogic::State::Open);
            EXPECT_STREQ(wizard->GetParam()->szImagePath, image.c_str());
            EXPECT_TRUE(GTK_WIDGET_IS_SENSITIVE(wizard->GetNextButton()));
            EXPECT_NE(std::string(gtk_label_get_text(GTK_LABEL(imagePage->GetDateSizeLabel()))).find("0.50MB"),
                      std::string::npos);
            EXPECT_FALSE(GTK_WIDGET_VISIBLE(imagePage->GetHasPasswordBox()));
            Save(wizard->GetDlg(), "restore-image-page.png");

            gui_events::Click(wizard->GetNextButton());
            gui_wait::Settle();
            EXPECT_EQ(wizard->GetCurrentPage(), RESTORE_PAGE_IMAGE_PARTITION);
            auto* partPage =
                static_cast<CReadImageFilePartitionPage*>(wizard->GetPageObject(RESTORE_PAGE_IMAGE_PARTITION));
            ASSERT_NE(partPage->GetList(), nullptr);
            EXPECT_FALSE(GTK_WIDGET_IS_SENSITIVE(wizard->GetNextButton()));
            EXPECT_TRUE(GTK_WIDGET_IS_SENSITIVE(partPage->GetSectorBox()));
            Save(wizard->GetDlg(), "restore-image-partition-page.png");

            // The mode page as the target partition page leaves the record.
            TagRestoreInfo* info = wizard->GetParam();
            info->SetVolumes({&tasque->volumes[1]});
            info->pTargetItem = free;
            info->targetPartition.StartSector = 63;
            info->targetPartition.SectorCount = 4000000 - 63;
            info->nLastPage = RESTORE_PAGE_TARGET_PARTITION;
            disk->checkFlags = CHECK_ITEM_PRIMARY_POSSIBLE;
            wizard->SetCurrentPage(RESTORE_PAGE_RESTORE_MODE);
            gui_wait::Settle();
            auto* modePage = static_cast<CSelectRestoreModePage*>(wizard->GetPageObject(RESTORE_PAGE_RESTORE_MODE));
            EXPECT_FALSE(GTK_WIDGET_IS_SENSITIVE(modePage->GetRadio(RestoreKind::Logical)));
            EXPECT_EQ(modePage->Kind(), RestoreKind::Primary);
            Save(wizard->GetDlg(), "restore-mode-page.png");

            wizard->SetCurrentPage(RESTORE_PAGE_DRIVE_LETTER);
            gui_wait::Settle();
            auto* letterPage =
                static_cast<CAssignDriveLetterPage*>(wizard->GetPageObject(RESTORE_PAGE_DRIVE_LETTER));
            EXPECT_FALSE(GTK_WIDGET_IS_SENSITIVE(letterPage->GetYes()));
            EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(letterPage->GetNo())));
            Save(wizard->GetDlg(), "restore-drive-letter-page.png");
            // What the page leaves on Next (the pages after it read and change the record).
            EXPECT_EQ(letterPage->UpDate(), 0);
            gui_wait::Settle();
            EXPECT_EQ(info->newPartition.DriveLetter, ' ');
            EXPECT_FALSE(GTK_WIDGET_VISIBLE(wizard->GetHeadBox()));

            gui_events::Focus(wizard->GetDlg());
            gui_events::TapKey(GDK_Escape);
            gui_wait::Settle();
        },
        30000);
    wizard->SetCurrentPage(0);
    wizard->RunDlg();
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(answerer.TimedOut());
    // Built with the first page: the environment's mount script.
    ASSERT_FALSE(runner.runs.empty());
    EXPECT_EQ(runner.runs.front(), (std::vector<std::string>{root.Root() + "/mnt/mwp"}));
    EXPECT_EQ(tree.refreshes, 1);
}

TEST_F(ImagePagesGuiTest, AProtectedImageAsksForItsPasswordFirst)
{
    tasque->passwordProtected = true;
    tasque->password = L"secret";
    auto* wizard = new CRestoreWizardDialog(nullptr, tasque, MakeRestorePage);
    ModalDialogAnswerer answerer(
        [&](GtkDialog*) {
            auto* page = static_cast<CSelectImageFilePage*>(wizard->GetPageObject(RESTORE_PAGE_IMAGE));
            gtk_entry_set_text(GTK_ENTRY(page->GetFileNameEntry()), image.c_str());
            gui_wait::Settle();
            EXPECT_TRUE(GTK_WIDGET_VISIBLE(page->GetHasPasswordBox()));
            EXPECT_FALSE(GTK_WIDGET_VISIBLE(page->GetNoPasswordBox()));
            EXPECT_FALSE(GTK_WIDGET_IS_SENSITIVE(wizard->GetNextButton()));
            Save(wizard->GetDlg(), "restore-image-page-password.png");
            gtk_entry_set_text(GTK_ENTRY(page->GetPasswordEntry()), "secret");
            gui_events::Click(page->GetConfirmButton());
            gui_wait::Settle();
            EXPECT_EQ(page->Logic().GetState(), CImageSelectionLogic::State::Open);
            EXPECT_TRUE(GTK_WIDGET_VISIBLE(page->GetNoPasswordBox()));
            EXPECT_TRUE(GTK_WIDGET_IS_SENSITIVE(wizard->GetNextButton()));
            gui_events::Click(wizard->GetCancelButton());
            gui_wait::Settle();
        },
        30000);
    wizard->SetCurrentPage(0);
    wizard->RunDlg();
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(answerer.TimedOut());
}
