// A restored Vista-style system through the console as a user meets it: the FAT32
// system volume of the restored-system fixture, backed up by the backup engine, is
// restored with the wizard opened from the launcher (real clicks and keys under Xvfb)
// onto a partition of another disk, with another signature, at another offset. The
// volume's BCD store, read back with mtype and judged with hivexget and
// hivexregedit, then names the target disk and the partition's new place, and
// nothing else in it changed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CLogWriter.h"
#include "COperationLauncher.h"
#include "CDeviceList.h"
#include "CEditPartitionPage.h"
#include "CReadImageFilePartitionPage.h"
#include "CRestoreVolListCtrl.h"
#include "CRestoreWizardDialog.h"
#include "CSelectImageFilePage.h"
#include "CSelectRestoreModePage.h"
#include "ChannelFixture.h"
#include "CloneGuiDriver.h"
#include "CommandOutput.h"
#include "DLG_RESULT.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "LauncherWalkSteps.h"
#include "ListedPartitions.h"
#include "WalkSupport.h"
#include "restore/BcdStoreCheck.h"
#include "restore/WindowsSystemDisk.h"

namespace {

using namespace launcher_walk;

constexpr uint32_t kBcdWalkTargetSignature = 0x7A7A0003;
// The target's FAT32 partition, of the system volume's size, well past its old place.
constexpr uint64_t kBcdWalkTargetStart = 40960;

class RestoreLauncherBcdWalk : public LauncherWalkTest {
protected:
    static void TearDownTestSuite()
    {
        // The other walks of this program name their own disks; the backup fixture is
        // disk 0 again for the suites that list it without naming it.
        NameDisks({BackupDisk::Get().Path()});
        LauncherWalkTest::TearDownTestSuite();
    }
};

} // namespace

