// Every page of the restore, check and clone wizards on the screen the test program
// runs on (1024 x 768, and 800 x 600 through RVD_TEST_SCREEN): the window lies on the
// screen, and every button, entry, list and label of the page lies inside it, uncut
// and on nothing else. Each page is saved as a picture under artifacts/, named after
// the screen. The restore target pages list five disks.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CAboutDlg.h"
#include "CCloneDataBase.h"
#include "CGtkMessageBox.h"
#include "CNewVersionDlg.h"
#include "ProductTexts.h"
#include "CCloneSourceSelectPage.h"
#include "CCloneWizard.h"
#include "CChkImgWizard.h"
#include "CHelpViewerLauncher.h"
#include "CMemoryVessmar.h"
#include "CRestoreWizardDialog.h"
#include "CScriptedTasque.h"
#include "CSelectImageFilePage.h"
#include "CSelectVolumePage.h"
#include "CloneGuiDriver.h"
#include "CloneRecordsBuilder.h"
#include "CloneServices.h"
#include "CloneWizardLifecycle.h"
#include "ControlPlacement.h"
#include "DLG_RESULT.h"
#include "EnvTestRoot.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ICensa.h"
#include "KSProgressInfo.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"
#include "RecordingEnvCommandRunner.h"
#include "RestorePagePosition.h"
#include "RestorePages.h"
#include "TagRestoreInfo.h"
#include "VessmarRescan.h"
#include "XvfbDisplay.h"

namespace {

constexpr uint64_t kCylinder = 255 * 63;
constexpr int kDisks = 5;
// Each disk image: 40 cylinders, as small as the disk map's blocks allow.
constexpr uint64_t kDiskSectors = 40 * kCylinder;

std::string ScreenName()
{
    return std::to_string(XvfbDisplay::ScreenWidth()) + "x" + std::to_string(XvfbDisplay::ScreenHeight());
}

// Checks the window as it is now and saves its picture.
void ExpectAllControlsShown(GtkWidget* window, const std::string& page)
{
    gui_wait::Settle(150);
    for (const std::string& fault : ControlPlacementFaults(window))
        ADD_FAILURE() << page << " on " << ScreenName() << ": " << fault;
    PixelSnapshot shot = PixelSnapshot::OfWidget(window);
    ASSERT_TRUE(shot.Valid()) << page;
    const std::string folder = RVD_ARTIFACTS_DIR;
    g_mkdir_with_parents(folder.c_str(), 0755);
    shot.SaveForInspection((folder + "/layout-" + ScreenName() + "-" + page + ".png").c_str());
}

_KS_VOLUME Volume(uint16_t number, uint8_t letter, uint8_t fs, uint8_t type, uint64_t start, uint64_t total,
                  uint64_t used)
{
    _KS_VOLUME v{};
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = 256;
    v.VolumeNumber = number;
    v.PartitionNumber = number;
    v.SectorsPerCluster = 8;
    v.DriveLetter = letter;
    v.Flags = KS_VOLFLAG_PRIMARY;
    v.FileSystem = fs;
    v.PartitionType = type;
    v.BytesPerSector = 512;
    v.PartitionStart = start;
    v.PartitionStartLow = uint32_t(start);
    v.StartLessHidden = start;
    v.TotalSectors = total;
    v.HiddenPlusTotal = total;
    v.UsedSectors = used;
    v.Heads = 255;
    v.SectorsPerTrack = 63;
    return v;
}

_KS_PROGRESS_INFO Running(uint32_t percent)
{
    _KS_PROGRESS_INFO p{};
    p.State = 2;
    p.ItemCount = 1;
    p.OverallPercent = percent;
    p.ItemPercent = percent;
    return p;
}

// Answers the message boxes a page shows (a question before a run, say) with their
// first button, from a timer that also runs inside their own loops.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<std::string> titles) : titles_(std::move(titles))
    {
        source_ = g_timeout_add(50, &BoxAnswerer::Tick, this);
    }
    ~BoxAnswerer() { g_source_remove(source_); }
    std::vector<std::string> seen;

private:
    static gboolean Tick(gpointer self)
    {
        auto* a = static_cast<BoxAnswerer*>(self);
        GList* toplevels = gtk_window_list_toplevels();
        for (GList* it = toplevels; it; it = it->next) {
            GtkWidget* w = GTK_WIDGET(it->data);
            if (!GTK_IS_DIALOG(w) || !gtk_widget_get_mapped(w))
                continue;
            const char* title = gtk_window_get_title(GTK_WINDOW(w));
            for (const std::string& t : a->titles_) {
                if (title != nullptr && t == title) {
                    a->seen.push_back(t);
                    gtk_dialog_response(GTK_DIALOG(w), DLG_RESULT_OK);
                    g_list_free(toplevels);
                    return TRUE;
                }
            }
        }
        g_list_free(toplevels);
        return TRUE;
    }
    std::vector<std::string> titles_;
    guint source_ = 0;
};

