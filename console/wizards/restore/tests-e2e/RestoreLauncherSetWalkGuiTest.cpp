// The restore wizard opened from the console's launcher, walked with real clicks and
// keys over sets the backup engine wrote and target disks made by sfdisk, mkfs.fat and
// mkntfs: a protected set opened with a wrong password typed first and the right one
// after it; a set of two versions; a whole stored disk onto a disk holding data; a
// logical volume onto a logical partition; a restore the engine refuses to queue; and
// the question a boot volume asks before its restore elsewhere. Results are judged by
// fsck.fat, ntfsfix, mtools, ntfscat, sfdisk and sha256sum.
#include <X11/extensions/XTest.h>
#include <gdk/gdkkeysyms.h>
#include <gdk/gdkx.h>
#include <gtest/gtest.h>
#include <strings.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "BackupRunner.h"
#include "CLogWriter.h"
#include "COperationLauncher.h"
#include "CRestoreWizardDialog.h"
#include "CDeviceList.h"
#include "CReadImageFilePartitionPage.h"
#include "CRestoreVolListCtrl.h"
#include "CScriptedTasque.h"
#include "CSelectTargetDiskPage.h"
#include "CSelectImageFilePage.h"
#include "ChannelFixture.h"
#include "CloneGuiDriver.h"
#include "CommandOutput.h"
#include "DLG_RESULT.h"
#include "FixtureImage.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ITasque.h"
#include "KSVolume.h"
#include "LauncherWalkSteps.h"
#include "PixelSnapshot.h"
#include "WalkSupport.h"

namespace {

using namespace launcher_walk;

// The volume list's row of the stored disk itself (checking it checks every volume).
GtkTreePath* StoredDiskRow()
{
    return FindRow(VolumePage()->GetList()->GetTreeView(), [](GtkTreeModel* model, GtkTreeIter* iter) {
        int part = 0;
        gtk_tree_model_get(model, iter, CRestoreVolListCtrl::COL_PART, &part, -1);
        return part == -1;
    });
}

GtkWidget* TargetDiskList()
{
    return static_cast<CSelectTargetDiskPage*>(W()->GetPageObject(RESTORE_PAGE_TARGET_DISK))->GetListView();
}

CSelectImageFilePage* ImagePage()
{
    return static_cast<CSelectImageFilePage*>(W()->GetPageObject(RESTORE_PAGE_IMAGE));
}

// Types a password into the page's entry as a user does: a click into it, whatever it
// holds cleared with the keys, the text typed and Return pressed. Gives back what the
// entry held before Return.
std::string TypePassword(const std::string& text)
{
    GtkWidget* entry = ImagePage()->GetPasswordEntry();
    gui_events::Click(entry);
    gui_wait::Until([&] { return gtk_widget_has_focus(entry) != FALSE; }, 5000);
    gui_events::TapKey(GDK_End);
    for (int i = 0; i < 12; ++i)
        gui_events::TapKey(GDK_BackSpace);
    for (const char c : text)
        gui_events::TapKey(static_cast<unsigned char>(c));
    gui_wait::Settle(20);
    const std::string typed = gtk_entry_get_text(GTK_ENTRY(entry));
    gui_events::TapKey(GDK_Return);
    return typed;
}

// A key pressed, held for a while and released.
void HoldKey(unsigned keyval, int heldMs)
{
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    const KeyCode code = XKeysymToKeycode(display, keyval);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XFlush(display);
    gui_wait::Settle(heldMs);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XFlush(display);
}

struct PasswordWalkResult {
    std::vector<std::string> wrongBoxes; // the "Information" boxes met, by text
    std::string typedBeforeReturn;       // the entry's text when the right password was typed
    std::string resultTitle, resultText;
    std::string stuck;
};

class RestoreLauncherSetWalk : public LauncherWalkTest {
protected:

