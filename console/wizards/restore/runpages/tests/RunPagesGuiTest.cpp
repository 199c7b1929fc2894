// The summary and progress pages under Xvfb: real clicks on the wizard's buttons,
// the result box answered on screen, the bars read back; each page saved as a
// picture in the build tree's artifacts.
#include <gtest/gtest.h>

#include <algorithm>

#include "CDisplayInfoPage.h"
#include "CFinishProcessPage.h"
#include "CProgressBar.h"
#include "CRecordingWizard.h"
#include "DiskTasque.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"
#include "vessmar/IPartitionTableChainWriter.h"

namespace {

constexpr uint64_t kCylinderSectors = 255 * 63;

// An in-memory disk whose table chain can be written (and counts the writes).
class WritableDisk : public FakeDisk, public IPartitionTableChainWriter {
public:
    using FakeDisk::FakeDisk;
    int writes = 0;
    IObject* GetInterface(const char* key) override
    {
        if (IsKey<IPartitionTableChainWriter>(key))
            return static_cast<IPartitionTableChainWriter*>(this);
        return FakeDisk::GetInterface(key);
    }
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long Write() override
    {
        ++writes;
        return 0;
    }
};

void SaveArtifact(GtkWidget* widget, const char* name)
{
    PixelSnapshot shot = PixelSnapshot::OfWidget(widget);
    ASSERT_TRUE(shot.Valid());
    const std::string folder = RVD_ARTIFACTS_DIR;
    g_mkdir_with_parents(folder.c_str(), 0755);
    shot.SaveForInspection((folder + "/" + name).c_str());
}

class RunPagesGui : public GuiTest {
protected:
    CRecordingWizard wizard;
    WritableDisk disk{100 * kCylinderSectors};
    DiskTasque tasque{disk};
    _KS_VOLUME volume{};
    GtkWidget* window = nullptr;

    void SetUp() override
    {
        GuiTest::SetUp();
        volume.FileSystem = KS_FS_NTFS;
        volume.Flags = KS_VOLFLAG_PRIMARY;
        volume.TotalSectors = 4 * kCylinderSectors - 63;
        volume.UsedSectors = 30000;
        volume.HiddenPlusTotal = 4 * kCylinderSectors;
        volume.PartitionStart = volume.PartitionStartLow = 63;
        volume.PartitionType = 0x07;
        volume.SectorsPerTrack = 63;
        FakePartitionData made;
        made.start = 2 * kCylinderSectors;
        made.count = 4 * kCylinderSectors;
        made.type = 0x07;
        disk.Add(made);
        TagRestoreInfo& info = wizard.info;
        info.pTasque = &tasque;
        info.bMakePrimary = 1;
        info.SetVolumes({&volume});
        info.SetImagePath("/mnt/P2/images/source.rvd");
        info.targetPartition.StartSector = 2 * kCylinderSectors;
        info.targetPartition.SectorCount = 4 * kCylinderSectors;
        info.llNewPartitionStart = 2 * kCylinderSectors;
        info.llNewPartitionSectors = 4 * kCylinderSectors;
        info.newPartition.FileSystem = 3;
        info.newPartition.FirstSector = 2 * kCylinderSectors;
        info.newPartition.LastSector = 6 * kCylinderSectors - 1;
        info.newPartition.Primary = 1;
        info.newPartition.DriveLetter = '*';
        info.pTargetItem = &disk;
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 640, 430);
    }
    void TearDown() override
    {
        if (window != nullptr)
            gtk_widget_destroy(window);
        GuiTest::TearDown();
    }
    void Progress(uint32_t state, uint32_t total, uint32_t item)
    {
        _KS_PROGRESS_INFO p{};
        p.State = state;
        p.ItemCount = 1;
        p.OverallPercent = total;
        p.ItemPercent = item;
        tasque.timeline.push_back(p);
    }
};