// Five disks alike for every view: disk-image files for the disk map, records for the
// command objects, an in-memory device tree for the partition calls.
class FiveDisks {
public:
    FiveDisks()
    {
        char pattern[] = "/tmp/wizard-layout-XXXXXX";
        folder_ = mkdtemp(pattern);
        std::string list;
        for (int d = 0; d < kDisks; ++d) {
            const std::string image = folder_ + "/disk" + std::to_string(d) + ".img";
            // Disk 0 holds two partitions, disk 1 one, the others none.
            std::string table = "label: dos\n";
            if (d == 0)
                table += "start=63, size=" + std::to_string(10 * kCylinder - 63) + ", type=7\nstart=" +
                         std::to_string(10 * kCylinder) + ", size=" + std::to_string(10 * kCylinder) + ", type=c\n";
            if (d == 1)
                table += "start=63, size=" + std::to_string(20 * kCylinder - 63) + ", type=6\n";
            const std::string make = "truncate -s " + std::to_string(kDiskSectors * 512) + " '" + image +
                                     "' && printf '" + table + "' | sfdisk --quiet '" + image + "' >/dev/null 2>&1";
            EXPECT_EQ(0, std::system(make.c_str())) << make;
            list += (d ? ":" : "") + image;

            _KS_DISK_INFO disk = TestDisk(kDiskSectors);
            std::snprintf(disk.ModelName, sizeof disk.ModelName, "LAYOUT DISK %d", d + 1);
            disk.InterfaceType = 3;
            disks.push_back(disk);
            std::vector<_KS_PARTITION_INFO> parts;
            CMemoryDisk* memory = tree.AddDisk(kDiskSectors);
            const auto add = [&](uint32_t fs, uint8_t type, uint64_t start, uint64_t count, uint64_t used,
                                 uint8_t letter) {
                _KS_PARTITION_INFO p = TestPart(fs, type, start, count, used, true, start == 63 ? 63 : 0);
                p.DriveLetter = letter;
                std::snprintf(p.VolumeLabel, sizeof p.VolumeLabel, "VOLUME %c", letter ? letter : '-');
                parts.push_back(p);
                MemoryPartitionData m;
                m.start = start;
                m.count = count;
                m.type = type;
                m.fs = enumFILE_SYSTEM_TYPE(fs);
                m.used = used;
                items.push_back(memory->Add(m));
            };
            if (d == 0) {
                add(FILE_SYSTEM_NTFS, 0x07, 63, 10 * kCylinder - 63, 40000, 'C');
                add(FILE_SYSTEM_FAT32, 0x0C, 10 * kCylinder, 10 * kCylinder, 20000, 0);
                memory->AddFree(20 * kCylinder, kDiskSectors - 1);
            } else if (d == 1) {
                add(FILE_SYSTEM_FAT16, 0x06, 63, 20 * kCylinder - 63, 30000, 'D');
                memory->AddFree(20 * kCylinder, kDiskSectors - 1);
            } else {
                memory->AddFree(63, kDiskSectors - 1);
            }
            memory->Write();
            partitions.push_back(parts);
        }
        setenv("RVD_DISK_IMAGES", list.c_str(), 1);
    }
    ~FiveDisks()
    {
        unsetenv("RVD_DISK_IMAGES");
        std::system(("rm -rf '" + folder_ + "'").c_str());
    }
    void Script(CScriptedTasque& tasque)
    {
        tasque.disks = disks;
        tasque.partitions = partitions;
        tasque.UseTree(&tree);
    }

