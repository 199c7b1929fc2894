// The restore wizard opened from the console's launcher, as a new user meets it: the
// device scan, then the pages walked with real clicks and keys under Xvfb over the
// real command channel, device manager and restore engine, restoring volumes of a
// set the backup engine wrote onto a disk image made by sfdisk, mkfs.fat and mkntfs.
// The set's path is put into the file name entry (the user cannot type there; the
// browser fills it). The results are judged by fsck.fat, ntfsfix, mtools, ntfscat and
// sfdisk.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "CDeviceList.h"
#include "CEditPartitionPage.h"
#include "COperationLauncher.h"
#include "CReadImageFilePartitionPage.h"
#include "CRestoreVolListCtrl.h"
#include "CLogWriter.h"
#include "CRestoreWizardDialog.h"
#include "CSelectImageFilePage.h"
#include "CSelectTargetPartitionPage.h"
#include "CSpinBtn.h"
#include "ChannelFixture.h"
#include "CloneGuiDriver.h"
#include "BackupRunner.h"
#include "CommandOutput.h"
#include "FixtureImage.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "DLG_RESULT.h"
#include "ITasque.h"
#include "WalkSupport.h"

namespace {

using namespace launcher_walk;

struct Walk {
    std::string setFile;
    uint64_t sourceStart = 0; // the stored volume, by its partition's first sector
    uint64_t targetAt = 0;    // the target row: a partition's first sector or inside free space
    std::string typedMB;      // the size typed on the edit page; empty keeps it
};

struct WalkResult {
    std::vector<std::string> refusals; // warning boxes met on the way
    std::string resultTitle, resultText;
    double sizeShown = 0; // the edit page's size after typing, in MB
    std::string stuck;
    std::string log; // the console's log of a walk that stopped short
};

class RestoreLauncherWalk : public LauncherWalkTest {
protected:
    static void SetUpTestSuite()
    {
        LauncherWalkTest::SetUpTestSuite();
        set_ = new ImageSet(BackUpFixture("restore-launcher-walk-set"));
        // A set of the fixture's FAT16 volume alone: large enough beside what it uses to
        // be restored smaller by more than a cylinder.
        fat16Set_ = new ImageSet;
        fat16Set_->folder = MakeWorkFolder("restore-launcher-walk-fat16");
        BackupRequest request;
        request.imagePath = Wide(fat16Set_->folder + "/set.rvd");
        request.partitions = {BackupDisk::Get().fat16.index};
        EXPECT_EQ(0u, RunBackup(request).last.Result);
        fat16Set_->files = FilesIn(fat16Set_->folder);
        ASSERT_FALSE(fat16Set_->files.empty());
        fat16Set_->firstFile = Wide(fat16Set_->folder + "/" + fat16Set_->files[0]);
    }
    static void TearDownTestSuite()
    {
        delete set_;
        delete fat16Set_;
        set_ = fat16Set_ = nullptr;
        LauncherWalkTest::TearDownTestSuite();
    }


    // A fresh target disk in its own folder: a copy of the walk's target fixture, or
    // an empty image; named as disk 1 beside the backup fixture disk.
    std::string Target(const std::string& name, bool empty)
    {
        const std::string folder = MakeWorkFolder(name);
        const std::string target = folder + "/target.img";
        if (empty)
            EXPECT_EQ(0, std::system(("truncate -s 76M '" + target + "'").c_str()));
        else
            EXPECT_TRUE(CopyWalkTarget(target));
        NameDisks({BackupDisk::Get().Path(), target});
        return target;
    }