    // The walk from the launcher to the wizard's end: the steps given, then the same
    // partition of the target chosen for the volume (or, for kWholeDisk, the stored
    // disk onto target disk 1) and every later page taken as offered.
    static constexpr uint64_t kWholeDisk = ~0ull;
    std::string RunSteps(std::vector<CloneGuiStep> steps, uint64_t volumeStart, std::string& resultTitle,
                         std::string& resultText)
    {
        const std::vector<CloneGuiStep> partition = {
            {"volume row", [=] { return On(RESTORE_PAGE_IMAGE_PARTITION) && Found(VolumeRow(volumeStart)); },
             [=] {
                 GtkTreePath* row = VolumeRow(volumeStart);
                 ClickRow(VolumePage()->GetList()->GetTreeView(), row);
                 gtk_tree_path_free(row);
             }},
            {"next to the target", [] { return Sensitive(Next()); }, [] { PressNext(); }},
            {"target row", [=] { return On(RESTORE_PAGE_TARGET_PARTITION) && Found(TargetRow(1, volumeStart)); },
             [=] {
                 GtkTreePath* row = TargetRow(1, volumeStart);
                 SelectRow(TargetList()->GetDeviceListWidget(), row);
                 gtk_tree_path_free(row);
             }},
            {"next to the mode", [] { return Sensitive(Next()); }, [] { PressNext(); }},
            {"mode page", [] { return On(RESTORE_PAGE_RESTORE_MODE) && Sensitive(Next()); }, [] { PressNext(); }},
            {"edit page", [] { return On(RESTORE_PAGE_EDIT_PARTITION) && Sensitive(Next()); }, [] { PressNext(); }},
            {"drive letter page", [] { return On(RESTORE_PAGE_DRIVE_LETTER) && Sensitive(Next()); },
             [] { PressNext(); }},
            {"summary", [] { return On(RESTORE_PAGE_SUMMARY) && Sensitive(Next()); }, [] { PressNext(); }},
        };
        const std::vector<CloneGuiStep> disk = {
            {"stored disk row", [] { return On(RESTORE_PAGE_IMAGE_PARTITION) && Found(StoredDiskRow()); },
             [] {
                 GtkTreePath* row = StoredDiskRow();
                 ClickRow(VolumePage()->GetList()->GetTreeView(), row);
                 gtk_tree_path_free(row);
             }},
            {"next to the target disk", [] { return Sensitive(Next()); }, [] { PressNext(); }},
            {"target disk row", [] { return On(RESTORE_PAGE_TARGET_DISK) && TreeRowShown(TargetDiskList(), 1); },
             [] { ClickTreeRow(TargetDiskList(), 1); }},
            {"proceed", [] { return Sensitive(Next()); }, [] { PressNext(); }},
            {"summary", [] { return On(RESTORE_PAGE_SUMMARY) && Sensitive(Next()); }, [] { PressNext(); }},
            // The disk's partitions all go: the wizard asks first, and Yes goes on.
            {"deletion question", [] { return VisibleDialog("Warning") != nullptr; },
             [] {
                 GtkWidget* box = VisibleDialog("Warning");
                 EXPECT_NE(std::string::npos, MessageText(box).find("All partitions on destination disk will be deleted"))
                     << MessageText(box);
                 ClickDialogResponse(box, DLG_RESULT_OK);
             }},
        };
        const std::vector<CloneGuiStep>& choose = volumeStart == kWholeDisk ? disk : partition;
        steps.insert(steps.end(), choose.begin(), choose.end());
        const std::vector<CloneGuiStep> tail = {
            {"result box", [] { return VisibleDialog("Succeed") != nullptr || VisibleDialog("Error") != nullptr; },
             [&] {
                 const bool failed = VisibleDialog("Error") != nullptr;
                 GtkWidget* box = VisibleDialog(failed ? "Error" : "Succeed");
                 resultTitle = failed ? "Error" : "Succeed";
                 resultText = MessageText(box);
                 ClickDialogResponse(box, DLG_RESULT_OK);
             }},
            {"finish",
             [] { return On(RESTORE_PAGE_PROGRESS) && Sensitive(Next()) && VisibleDialog("Succeed") == nullptr; },
             [] { PressNext(); }},
        };
        steps.insert(steps.end(), tail.begin(), tail.end());
        CLogWriter::StartCapture();
        CloneGuiDriver driver(std::move(steps), 60000);
        COperationLauncher::Instance().StartRestore(window);
        std::string stuck = driver.Stuck();
        if (!stuck.empty())
            for (const std::string& line : CLogWriter::Captured())
                stuck += "\n" + line;
        EXPECT_EQ(nullptr, W()) << "the wizard ended its own life";
        return stuck;
    }

};

std::string Narrow(const std::wstring& path) { return std::string(path.begin(), path.end()); }

// Real command objects whose engine refuses the restore item handed to it.
std::vector<std::unique_ptr<CScriptedTasque>> g_refusingQueue;
ITasque* RefusingTheRestoreItem()
{
    g_refusingQueue.push_back(std::make_unique<CScriptedTasque>(CreateTasqueObj()));
    g_refusingQueue.back()->FailCall(TasqueOp::AddRestore, 0x01009009);
    return g_refusingQueue.back().get();
}

// Real command objects whose set's NTFS volume is described as the running system's
// boot partition was when it was backed up (what a disk-image file never is): a
// restore of it elsewhere asks whether to go on.
class BootVolumeTasque : public CScriptedTasque {
public:
    explicit BootVolumeTasque(ITasque* forward, uint64_t bootStart) : CScriptedTasque(forward), bootStart_(bootStart) {}
    unsigned long RestoreGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, unsigned long* count,
                                       _KS_VERSION* version) override
    {
        const unsigned long result = CScriptedTasque::RestoreGetImgVolumes(buffer, capacity, count, version);
        if (result == 0 && buffer != nullptr && count != nullptr)
            for (unsigned long i = 0; i < *count && i < capacity; ++i)
                if (buffer[i].PartitionStart == bootStart_)
                    buffer[i].Flags |= KS_VOLFLAG_PART_BIT1;
        return result;
    }

private:
    uint64_t bootStart_;
};
std::vector<std::unique_ptr<BootVolumeTasque>> g_bootVolume;
ITasque* WithABootVolume()
{
    g_bootVolume.push_back(std::make_unique<BootVolumeTasque>(CreateTasqueObj(), BackupDisk::Get().ntfs.start));
    return g_bootVolume.back().get();
}