TEST_F(RunPagesGui, SummaryShowsThePlannedRestore)
{
    CDisplayInfoPage page(&wizard);
    gtk_container_add(GTK_CONTAINER(window), page.GetPage());
    page.InitPage();
    ASSERT_TRUE(ShowAndSettle(window));
    const std::string text = page.Summary().Text();
    EXPECT_NE(std::string::npos, text.find(" Restore partition")) << text;
    EXPECT_NE(std::string::npos, text.find("     Drive letter:  *")) << text;
    EXPECT_EQ("_Proceed", wizard.nextText);
    SaveArtifact(window, "restore-summary-page.png");
}

TEST_F(RunPagesGui, ProgressPageRunsToTheResultBox)
{
    Progress(RESTORE_STATE_RUNNING, 50, 25);
    Progress(RESTORE_STATE_FINISH, 100, 100);
    CFinishProcessPage page(&wizard);
    gtk_container_add(GTK_CONTAINER(window), page.GetPage());
    ASSERT_TRUE(ShowAndSettle(window));
    ModalDialogAnswerer answer([](GtkDialog* dialog) {
        PixelSnapshot shot = PixelSnapshot::OfWidget(GTK_WIDGET(dialog));
        const std::string folder = RVD_ARTIFACTS_DIR;
        g_mkdir_with_parents(folder.c_str(), 0755);
        shot.SaveForInspection((folder + "/restore-result-box.png").c_str());
        ModalDialogAnswerer::ClickResponse(0)(dialog);
    });
    page.InitPage();
    EXPECT_EQ(1, disk.writes) << "the table chain is written once, before the run";
    EXPECT_EQ(1, tasque.executes);
    ASSERT_TRUE(gui_wait::Until([&] { return !page.Polling(); }, 10000));
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ("Succeed", answer.Title());
    EXPECT_DOUBLE_EQ(1.0, page.TotalBar()->GetPos());
    EXPECT_TRUE(wizard.nextEnabled);
    EXPECT_FALSE(wizard.cancelEnabled);
    gui_wait::Settle();
    SaveArtifact(window, "restore-progress-page.png");
}

TEST_F(RunPagesGui, AFailedPreparationShowsTheErrorAndWritesNothing)
{
    tasque.failing = "FindPartition";
    CFinishProcessPage page(&wizard);
    gtk_container_add(GTK_CONTAINER(window), page.GetPage());
    ASSERT_TRUE(ShowAndSettle(window));
    ModalDialogAnswerer answer(ModalDialogAnswerer::ClickResponse(0));
    page.InitPage();
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ("Error", answer.Title());
    EXPECT_EQ(0, disk.writes);
    EXPECT_EQ(0, tasque.executes);
    EXPECT_FALSE(page.Polling());
}

TEST_F(RunPagesGui, CancelAskedAndTheWizardClosesOnceTheEngineStopped)
{
    Progress(RESTORE_STATE_RUNNING, 10, 10);
    CFinishProcessPage page(&wizard);
    gtk_container_add(GTK_CONTAINER(window), page.GetPage());
    ASSERT_TRUE(ShowAndSettle(window));
    page.InitPage();
    {
        ModalDialogAnswerer yes(ModalDialogAnswerer::ClickResponse(0));
        page.OnQuitClicked();
        EXPECT_EQ("Cancel operation", yes.Title());
    }
    EXPECT_EQ(1, std::count(tasque.calls.begin(), tasque.calls.end(), "RestoreUserCancel"));
    EXPECT_FALSE(wizard.cancelEnabled);
    gui_wait::Settle(300, 600);
    EXPECT_EQ(0u, wizard.Count("DestoryDlg")) << "the engine still runs";
    tasque.timeline.clear();
    Progress(RESTORE_STATE_USER_CANCEL, 10, 10);
    ASSERT_TRUE(gui_wait::Until([&] { return !page.Polling(); }, 5000));
    EXPECT_EQ(1u, wizard.Count("DestoryDlg"));
}

} // namespace