    std::vector<_KS_DISK_INFO> disks;
    std::vector<std::vector<_KS_PARTITION_INFO>> partitions;
    CMemoryVessmar tree;
    std::vector<CMemoryPartition*> items;

private:
    std::string folder_;
};

class NoViewer : public IHelpViewerProcesses {
public:
    pid_t Start(const std::string&, const std::string&) override { return -1; }
    void Signal(pid_t, int) override {}
    bool ReapIfEnded(pid_t, int*) override { return true; }
};

class WizardLayoutGui : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        std::setlocale(LC_ALL, "C.UTF-8");
        image = root.Root() + "/mnt/P1/sets/set.rvd";
        root.Write("/mnt/P1/sets/set.rvd", std::string(512 * 1024, 'x'));
        root.Write("/mnt/volinfo", "/dev/sda1 " + root.Root() + "/mnt/P1\n");
        CMemoryVessmar::SetCurrent(&disks.tree);
        SetVessmarOpener(&CMemoryVessmar::OpenCurrent);
        CHelpViewerLauncher::Instance().UseProcesses(&viewer);
    }
    void TearDown() override
    {
        CHelpViewerLauncher::Instance().UseProcesses(nullptr);
        SetVessmarOpener(nullptr);
        CMemoryVessmar::SetCurrent(nullptr);
        GuiTest::TearDown();
    }
    // The set's volumes: a named NTFS volume and a FAT32 one without a letter.
    void ScriptSet(CScriptedTasque& tasque)
    {
        tasque.versions = {_KS_VERSION{}};
        tasque.volumes = {Volume(0, 2, KS_FS_NTFS, 0x07, 63, 10 * kCylinder - 63, 40000),
                          Volume(1, 0xFF, KS_FS_FAT32, 0x0C, 10 * kCylinder, 10 * kCylinder, 20000)};
        tasque.comment = u"Weekly set of the office machine";
    }

    EnvTestRoot root;
    RecordingEnvCommandRunner runner;
    NoViewer viewer;
    FiveDisks disks;
    std::string image;
};

} // namespace