// The share of sampled pixels of the wizard that differ between what the screen shows
// and what the window draws when asked again: 0 when the page was drawn.
int PixelsNotRedrawn()
{
    const PixelSnapshot shown = PixelSnapshot::OfWidget(W()->GetDlg());
    gtk_widget_queue_draw(W()->GetDlg());
    gui_wait::Settle(150);
    const PixelSnapshot redrawn = PixelSnapshot::OfWidget(W()->GetDlg());
    if (!shown.Valid() || !redrawn.Valid())
        return -1;
    int differing = 0;
    for (int y = 0; y < shown.Height(); y += 2)
        for (int x = 0; x < shown.Width(); x += 2)
            differing += shown.At(x, y) != redrawn.At(x, y) ? 1 : 0;
    return differing;
}

} // namespace

// A protected set: the wrong password typed and confirmed with Return brings one
// "The password is incorrect!" box, answered with Return held as a hand holds it (the
// release that comes after the box has gone must not confirm the entry again); the
// right password retyped into the same entry (clicked, cleared, typed) opens the set, and its NTFS
// volume restored onto the target's NTFS partition passes ntfsfix and reads as the
// source's.
TEST_F(RestoreLauncherSetWalk, AWrongPasswordThenTheRightOneTypedOpensTheSetAndRestoresIt)
{
    const ImageSet locked = BackUpFixture("restore-launcher-walk-locked", L"secret");
    const std::string target = MakeRestoreTarget(locked.folder);
    const BackupDisk& disk = BackupDisk::Get();
    PasswordWalkResult result;
    std::vector<CloneGuiStep> steps = {
        {"image page", [] { return On(RESTORE_PAGE_IMAGE) && GTK_WIDGET_MAPPED(W()->GetDlg()); },
         [&] { gtk_entry_set_text(GTK_ENTRY(ImagePage()->GetFileNameEntry()), Narrow(locked.firstFile).c_str()); }},
        {"password entry", [] { return GTK_WIDGET_MAPPED(ImagePage()->GetPasswordEntry()); },
         [] { EXPECT_EQ("guess", TypePassword("guess")); }},
        {"wrong password box", [] { return VisibleDialog("Information") != nullptr; },
         [&] {
             GtkWidget* box = VisibleDialog("Information");
             result.wrongBoxes.push_back(MessageText(box));
             // A window manager gives the new box the focus; none runs here.
             gui_events::Focus(box);
             gui_wait::Settle(50);
             // Return held a moment, as a hand presses it: the box closes on the press.
             HoldKey(GDK_Return, 400);
         }},
        // The box's own Return must not bring it back: one more box met here is noted
        // and clicked away, and the right password is typed once none is up.
        {"right password",
         [&] {
             if (GtkWidget* again = VisibleDialog("Information")) {
                 if (result.wrongBoxes.size() < 5)
                     result.wrongBoxes.push_back(MessageText(again));
                 ClickDialogResponse(again, DLG_RESULT_OK);
                 return false;
             }
             return On(RESTORE_PAGE_IMAGE) && GTK_WIDGET_MAPPED(ImagePage()->GetPasswordEntry());
         },
         [&] {
             result.typedBeforeReturn = TypePassword("secret");
         }},
        {"next to the volumes",
         [&] {
             if (GtkWidget* again = VisibleDialog("Information")) {
                 if (result.wrongBoxes.size() < 5)
                     result.wrongBoxes.push_back(MessageText(again));
                 ClickDialogResponse(again, DLG_RESULT_OK);
                 return false;
             }
             return Sensitive(Next());
         },
         [] { PressNext(); }},
    };
    result.stuck = RunSteps(std::move(steps), disk.ntfs.start, result.resultTitle, result.resultText);
    EXPECT_EQ("secret", result.typedBeforeReturn) << "the retyped keys reached the entry";
    EXPECT_EQ(std::vector<std::string>{"The password is incorrect!"}, result.wrongBoxes);
    ASSERT_EQ("", result.stuck);
    EXPECT_EQ("Succeed", result.resultTitle) << result.resultText;
    ExpectSameNtfsFiles(CutSectors(target, disk.ntfs.start, disk.ntfs.sectors, locked.folder + "/restored.ntfs"),
                        CutSectors(disk.Path(), disk.ntfs.start, disk.ntfs.sectors, locked.folder + "/source.ntfs"));
}