// The store's boot manager and loader name the target disk's signature and the new
// byte offset; the loader of another disk and every other value stay as they were.
TEST_F(RestoreLauncherBcdWalk, ARestoredSystemVolumesStoreNamesItsNewPlace)
{
    const std::string fixture = MakeWindowsSystemDisk();
    const std::string folder = MakeWorkFolder("restore-launcher-bcd-walk");
    const std::string target = folder + "/target.img";
    std::ofstream(folder + "/table") << "label: dos\nlabel-id: 0x7A7A0003\nunit: sectors\n"
                                        "1 : start=40960, size=69632, type=c\n";
    ASSERT_EQ(0, std::system(("truncate -s 96M '" + target + "' && sfdisk --quiet '" + target + "' <'" + folder +
                              "/table' >/dev/null 2>&1 && mkfs.fat -F 32 --offset=40960 '" + target +
                              "' 34816 >/dev/null")
                                 .c_str()));
    NameDisks({fixture, target});

    BackupRequest request;
    request.imagePath = Wide(folder + "/set/set.rvd");
    ASSERT_EQ(0, std::system(("mkdir -p '" + folder + "/set'").c_str()));
    request.partitions = {ListedPartitionAt(0, kSystemFat32.start)};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder + "/set");
    ASSERT_FALSE(files.empty());
    const std::string setFile = folder + "/set/" + files[0];

    std::vector<std::string> warnings;
    std::string resultTitle, resultText;
    bool madeActive = false;
    std::vector<CloneGuiStep> steps = {
        {"image page", [] { return On(RESTORE_PAGE_IMAGE) && GTK_WIDGET_MAPPED(W()->GetDlg()); },
         [&] {
             auto* page = static_cast<CSelectImageFilePage*>(W()->GetPageObject(RESTORE_PAGE_IMAGE));
             gtk_entry_set_text(GTK_ENTRY(page->GetFileNameEntry()), setFile.c_str());
         }},
        {"next to the volumes", [] { return Sensitive(Next()); }, [] { PressNext(); }},
        {"volume row", [] { return On(RESTORE_PAGE_IMAGE_PARTITION) && Found(VolumeRow(kSystemFat32.start)); },
         [] {
             GtkTreePath* row = VolumeRow(kSystemFat32.start);
             ClickRow(VolumePage()->GetList()->GetTreeView(), row);
             gtk_tree_path_free(row);
         }},
        {"next to the target", [] { return Sensitive(Next()); }, [] { PressNext(); }},
        {"target row", [] { return On(RESTORE_PAGE_TARGET_PARTITION) && Found(TargetRow(1, kBcdWalkTargetStart)); },
         [] {
             GtkTreePath* row = TargetRow(1, kBcdWalkTargetStart);
             SelectRow(TargetList()->GetDeviceListWidget(), row);
             gtk_tree_path_free(row);
         }},
        {"next to the mode", [] { return Sensitive(Next()); }, [] { PressNext(); }},
        // A system volume restored elsewhere may ask first; Yes goes on.
        {"boot question or mode page", [] { return VisibleDialog("Warning") != nullptr || On(RESTORE_PAGE_RESTORE_MODE); },
         [&] {
             if (GtkWidget* box = VisibleDialog("Warning")) {
                 warnings.push_back(MessageText(box));
                 ClickDialogResponse(box, DLG_RESULT_OK);
             }
         }},
        // The restored system is to start: its partition is made the active one.
        {"active partition", [] { return On(RESTORE_PAGE_RESTORE_MODE) && Sensitive(Next()); },
         [&] {
             auto* page = static_cast<CSelectRestoreModePage*>(W()->GetPageObject(RESTORE_PAGE_RESTORE_MODE));
             gui_events::Click(page->GetRadio(RestoreKind::Active));
             gui_wait::Settle(50);
             madeActive = page->Kind() == RestoreKind::Active;
             PressNext();
         }},
        {"edit page",
         [] { return On(RESTORE_PAGE_EDIT_PARTITION) && GTK_WIDGET_MAPPED(EditPage()->Spin(1)->GetSpinWidget()); },
         [] { PressNext(); }},
        {"drive letter page", [] { return On(RESTORE_PAGE_DRIVE_LETTER) && Sensitive(Next()); }, [] { PressNext(); }},
        {"summary", [] { return On(RESTORE_PAGE_SUMMARY) && Sensitive(Next()); }, [] { PressNext(); }},
        {"result box", [] { return VisibleDialog("Succeed") != nullptr || VisibleDialog("Error") != nullptr; },
         [&] {
             const bool failed = VisibleDialog("Error") != nullptr;
             GtkWidget* box = VisibleDialog(failed ? "Error" : "Succeed");
             resultTitle = failed ? "Error" : "Succeed";
             resultText = MessageText(box);
             ClickDialogResponse(box, DLG_RESULT_OK);
         }},
        {"finish", [] { return On(RESTORE_PAGE_PROGRESS) && Sensitive(Next()) && VisibleDialog("Succeed") == nullptr; },
         [] { PressNext(); }},
    };
    CLogWriter::StartCapture();
    CloneGuiDriver driver(std::move(steps), 60000);
    COperationLauncher::Instance().StartRestore(window);
    std::string log;
    if (!driver.Stuck().empty())
        for (const std::string& line : CLogWriter::Captured())
            log += line + "\n";
    ASSERT_EQ("", driver.Stuck()) << log;
    EXPECT_EQ(nullptr, W()) << "the wizard ended its own life";
    ASSERT_EQ("Succeed", resultTitle) << resultText;
    EXPECT_TRUE(madeActive) << "the active kind was chosen";
    for (const std::string& warning : warnings)
        EXPECT_NE(std::string::npos, warning.find("cannot ensure boot")) << warning;

    // The restored partition: wherever the wizard laid it out on the target, the store
    // must name that place, which is not the volume's old one.
    const std::vector<TableRow> after = TableOf(target);
    ASSERT_EQ(1u, after.size()) << Sh("sfdisk --dump '" + target + "'");
    const TableRow& made = after[0];
    EXPECT_NE(kSystemFat32.start, made.start);
    EXPECT_GE(made.size, kSystemFat32.sectors);
    EXPECT_TRUE(made.bootable);
    ExpectBcdStoreMoved(BcdStoreOn(fixture, kSystemFat32.start, kSystemFat32.sectors, false, folder),
                        BcdStoreOn(target, made.start, made.size, false, folder), kFixtureSignature,
                        kSystemFat32.start, kBcdWalkTargetSignature, made.start, folder);
    // The fix-ups rewrite boot.ini and the hives too: the volume is judged whole here.
    const std::string restored = CutSectors(target, made.start, made.size, folder + "/restored.vol");
    EXPECT_EQ(0, std::system(("fsck.fat -n '" + restored + "' >/dev/null 2>&1").c_str()))
        << Sh("fsck.fat -n '" + restored + "' 2>&1");
}