TEST_F(WizardLayoutGui, EveryRestorePageShowsAllItsControls)
{
    // The stand-in outlives the wizard's Release of it.
    auto owned = std::make_unique<CScriptedTasque>();
    CScriptedTasque* tasque = owned.get();
    disks.Script(*tasque);
    ScriptSet(*tasque);
    tasque->restoreTimeline = {Running(10), Running(20)};
    auto* wizard = new CRestoreWizardDialog(nullptr, tasque, MakeRestorePage);
    BoxAnswerer boxes({"Warning", "Question"});
    int pagesSeen = 0;
    ModalDialogAnswerer answerer(
        [&](GtkDialog*) {
            GtkWidget* dialog = wizard->GetDlg();
            TagRestoreInfo* info = wizard->GetParam();
            const auto show = [&](int position, const char* name) {
                wizard->SetCurrentPage(position);
                gui_wait::Settle();
                EXPECT_EQ(wizard->GetCurrentPage(), position) << name;
                ExpectAllControlsShown(dialog, "restore-" + std::to_string(position) + "-" + name);
                ++pagesSeen;
            };
            // The image page with a set chosen: its list, comment and file name rows.
            auto* imagePage = static_cast<CSelectImageFilePage*>(wizard->GetPageObject(RESTORE_PAGE_IMAGE));
            gtk_entry_set_text(GTK_ENTRY(imagePage->GetFileNameEntry()), image.c_str());
            gui_wait::Settle();
            ExpectAllControlsShown(dialog, "restore-0-image");
            ++pagesSeen;
            show(RESTORE_PAGE_IMAGE_PARTITION, "image-partition");
            info->SetVolumes({&tasque->volumes[0]});
            info->nLastPage = RESTORE_PAGE_IMAGE_PARTITION;
            show(RESTORE_PAGE_TARGET_PARTITION, "target-partition");
            // The restore mode page over the free space of disk 3.
            CMemoryDisk* third = disks.tree.Disk(2);
            info->pTargetItem = third->Items().front();
            info->targetPartition.StartSector = 63;
            info->targetPartition.SectorCount = kDiskSectors - 63;
            info->nTargetDisk = 2;
            info->nLastPage = RESTORE_PAGE_TARGET_PARTITION;
            show(RESTORE_PAGE_RESTORE_MODE, "mode");
            // The edit page over the NTFS partition of disk 1, between free neighbours.
            info->pTargetItem = disks.items[0];
            info->nTargetDisk = 0;
            info->bMakePrimary = 1;
            info->targetPartition.StartSector = 63;
            info->targetPartition.SectorCount = 10 * kCylinder - 63;
            info->newPartition.FileSystem = 3;
            info->newPartition.FirstSector = 63;
            info->newPartition.LastSector = 10 * kCylinder - 1;
            info->newPartition.Primary = 1;
            info->nLastPage = RESTORE_PAGE_RESTORE_MODE;
            show(RESTORE_PAGE_EDIT_PARTITION, "edit");
            info->nLastPage = RESTORE_PAGE_EDIT_PARTITION;
            show(RESTORE_PAGE_DRIVE_LETTER, "drive-letter");
            // The whole disk restored: the disk page lists the five disks.
            info->SetVolumes({&tasque->volumes[0], &tasque->volumes[1], nullptr});
            info->bDiskRestore = 1;
            info->nLastPage = RESTORE_PAGE_IMAGE_PARTITION;
            show(RESTORE_PAGE_TARGET_DISK, "target-disk");
            info->SetVolumes({&tasque->volumes[0]});
            info->bDiskRestore = 0;
            info->nLastPage = RESTORE_PAGE_DRIVE_LETTER;
            info->newPartition.DriveLetter = 'E';
            show(RESTORE_PAGE_SUMMARY, "summary");
            show(RESTORE_PAGE_PROGRESS, "progress");
            // The run is a stand-in's: the wizard is ended as the page ends it.
            wizard->DestoryDlg();
        },
        60000);
    wizard->SetCurrentPage(0);
    wizard->RunDlg();
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(answerer.TimedOut());
    EXPECT_EQ(pagesSeen, RESTORE_PAGE_COUNT);
}

TEST_F(WizardLayoutGui, EveryCheckPageShowsAllItsControls)
{
    auto owned = std::make_unique<CScriptedTasque>();
    CScriptedTasque* tasque = owned.get();
    ScriptSet(*tasque);
    // The check runs for a few seconds, then the checker reports it cancelled.
    for (uint32_t i = 0; i < 20; ++i)
        tasque->checkTimeline.push_back(Running(i));
    tasque->checkTimeline.push_back(Running(20));
    tasque->checkTimeline.back().State = 4;
    BoxAnswerer boxes({"Question", "Information"});
    auto* wizard = new CChkImgWizard(nullptr, tasque);
    int pagesSeen = 0;
    ModalDialogAnswerer answerer(
        [&](GtkDialog*) {
            GtkWidget* dialog = wizard->GetDlg();
            ExpectAllControlsShown(dialog, "check-0-select-empty");
            auto* select = static_cast<CSelectVolumePage*>(wizard->GetPageObject(0));
            gtk_entry_set_text(GTK_ENTRY(select->FileNameEntry()), image.c_str());
            gui_wait::Settle();
            ExpectAllControlsShown(dialog, "check-0-select");
            ++pagesSeen;
            gui_events::Click(wizard->NextButton());
            gui_wait::Settle();
            EXPECT_EQ(wizard->GetCurrentPage(), 1);
            ExpectAllControlsShown(dialog, "check-1-summary");
            ++pagesSeen;
            gui_events::Click(wizard->NextButton());
            gui_wait::Settle();
            EXPECT_EQ(wizard->GetCurrentPage(), 2);
            ExpectAllControlsShown(dialog, "check-2-progress");
            ++pagesSeen;
            gui_wait::Until([&] { return wizard->GetDlg() == nullptr; }, 15000);
        },
        60000);
    wizard->SetCurrentPage(0);
    wizard->RunDlg();
    EXPECT_FALSE(answerer.TimedOut());
    EXPECT_EQ(pagesSeen, 3);
    delete wizard;
}