// The engine refuses to queue the restore, of a FAT32 volume onto its partition or of
// the whole stored disk, onto a disk whose partitions hold file systems and files: the
// wizard shows the refusal, and the target's table (sfdisk --dump) and every byte of
// its image (sha256) stay as they were.
TEST_F(RestoreLauncherSetWalk, ARestoreTheEngineRefusesToQueueLeavesTheTargetDiskByteForByte)
{
    const ImageSet set = BackUpFixture("restore-launcher-walk-refused");
    const struct {
        const char* what;
        uint64_t volumeStart;
    } cases[] = {
        {"a volume onto a partition", BackupDisk::Get().fat32.start},
        {"the whole disk", kWholeDisk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = set.folder + "/target.img";
        ASSERT_TRUE(CopyWalkTarget(target));
        NameDisks({BackupDisk::Get().Path(), target});
        const std::string tableBefore = CommandOutput("sfdisk --dump '" + target + "'");
        const std::string hashBefore = CommandOutput("sha256sum < '" + target + "'");
        ASSERT_NE(std::string::npos, tableBefore.find("start=")) << "the target has partitions";

        CRestoreWizardDialog::SetCommandFactory(RefusingTheRestoreItem);
        std::string title, text;
        std::vector<CloneGuiStep> steps = {
            {"image page", [] { return On(RESTORE_PAGE_IMAGE) && GTK_WIDGET_MAPPED(W()->GetDlg()); },
             [&] { gtk_entry_set_text(GTK_ENTRY(ImagePage()->GetFileNameEntry()), Narrow(set.firstFile).c_str()); }},
            {"next to the volumes", [] { return Sensitive(Next()); }, [] { PressNext(); }},
        };
        const std::string stuck = RunSteps(std::move(steps), c.volumeStart, title, text);
        CRestoreWizardDialog::SetCommandFactory(nullptr);
        EXPECT_EQ("", stuck);
        EXPECT_EQ("Error", title) << text;
        ASSERT_EQ(1u, g_refusingQueue.size());
        EXPECT_EQ(1, g_refusingQueue.back()->Releases()) << "the wizard let go of its command object";
        EXPECT_EQ(tableBefore, CommandOutput("sfdisk --dump '" + target + "'"));
        EXPECT_EQ(hashBefore, CommandOutput("sha256sum < '" + target + "'"))
            << "the target image is byte for byte as it was";
        g_refusingQueue.clear();
    }
}

// The set's stored disk (its NTFS and FAT32 volumes) onto a disk whose partitions hold
// other file systems and files: the disk's table becomes the planned one (the source's
// two partitions in their order, each as large as its volume at least), and both
// volumes pass fsck.fat -n / ntfsfix -n and hold the source's files.
TEST_F(RestoreLauncherSetWalk, AWholeDiskOntoADiskHoldingPartitionsAndDataTakesTheSourcesLayout)
{
    const BackupDisk& source = BackupDisk::Get();
    const ImageSet set = BackUpFixture("restore-launcher-walk-whole-disk");
    const std::string target = set.folder + "/target.img";
    ASSERT_TRUE(CopyWalkTarget(target));
    NameDisks({source.Path(), target});
    ASSERT_FALSE(TableOf(target).empty()) << "the target has partitions";

    std::string title, text;
    std::vector<CloneGuiStep> steps = {
        {"image page", [] { return On(RESTORE_PAGE_IMAGE) && GTK_WIDGET_MAPPED(W()->GetDlg()); },
         [&] { gtk_entry_set_text(GTK_ENTRY(ImagePage()->GetFileNameEntry()), Narrow(set.firstFile).c_str()); }},
        {"next to the volumes", [] { return Sensitive(Next()); }, [] { PressNext(); }},
    };
    const std::string stuck = RunSteps(std::move(steps), kWholeDisk, title, text);
    ASSERT_EQ("", stuck);
    EXPECT_EQ("Succeed", title) << text;

    const std::string dump = CommandOutput("sfdisk --dump '" + target + "' 2>&1");
    const std::vector<TableRow> after = TableOf(target);
    ASSERT_EQ(2u, after.size()) << dump;
    const struct {
        const FixturePartition& from;
        bool ntfs;
    } volumes[] = {{source.ntfs, true}, {source.fat32, false}};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(volumes[i].ntfs ? "NTFS" : "FAT32");
        const TableRow& made = after[i];
        EXPECT_GE(made.size, volumes[i].from.sectors) << dump;
        const std::string restored = CutSectors(target, made.start, made.size, set.folder + "/restored" + std::to_string(i));
        const std::string original =
            CutSectors(source.Path(), volumes[i].from.start, volumes[i].from.sectors, set.folder + "/original" + std::to_string(i));
        if (volumes[i].ntfs) {
            EXPECT_EQ(7u, made.type) << dump;
            ExpectSameNtfsFiles(restored, original);
        } else {
            ExpectSameFatFiles(restored, original);
        }
    }
}