    // The whole walk from the launcher to the wizard's end.
    WalkResult Run(const Walk& walk)
    {
        WalkResult result;
        auto refusal = [&result] {
            GtkWidget* box = VisibleDialog("Warning");
            if (box == nullptr)
                return false;
            result.refusals.push_back(MessageText(box));
            ClickDialogResponse(box, DLG_RESULT_OK);
            return true;
        };
        std::vector<CloneGuiStep> steps = {
            {"image page", [] { return On(RESTORE_PAGE_IMAGE) && GTK_WIDGET_MAPPED(W()->GetDlg()); },
             [&walk] {
                 auto* page = static_cast<CSelectImageFilePage*>(W()->GetPageObject(RESTORE_PAGE_IMAGE));
                 gtk_entry_set_text(GTK_ENTRY(page->GetFileNameEntry()), walk.setFile.c_str());
             }},
            {"next to the volumes", [] { return Sensitive(Next()); }, [] { PressNext(); }},
            {"volume row", [&walk] { return On(RESTORE_PAGE_IMAGE_PARTITION) && Found(VolumeRow(walk.sourceStart)); },
             [&walk] {
                 GtkTreePath* row = VolumeRow(walk.sourceStart);
                 ClickRow(VolumePage()->GetList()->GetTreeView(), row);
                 gtk_tree_path_free(row);
             }},
            {"next to the target", [] { return Sensitive(Next()); }, [] { PressNext(); }},
            {"target row", [&walk] {
                 return On(RESTORE_PAGE_TARGET_PARTITION) && Found(TargetRow(1, walk.targetAt)); },
             [&walk] {
                 GtkTreePath* row = TargetRow(1, walk.targetAt);
                 SelectRow(TargetList()->GetDeviceListWidget(), row);
                 gtk_tree_path_free(row);
             }},
            {"next to the mode", [] { return Sensitive(Next()); }, [] { PressNext(); }},
            // A refusal box runs inside the click; it is answered and the walk ends there.
            {"mode page", [&] { return refusal() || On(RESTORE_PAGE_RESTORE_MODE); },
             [] {
                 if (On(RESTORE_PAGE_RESTORE_MODE))
                     PressNext();
             }},
            {"edit page", [] { return On(RESTORE_PAGE_EDIT_PARTITION) && GTK_WIDGET_MAPPED(EditPage()->Spin(1)->GetSpinWidget()); },
             [&walk, &result] {
                 if (!walk.typedMB.empty())
                     TypeInto(EditPage()->Spin(1)->GetSpinWidget(), walk.typedMB);
                 result.sizeShown = EditPage()->Spin(1)->GetValue();
                 PressNext();
             }},
            {"drive letter page", [] { return On(RESTORE_PAGE_DRIVE_LETTER) && Sensitive(Next()); },
             [] { PressNext(); }},
            {"summary", [] { return On(RESTORE_PAGE_SUMMARY) && Sensitive(Next()); }, [] { PressNext(); }},
            {"result box",
             [] { return VisibleDialog("Succeed") != nullptr || VisibleDialog("Error") != nullptr; },
             [&result] {
                 const bool failed = VisibleDialog("Error") != nullptr;
                 GtkWidget* box = VisibleDialog(failed ? "Error" : "Succeed");
                 result.resultTitle = failed ? "Error" : "Succeed";
                 result.resultText = MessageText(box);
                 ClickDialogResponse(box, DLG_RESULT_OK);
             }},
            {"finish", [] { return On(RESTORE_PAGE_PROGRESS) && Sensitive(Next()) && VisibleDialog("Succeed") == nullptr; },
             [] { PressNext(); }},
        };
        CLogWriter::StartCapture();
        CloneGuiDriver driver(std::move(steps), 60000);
        COperationLauncher::Instance().StartRestore(window);
        result.stuck = driver.Stuck();
        if (!result.stuck.empty())
            for (const std::string& line : CLogWriter::Captured())
                result.log += line + "\n";
        EXPECT_EQ(nullptr, W()) << "the wizard ended its own life";
        return result;
    }

    static ImageSet* set_;
    static ImageSet* fat16Set_;
};

ImageSet* RestoreLauncherWalk::set_ = nullptr;
ImageSet* RestoreLauncherWalk::fat16Set_ = nullptr;

std::string SetFile(const ImageSet& set) { return std::string(set.firstFile.begin(), set.firstFile.end()); }

} // namespace