namespace {

FiveDisks* g_clone = nullptr;
std::vector<std::unique_ptr<CScriptedTasque>> g_cloneCommands;

class FiveDiskCensa : public ICensa {
public:
    unsigned long Init() override { return 0; }
    unsigned long GetDiskCount(unsigned long long* count) override
    {
        *count = g_clone->disks.size();
        return 0;
    }
    unsigned long GetDiskInfo(unsigned long long disk, _KS_DISK_INFO* info) override
    {
        if (disk >= g_clone->disks.size())
            return 1;
        *info = g_clone->disks[disk];
        return 0;
    }
    unsigned long GetPartitionCount(unsigned long long disk, unsigned long long* count) override
    {
        *count = disk < g_clone->partitions.size() ? g_clone->partitions[disk].size() : 0;
        return 0;
    }
    unsigned long GetPartitionInfo(unsigned long long disk, unsigned long long partition, _KS_PARTITION_INFO* info,
                                   unsigned long long*) override
    {
        if (disk >= g_clone->partitions.size() || partition >= g_clone->partitions[disk].size())
            return 1;
        *info = g_clone->partitions[disk][partition];
        return 0;
    }
    std::string GetDiskPath(unsigned long long) override { return ""; }
    unsigned long Stop() override { return 0; }
};
FiveDiskCensa g_fiveDiskCensa;

ITasque* MakeCloneCommand()
{
    auto command = std::make_unique<CScriptedTasque>();
    g_clone->Script(*command);
    // The copy runs for a few seconds, then the engine reports it cancelled.
    for (uint32_t i = 0; i < 20; ++i)
        command->restoreTimeline.push_back(Running(i));
    command->restoreTimeline.push_back(Running(20));
    command->restoreTimeline.back().State = 4;
    g_cloneCommands.push_back(std::move(command));
    return g_cloneCommands.back().get();
}

ICensa* FiveDiskCensaSource()
{
    return &g_fiveDiskCensa;
}

IVessmarModule* FiveDiskTree()
{
    return &g_clone->tree;
}

} // namespace