// A set of two versions of one FAT32 volume, its files changed between them (a file
// deleted, another added), opened by its newest file: the wizard lists and restores
// the set's first version, and the restored volume holds the older files.
TEST_F(RestoreLauncherSetWalk, ASetOfTwoVersionsRestoresTheVersionTheWizardOffersWithItsOlderFiles)
{
    const BackupDisk& fixture = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-launcher-walk-versions");
    // The backups read a copy of the fixture disk, changed between them.
    const std::string source = folder + "/source.img";
    ASSERT_EQ(0, std::system(("cp --sparse=always '" + fixture.Path() + "' '" + source + "'").c_str()));
    NameDisks({source});
    BackupRequest request;
    request.imagePath = Wide(folder + "/versions.rvd");
    request.partitions = {fixture.fat32.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::string older = CutSectors(source, fixture.fat32.start, fixture.fat32.sectors, folder + "/older.vol");
    const std::string volume = "'" + source + "@@" + std::to_string(fixture.fat32.start * 512) + "'";
    ASSERT_EQ(0, std::system(("mdel -i " + volume + " ::/BIG.BIN && echo newer > '" + folder +
                              "/newer.txt' && mcopy -i " + volume + " '" + folder + "/newer.txt' ::/NEWER.TXT")
                                 .c_str()));
    request.setMode = 1;
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    std::vector<std::string> files;
    for (const std::string& f : FilesIn(folder))
        if (f.size() > 4 && strcasecmp(f.c_str() + f.size() - 4, ".rvd") == 0)
            files.push_back(f);
    ASSERT_EQ(2u, files.size());
    const std::string target = MakeRestoreTarget(folder);

    std::string title, text;
    std::vector<CloneGuiStep> steps = {
        {"image page", [] { return On(RESTORE_PAGE_IMAGE) && GTK_WIDGET_MAPPED(W()->GetDlg()); },
         [&] { gtk_entry_set_text(GTK_ENTRY(ImagePage()->GetFileNameEntry()), (folder + "/" + files.back()).c_str()); }},
        {"next to the volumes", [] { return Sensitive(Next()); }, [] { PressNext(); }},
    };
    const std::string stuck = RunSteps(std::move(steps), fixture.fat32.start, title, text);
    ASSERT_EQ("", stuck);
    EXPECT_EQ("Succeed", title) << text;
    const std::vector<TableRow> after = TableOf(target);
    const TableRow* made = nullptr;
    for (const TableRow& row : after)
        if (row.start <= fixture.fat32.start && fixture.fat32.start < row.start + row.size)
            made = &row;
    ASSERT_NE(nullptr, made) << CommandOutput("sfdisk --dump '" + target + "'");
    const std::string restored = CutSectors(target, made->start, made->size, folder + "/restored.vol");
    ExpectSameFatFiles(restored, older);
    EXPECT_EQ("", CommandOutput("mdir -b -i '" + restored + "' ::/NEWER.TXT 2>/dev/null")) << "the newer file is absent";
}

// A volume of a logical partition onto the target's logical partition at the same
// place: the run finds the partition the pages prepared, and the volume passes
// fsck.fat -n and holds the source's files.
TEST_F(RestoreLauncherSetWalk, ALogicalVolumeOntoTheTargetsLogicalPartition)
{
    const BackupDisk& fixture = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-launcher-walk-logical");
    BackupRequest request;
    request.imagePath = Wide(folder + "/logical.rvd");
    request.partitions = {fixture.fat16.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder);
    ASSERT_FALSE(files.empty());
    const std::string target = MakeRestoreTarget(folder);

    std::string title, text;
    std::vector<CloneGuiStep> steps = {
        {"image page", [] { return On(RESTORE_PAGE_IMAGE) && GTK_WIDGET_MAPPED(W()->GetDlg()); },
         [&] { gtk_entry_set_text(GTK_ENTRY(ImagePage()->GetFileNameEntry()), (folder + "/" + files[0]).c_str()); }},
        {"next to the volumes", [] { return Sensitive(Next()); }, [] { PressNext(); }},
    };
    const std::string stuck = RunSteps(std::move(steps), fixture.fat16.start, title, text);
    ASSERT_EQ("", stuck);
    EXPECT_EQ("Succeed", title) << text;
    const std::string dump = CommandOutput("sfdisk --dump '" + target + "' 2>&1");
    const TableRow* made = nullptr;
    const std::vector<TableRow> after = TableOf(target);
    for (const TableRow& row : after)
        if (row.type != 5 && row.start <= fixture.fat16.start && fixture.fat16.start < row.start + row.size)
            made = &row;
    ASSERT_NE(nullptr, made) << dump;
    EXPECT_GE(made->size, fixture.fat16.sectors) << dump;
    ExpectSameFatFiles(CutSectors(target, made->start, made->size, folder + "/restored.vol"),
                       CutSectors(fixture.Path(), fixture.fat16.start, fixture.fat16.sectors, folder + "/original.vol"));
}

// The boot volume of a set onto another partition: Next on the target page asks
// "To restore to this partition cannot ensure boot. Are you sure to go on?"; after Yes,
// clicked, the restore mode page is on screen as it draws itself (no grey hole), no
// widget keeps a grab, and a click on Back takes. Three rounds, then the wizard is
// left with Escape.
TEST_F(RestoreLauncherSetWalk, AfterYesOnTheBootQuestionTheModePageIsDrawnAndTakesClicks)
{
    const BackupDisk& disk = BackupDisk::Get();
    const ImageSet set = BackUpFixture("restore-launcher-walk-boot-question");
    const std::string target = set.folder + "/target.img";
    ASSERT_TRUE(CopyWalkTarget(target));
    NameDisks({disk.Path(), target});
    const std::string hashBefore = CommandOutput("sha256sum < '" + target + "'");
    CRestoreWizardDialog::SetCommandFactory(WithABootVolume);

    std::vector<std::string> questions;
    std::vector<int> notRedrawn;
    std::vector<bool> grabFree, backTook;
    std::vector<CloneGuiStep> steps = {
        {"image page", [] { return On(RESTORE_PAGE_IMAGE) && GTK_WIDGET_MAPPED(W()->GetDlg()); },
         [&] { gtk_entry_set_text(GTK_ENTRY(ImagePage()->GetFileNameEntry()), Narrow(set.firstFile).c_str()); }},
        {"next to the volumes", [] { return Sensitive(Next()); }, [] { PressNext(); }},
        {"volume row", [&] { return On(RESTORE_PAGE_IMAGE_PARTITION) && Found(VolumeRow(disk.ntfs.start)); },
         [&] {
             GtkTreePath* row = VolumeRow(disk.ntfs.start);
             ClickRow(VolumePage()->GetList()->GetTreeView(), row);
             gtk_tree_path_free(row);
         }},
        {"next to the target", [] { return Sensitive(Next()); }, [] { PressNext(); }},
        {"target row", [&] { return On(RESTORE_PAGE_TARGET_PARTITION) && Found(TargetRow(1, disk.fat32.start)); },
         [&] {
             GtkTreePath* row = TargetRow(1, disk.fat32.start);
             SelectRow(TargetList()->GetDeviceListWidget(), row);
             gtk_tree_path_free(row);
         }},
    };
    for (int round = 0; round < 3; ++round) {
        const std::vector<CloneGuiStep> more = {
            {"next on the target page", [] { return On(RESTORE_PAGE_TARGET_PARTITION) && Sensitive(Next()); },
             [] { PressNext(); }},
            // The question runs inside the click: Yes is clicked from the driver's tick.
            {"boot question", [] { return VisibleDialog("Warning") != nullptr; },
             [&] {
                 GtkWidget* box = VisibleDialog("Warning");
                 questions.push_back(MessageText(box));
                 ClickDialogResponse(box, DLG_RESULT_OK);
             }},
            {"mode page shown",
             [] {
                 return VisibleDialog("Warning") == nullptr && On(RESTORE_PAGE_RESTORE_MODE) &&
                        GTK_WIDGET_MAPPED(W()->GetPageObject(RESTORE_PAGE_RESTORE_MODE)->GetPage());
             },
             [&] {
                 gui_wait::Settle(150);
                 grabFree.push_back(gtk_grab_get_current() == W()->GetDlg() &&
                                    !GTK_WIDGET_MAPPED(W()->GetPageObject(RESTORE_PAGE_TARGET_PARTITION)->GetPage()));
                 notRedrawn.push_back(PixelsNotRedrawn());
                 gui_events::Click(W()->GetBackButton());
             }},
            {"back on the target page", [] { return On(RESTORE_PAGE_TARGET_PARTITION); },
             [&] { backTook.push_back(true); }},
        };
        steps.insert(steps.end(), more.begin(), more.end());
    }
    steps.push_back({"leave", [] { return W() != nullptr; },
                     [] {
                         gui_events::Focus(W()->GetDlg());
                         gui_events::TapKey(GDK_Escape);
                     }});
    CLogWriter::StartCapture();
    CloneGuiDriver driver(std::move(steps), 20000);
    COperationLauncher::Instance().StartRestore(window);
    CRestoreWizardDialog::SetCommandFactory(nullptr);
    EXPECT_EQ("", driver.Stuck());
    EXPECT_EQ(nullptr, W()) << "Escape ended the wizard";
    EXPECT_EQ(std::vector<std::string>(3, "To restore to this partition cannot ensure boot. Are you sure to go on?"),
              questions);
    EXPECT_EQ(std::vector<int>(3, 0), notRedrawn) << "sampled pixels that differ from the page drawn again";
    EXPECT_EQ(std::vector<bool>(3, true), grabFree) << "the dialog holds the only grab; the earlier page is gone";
    EXPECT_EQ(std::vector<bool>(3, true), backTook);
    EXPECT_EQ(hashBefore, CommandOutput("sha256sum < '" + target + "'")) << "nothing was written";
    g_bootVolume.clear();
}