// Formatted partitions of a disk-image file are no running system: a FAT and an NTFS
// volume each go onto the partition of their kind, which keeps its place and size.
TEST_F(RestoreLauncherWalk, VolumesGoOntoExistingFatAndNtfsPartitions)
{
    const BackupDisk& disk = BackupDisk::Get();
    const struct Case {
        const char* what;
        FixturePartition partition;
        bool ntfs;
    } cases[] = {
        {"FAT32 onto the FAT32 partition", disk.fat32, false},
        {"NTFS onto the NTFS partition", disk.ntfs, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = Target(std::string("restore-walk-onto-") + (c.ntfs ? "ntfs" : "fat"), false);
        const std::vector<TableRow> before = TableOf(target);
        Walk walk;
        walk.setFile = SetFile(*set_);
        walk.sourceStart = c.partition.start;
        walk.targetAt = c.partition.start;
        const WalkResult result = Run(walk);
        EXPECT_EQ(std::vector<std::string>{}, result.refusals);
        EXPECT_EQ("", result.stuck) << result.log;
        EXPECT_EQ("Succeed", result.resultTitle) << result.resultText;

        // The restored partition takes the chosen one's place, and the free space just in
        // front of it when there is some; every other partition stays as it was.
        const std::vector<TableRow> after = TableOf(target);
        ASSERT_EQ(before.size(), after.size()) << Sh("sfdisk --dump '" + target + "'");
        const TableRow* made = nullptr;
        for (size_t i = 0; i < after.size(); ++i) {
            if (before[i].start != c.partition.start) {
                EXPECT_EQ(before[i].start, after[i].start) << i;
                EXPECT_EQ(before[i].size, after[i].size) << i;
                continue;
            }
            made = &after[i];
            EXPECT_LE(after[i].start, before[i].start);
            EXPECT_GT(after[i].start, i == 0 ? 0 : before[i - 1].start + before[i - 1].size - 1);
            EXPECT_GE(after[i].size, c.partition.sectors) << "the partition holds the whole volume";
        }
        ASSERT_NE(nullptr, made) << Sh("sfdisk --dump '" + target + "'");
        const std::string folder = target.substr(0, target.rfind('/'));
        const std::string restored = CutSectors(target, made->start, made->size, folder + "/restored.vol");
        const std::string original = CutSectors(disk.Path(), c.partition.start, c.partition.sectors, folder + "/original.vol");
        if (c.ntfs)
            ExpectSameNtfsFiles(restored, original);
        else
            ExpectSameFatFiles(restored, original);
    }
}

// Volumes onto free space: the NTFS one at its own size onto an empty disk, and at a
// size typed on the edit page larger than its own; the FAT16 one (16 MB of 2 KiB
// clusters, under 2 MB used) typed smaller, onto a partition of one cylinder, where
// too few clusters of its own size are left for FAT16. The FAT32 one (34 MB of 512-byte
// clusters) typed smaller cannot stay FAT32: the page gives the size back before
// anything is written. Each partition holds a volume the checkers accept, of the
// wanted size to the cylinder (the page lays partitions out on cylinders of 7.8 MB and
// leaves smaller changes alone), with the same files.
TEST_F(RestoreLauncherWalk, VolumesOntoFreeSpaceAtTheirOwnAndAtTypedSizes)
{
    const BackupDisk& disk = BackupDisk::Get();
    const double cylinderMB = 16065 / 2048.0;
    const struct Case {
        const char* what;
        bool emptyDisk;
        FixturePartition BackupDisk::*source;
        uint64_t at;
        std::string typedMB; // empty: the size the page offers
        double wantMB;       // the size the page shows after typing
    } cases[] = {
        {"NTFS at its own size at the start of an empty disk", true, &BackupDisk::ntfs, 2048, "", 0},
        {"NTFS at a typed larger size", false, &BackupDisk::ntfs, 120000, "40", 40},
        {"FAT16 at a typed smaller size", false, &BackupDisk::fat16, 120000, "7", 7},
        {"FAT32 typed below the smallest FAT32 partition", false, &BackupDisk::fat32, 120000, "30", 34},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bool ntfs = c.source == &BackupDisk::ntfs;
        const FixturePartition& source = disk.*c.source;
        const std::string target = Target("restore-walk-free-" + std::to_string(&c - cases), c.emptyDisk);
        const size_t rowsBefore = TableOf(target).size();
        Walk walk;
        walk.setFile = SetFile(c.source == &BackupDisk::fat16 ? *fat16Set_ : *set_);
        walk.sourceStart = source.start;
        walk.targetAt = c.at;
        walk.typedMB = c.typedMB;
        const WalkResult result = Run(walk);
        EXPECT_EQ(std::vector<std::string>{}, result.refusals);
        EXPECT_EQ("", result.stuck) << result.log;
        EXPECT_EQ("Succeed", result.resultTitle) << result.resultText;
        if (!c.typedMB.empty()) {
            EXPECT_NEAR(c.wantMB, result.sizeShown, 0.1) << "the typed size was taken or given back";
        }

        const std::vector<TableRow> after = TableOf(target);
        ASSERT_EQ(rowsBefore + 1, after.size()) << Sh("sfdisk --dump '" + target + "'");
        const TableRow& made = after.back();
        const bool givenBack = !c.typedMB.empty() && std::stod(c.typedMB) != c.wantMB;
        if (c.typedMB.empty() || givenBack) {
            EXPECT_GE(made.size, source.sectors) << "the partition holds the whole volume";
        } else {
            EXPECT_NEAR(c.wantMB, made.size / 2048.0, cylinderMB) << made.size;
            EXPECT_TRUE(c.wantMB < source.sectors / 2048.0 ? made.size < source.sectors : made.size > source.sectors)
                << made.size;
        }
        const std::string folder = target.substr(0, target.rfind('/'));
        const std::string restored = CutSectors(target, made.start, made.size, folder + "/restored.vol");
        const std::string original = CutSectors(disk.Path(), source.start, source.sectors, folder + "/original.vol");
        if (ntfs) {
            EXPECT_EQ(7u, made.type);
            ExpectSameNtfsFiles(restored, original);
        } else {
            ExpectSameFatFiles(restored, original);
        }
    }
}