TEST_F(WizardLayoutGui, EveryClonePageShowsAllItsControls)
{
    g_clone = &disks;
    SetCloneCommandFactory(MakeCloneCommand);
    SetCloneCensaSource(FiveDiskCensaSource);
    SetCloneVessmarOpener(FiveDiskTree);
    // The scripted run needs none of the copiers a real one loads first.
    SetCloneModuleProbe([](const char*) { return true; });
    GtkWidget* parent = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    ShowAndSettle(parent);
    const auto on = [](CLONE_WIZARD_PAGE page) {
        return CCloneWizard::Running() != nullptr && CCloneWizard::Running()->CurrentPage() == page;
    };
    const auto dialog = [] { return CCloneWizard::Running()->GetDlgWidget(); };
    const auto next = [] { return CCloneWizard::Running()->Footer().NextWidget(); };
    const auto check = [&](const char* name) {
        return [&, name] { ExpectAllControlsShown(dialog(), std::string("clone-") + name); };
    };
    BoxAnswerer boxes({"Warning", "Cancel operation"});
    std::vector<CloneGuiStep> steps = {
        {"source page", [&] { return on(CLONE_PAGE_SOURCE_SELECT); }, check("0-source")},
        {"whole disk names", [] { return true; },
         [] {
             // The Device column holds "Disk 5" beside its icon, not "Disk :".
             auto* page = static_cast<CCloneSourceSelectPage*>(CCloneWizard::Running()->Page(CLONE_PAGE_SOURCE_SELECT));
             GtkWidget* view = page->DeviceList().GetDeviceListWidget();
             PangoLayout* text = gtk_widget_create_pango_layout(view, "Disk 5");
             int width = 0, height = 0;
             pango_layout_get_pixel_size(text, &width, &height);
             g_object_unref(text);
             GtkTreeViewColumn* device = gtk_tree_view_get_column(GTK_TREE_VIEW(view), 0);
             EXPECT_GE(gtk_tree_view_column_get_width(device), 16 + width + 8);
         }},
        {"next to destination", [&] { return Sensitive(next()); }, [&] { gui_events::Click(next()); }},
        {"destination page", [&] { return on(CLONE_PAGE_TARGET_SELECT) && Sensitive(next()); }, check("1-destination")},
        {"next to description", [] { return true; }, [&] { gui_events::Click(next()); }},
        {"description page", [&] { return on(CLONE_PAGE_TASK_DESCRIPTION); }, check("2-description")},
        {"next to progress", [] { return true; }, [&] { gui_events::Click(next()); }},
        {"progress page", [&] { return on(CLONE_PAGE_TASK_PROGRESS); }, check("3-progress")},
        // The scripted run ends cancelled by the engine, which a box reports before the
        // wizard closes.
        {"the engine's cancel reported", [] { return VisibleDialog("Error") != nullptr; },
         [] { ClickDialogResponse(VisibleDialog("Error"), DLG_RESULT_OK); }},
    };
    CloneGuiDriver driver(std::move(steps), 20000);
    RunCloneWizardLifecycle(new CCloneWizard(parent, "Disk Clone Wizard", 640, -1), CCloneDataBase::Instance());
    driver.CheckAfterClose();
    EXPECT_EQ(driver.Stuck(), "");
    EXPECT_TRUE(driver.Finished());
    if (CCloneWizard::Running() != nullptr) {
        CCloneWizard::Running()->OnQuitClicked();
    }
    SetCloneCommandFactory(nullptr);
    SetCloneCensaSource(nullptr);
    SetCloneVessmarOpener(nullptr);
    SetCloneModuleProbe(nullptr);
    g_cloneCommands.clear();
    g_clone = nullptr;
}

TEST_F(WizardLayoutGui, TheConsolesDialogsShowAllTheirControls)
{
    const auto check = [](CBaseDialog& dialog, const std::string& name) {
        bool seen = false;
        ModalDialogAnswerer answerer([&](GtkDialog* d) {
            ExpectAllControlsShown(GTK_WIDGET(d), "dialog-" + name);
            seen = true;
            gtk_dialog_response(d, DLG_RESULT_OK);
        });
        dialog.RunDlg();
        EXPECT_TRUE(seen) << name;
    };
    {
        CAboutDlg about(nullptr, product_texts::kAboutTitle, product_texts::kAboutWidth, product_texts::kAboutHeight);
        check(about, "about");
    }
    {
        CNewVersionDlg newVersion(nullptr, "New version", 420, -1, "1.1", "1.2", "http://www.zendrel.example/news",
                                  true);
        check(newVersion, "new-version");
    }
    {
        CGtkMessageBox box(nullptr, "Warning", GTK_MB_ICON_WARNING, GTK_MB_YESNO,
                           "Note:\nThis operation will delete all the data on the destination disk ,\n"
                           "please click \"Yes\" to continue or \"No\" to cancel.");
        check(box, "message-box");
    }
}
