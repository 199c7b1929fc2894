// The clone wizard on screen over stand-ins: a disk enumeration of records, the
// wizards' scripted command object and in-memory device tree. Every page is walked
// with real input; the four pages, the boxes and the finished log are saved under
// artifacts/.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "CCloneDataBase.h"
#include "CCloneWizard.h"
#include "CMemoryVessmar.h"
#include "CScriptedTasque.h"
#include "CloneGuiDriver.h"
#include "CloneServices.h"
#include "CloneWizardLifecycle.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ICensa.h"
#include "ClonePlanCheck.h"
#include "CloneDiskRules.h"
#include "CHelpViewerLauncher.h"
#include "CloneProgressTexts.h"
#include "CloneRecordsBuilder.h"
#include "MsgLib.h"

#include <gdk/gdkkeysyms.h>

namespace {

constexpr uint64_t kCyl = 16065;

_KS_DISK_INFO Disk(uint64_t sectors, uint16_t type = 2, const char* model = "STAND-IN DISK")
{
    _KS_DISK_INFO d = TestDisk(sectors);
    std::strncpy(d.ModelName, model, sizeof d.ModelName - 1);
    d.DiskType = type;
    d.InterfaceType = 3;
    return d;
}

_KS_PARTITION_INFO Part(uint32_t fs, uint8_t type, uint64_t start, uint64_t count, uint64_t used, bool primary,
                        uint64_t hidden, uint8_t flags = 0)
{
    return TestPart(fs, type, start, count, used, primary, hidden, flags, 8);
}

// The disks every stand-in shows alike.
struct StandInDisks {
    std::vector<CloneDiskRecords> disks;
};
StandInDisks* g_disks = nullptr;

class RecordCensa : public ICensa {
public:
    unsigned long Init() override { return 0; }
    unsigned long GetDiskCount(unsigned long long* count) override
    {
        *count = g_disks->disks.size();
        return 0;
    }
    unsigned long GetDiskInfo(unsigned long long disk, _KS_DISK_INFO* info) override
    {
        if (disk >= g_disks->disks.size())
            return 1;
        *info = g_disks->disks[disk].disk;
        return 0;
    }
    unsigned long GetPartitionCount(unsigned long long disk, unsigned long long* count) override
    {
        *count = disk < g_disks->disks.size() ? g_disks->disks[disk].partitions.size() : 0;
        return 0;
    }
    unsigned long GetPartitionInfo(unsigned long long disk, unsigned long long partition, _KS_PARTITION_INFO* info,
                                   unsigned long long*) override
    {
        if (disk >= g_disks->disks.size() || partition >= g_disks->disks[disk].partitions.size())
            return 1;
        *info = g_disks->disks[disk].partitions[partition];
        return 0;
    }
    std::string GetDiskPath(unsigned long long) override { return ""; }
    unsigned long Stop() override { return 0; }
};

class RecordingHelp : public IHelpViewerProcesses {
public:
    pid_t Start(const std::string&, const std::string& topic) override
    {
        topics.push_back(topic);
        return 4242 + static_cast<pid_t>(topics.size());
    }
    void Signal(pid_t, int) override {}
    bool ReapIfEnded(pid_t, int*) override { return false; }
    std::vector<std::string> topics;
};
RecordingHelp* g_helpRecord = nullptr;

// Every command object a page makes, with the run's script.
struct CommandPool {
    CMemoryVessmar* tree = nullptr;
    std::vector<_KS_PROGRESS_INFO> timeline;
    std::vector<std::unique_ptr<CScriptedTasque>> made;
};
CommandPool* g_pool = nullptr;
RecordCensa g_censa;

ITasque* MakeCommand()
{
    auto command = std::make_unique<CScriptedTasque>();
    command->UseTree(g_pool->tree);
    for (const CloneDiskRecords& d : g_disks->disks) {
        command->disks.push_back(d.disk);
        command->partitions.push_back(d.partitions);
    }
    command->restoreTimeline = g_pool->timeline;
    g_pool->made.push_back(std::move(command));
    return g_pool->made.back().get();
}

ICensa* Censa()
{
    return &g_censa;
}

CMemoryVessmar* g_tree = nullptr;
IVessmarModule* OpenTree()
{
    return g_tree;
}
IVessmarModule* NoTree()
{
    return nullptr;
}

_KS_PROGRESS_INFO Progress(uint32_t state, uint16_t count, uint16_t current, uint32_t total, uint32_t item,
                           uint32_t result = 0)
{
    _KS_PROGRESS_INFO p;
    std::memset(&p, 0, sizeof p);
    p.State = state;
    p.ItemCount = count;
    p.CurrentItem = current;
    p.OverallPercent = total;
    p.ItemPercent = item;
    p.Result = result;
    return p;
}

class CloneWizardGui : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        // The disk map reads the real enumeration: it is given no disk at all.
        setenv("RVD_DISK_IMAGES", "/nonexistent-clone-disk", 1);
        disks.disks = {
            {Disk(kCyl * 17, 2, "SOURCE DISK"),
             {Part(FILE_SYSTEM_FAT16, 0x06, 63, 80262, 3000, true, 63, 0x01),
              Part(FILE_SYSTEM_NTFS, 0x07, 80325, 64260, 6000, true, 0),
              Part(FILE_SYSTEM_FAT32, 0x0B, 144648, 96327, 4000, false, 63),
              Part(FILE_SYSTEM_OTHER, 0x83, 241038, 16002, 0, false, 1)}},
            {Disk(kCyl * 20, 2, "LARGER DISK"), {Part(FILE_SYSTEM_FAT32, 0x0C, 2048, kCyl * 19, 100, true, 0)}},
            {Disk(kCyl * 20, 1, "GPT DISK"), {}},
            {Disk(kCyl, 2, "TINY DISK"), {}},
        };
        g_disks = &disks;
        source = tree.AddDisk(kCyl * 17);
        target = tree.AddDisk(kCyl * 20);
        MemoryPartitionData old;
        old.start = 2048;
        old.count = kCyl * 19;
        old.type = 0x0C;
        old.fs = FILE_SYSTEM_FAT32;
        target->Add(old);
        target->Write();
        tree.AddDisk(kCyl * 20);
        tree.AddDisk(kCyl);
        pool.tree = &tree;
        g_pool = &pool;
        g_tree = &tree;
        SetCloneCommandFactory(MakeCommand);
        SetCloneCensaSource(Censa);
        SetCloneVessmarOpener(OpenTree);
        // The stand-in engine loads no module.
        SetCloneModuleProbe(+[](const char*) { return true; });
        CHelpViewerLauncher::Instance().UseProcesses(&help);
        g_helpRecord = &help;
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 200, 100);
        ShowAndSettle(window);
    }

    void TearDown() override
    {
        CHelpViewerLauncher::Instance().UseProcesses(nullptr);
        SetCloneCommandFactory(nullptr);
        SetCloneCensaSource(nullptr);
        SetCloneVessmarOpener(nullptr);
        SetCloneModuleProbe(nullptr);
        gtk_widget_destroy(window);
        GuiTest::TearDown();
    }

    // Runs the wizard the way every launcher does, with the driver inside its loop.
    void Run(std::vector<CloneGuiStep> steps)
    {
        CloneGuiDriver driver(std::move(steps));
        RunCloneWizardLifecycle(new CCloneWizard(window, "Disk Clone Wizard", 640, -1), CCloneDataBase::Instance());
        driver.CheckAfterClose();
        EXPECT_EQ(driver.Stuck(), "");
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(CCloneWizard::Running(), nullptr);
    }

    static CCloneWizard* W() { return CCloneWizard::Running(); }
    static bool On(CLONE_WIZARD_PAGE page) { return W() != nullptr && W()->CurrentPage() == page; }
    static GtkWidget* Next() { return W()->Footer().NextWidget(); }
    static GtkWidget* Back() { return W()->Footer().BackWidget(); }
    static GtkWidget* Quit() { return W()->Footer().QuitWidget(); }
    static GtkWidget* Dialog() { return W()->GetDlgWidget(); }
    template <class Page>
    static Page* PageOf(CLONE_WIZARD_PAGE id)
    {
        return static_cast<Page*>(W()->Page(id));
    }
    static CloneGuiStep Click(const std::string& what, std::function<bool()> ready, std::function<GtkWidget*()> widget)
    {
        return {what, std::move(ready), [widget] { gui_events::Click(widget()); }};
    }
    static CloneGuiStep Box(const std::string& title, const std::string& text, int response,
                            const std::string& artifact = "")
    {
        return {"box " + title,
                [title] { return VisibleDialog(title.c_str()) != nullptr; },
                [title, text, response, artifact] {
                    GtkWidget* box = VisibleDialog(title.c_str());
                    EXPECT_EQ(MessageText(box), text) << title;
                    if (!artifact.empty())
                        SaveArtifact(box, artifact);
                    ClickDialogResponse(box, response);
                }};
    }
    // From the source page to the progress page with disk 0 onto disk 1.
    static std::vector<CloneGuiStep> ToProgress()
    {
        return {
            {"source list", [] { return On(CLONE_PAGE_SOURCE_SELECT); },
             [] { ClickTreeRow(PageOf<CCloneSourceSelectPage>(CLONE_PAGE_SOURCE_SELECT)->DeviceList().GetDeviceListWidget(), 0); }},
            Click("next to destination", [] { return Sensitive(Next()); }, Next),
            Click("next to description", [] { return On(CLONE_PAGE_TARGET_SELECT) && Sensitive(Next()); }, Next),
            Click("next to the question", [] { return On(CLONE_PAGE_TASK_DESCRIPTION); }, Next),
            Box("Warning", "Note:\nThis operation will delete all the data on the destination disk ,\n"
                           "please click \"Yes\" to continue or \"No\" to cancel.", DLG_RESULT_OK),
        };
    }

    StandInDisks disks;
    CMemoryVessmar tree;
    CMemoryDisk* source = nullptr;
    CMemoryDisk* target = nullptr;
    CommandPool pool;
    RecordingHelp help;
    GtkWidget* window = nullptr;
};

TEST_F(CloneWizardGui, EveryPageIsWalkedWithItsRulesAndTheRunFinishes)
{
    pool.timeline = {Progress(1, 0, 0, 0, 0), Progress(2, 5, 0, 10, 50), Progress(2, 5, 1, 30, 20),
                     Progress(2, 5, 2, 60, 70), Progress(2, 5, 3, 80, 10), Progress(2, 5, 4, 95, 100),
                     Progress(3, 5, 4, 100, 100, 0)};
    Run({
        {"source page, Back insensitive", [] { return On(CLONE_PAGE_SOURCE_SELECT); },
         [] { EXPECT_FALSE(Sensitive(Back())); }},
        {"the GPT disk", [] { return On(CLONE_PAGE_SOURCE_SELECT); },
         [] { ClickTreeRow(PageOf<CCloneSourceSelectPage>(CLONE_PAGE_SOURCE_SELECT)->DeviceList().GetDeviceListWidget(), 2); }},
        {"GPT refused", [] { return PageOf<CCloneSourceSelectPage>(CLONE_PAGE_SOURCE_SELECT)->DeviceList().GetSelectDisk() == 2; },
         [] {
             EXPECT_TRUE(On(CLONE_PAGE_SOURCE_SELECT));
             EXPECT_FALSE(Sensitive(Next()));
             gui_events::TapKey(GDK_Return); // does nothing while Next is insensitive
             gui_events::TapKey(GDK_F1);
         }},
        {"the source disk", [] { return !g_helpRecord->topics.empty(); },
         [] {
             EXPECT_TRUE(On(CLONE_PAGE_SOURCE_SELECT)) << "Return with Next insensitive moved the wizard";
             ClickTreeRow(PageOf<CCloneSourceSelectPage>(CLONE_PAGE_SOURCE_SELECT)->DeviceList().GetDeviceListWidget(), 0); }},
        {"source page shot", [] { return Sensitive(Next()); }, [] { SaveArtifact(Dialog(), "clone-source-page.png"); }},
        Click("next", nullptr, Next),
        {"destination page", [] { return On(CLONE_PAGE_TARGET_SELECT); },
         [] {
             // Disk 0 is the source: disk 1 is preselected.
             EXPECT_EQ(PageOf<CCloneTargetSelectPage>(CLONE_PAGE_TARGET_SELECT)->DeviceList().GetSelectDisk(), 1);
             EXPECT_TRUE(Sensitive(Back()));
             SaveArtifact(Dialog(), "clone-destination-page.png");
         }},
        Click("back", nullptr, Back),
        {"source again, not initialised again", [] { return On(CLONE_PAGE_SOURCE_SELECT); },
         [] {
             EXPECT_FALSE(Sensitive(Back()));
             EXPECT_TRUE(Sensitive(Next()));
         }},
        Click("next again", nullptr, Next),
        {"the source itself", [] { return On(CLONE_PAGE_TARGET_SELECT); },
         [] { ClickTreeRow(PageOf<CCloneTargetSelectPage>(CLONE_PAGE_TARGET_SELECT)->DeviceList().GetDeviceListWidget(), 0); }},
        {"source refused as destination", [] { return !Sensitive(Next()); },
         [] { ClickTreeRow(PageOf<CCloneTargetSelectPage>(CLONE_PAGE_TARGET_SELECT)->DeviceList().GetDeviceListWidget(), 3); }},
        Click("the tiny disk", [] { return Sensitive(Next()); }, Next),
        Box(kCloneMessageTitle, kCloneTargetTooSmallText, DLG_RESULT_OK, "clone-too-small-box.png"),
        {"still on the destination page", [] { return VisibleDialog(kCloneMessageTitle) == nullptr; },
         [] {
             EXPECT_TRUE(On(CLONE_PAGE_TARGET_SELECT));
             ClickTreeRow(PageOf<CCloneTargetSelectPage>(CLONE_PAGE_TARGET_SELECT)->DeviceList().GetDeviceListWidget(), 1);
         }},
        Click("next to description", [] { return PageOf<CCloneTargetSelectPage>(CLONE_PAGE_TARGET_SELECT)->DeviceList().GetSelectDisk() == 1 && Sensitive(Next()); }, Next),
        {"description page", [] { return On(CLONE_PAGE_TASK_DESCRIPTION); },
         [] {
             EXPECT_EQ(CCloneDataBase::Instance()->GetAddParNumber(), 4);
             SaveArtifact(Dialog(), "clone-description-page.png");
             gui_events::Click(Next());
         }},
        Box("Warning", "Note:\nThis operation will delete all the data on the destination disk ,\n"
                       "please click \"Yes\" to continue or \"No\" to cancel.", DLG_RESULT_CANCEL,
            "clone-delete-question-box.png"),
        Click("No kept the page; next again",
              [] { return VisibleDialog("Warning") == nullptr && On(CLONE_PAGE_TASK_DESCRIPTION); }, Next),
        Box("Warning", "Note:\nThis operation will delete all the data on the destination disk ,\n"
                       "please click \"Yes\" to continue or \"No\" to cancel.", DLG_RESULT_OK),
        {"progress page", [] { return On(CLONE_PAGE_TASK_PROGRESS); },
         [] {
             EXPECT_FALSE(Sensitive(Back()));
             EXPECT_FALSE(GTK_WIDGET_VISIBLE(W()->Footer().HelpWidget()));
             EXPECT_FALSE(GTK_WIDGET_VISIBLE(W()->Header().GetWizardHeaderInterface()));
             gui_events::TapKey(GDK_F1); // no help here
         }},
        {"the progress shot", [] { return PageOf<CCloneTaskProgressPage>(CLONE_PAGE_TASK_PROGRESS)->TotalBar().GetPos() >= 0.6; },
         [] { SaveArtifact(Dialog(), "clone-progress-page.png"); }},
        Box("Success", kCloneSuccessText, DLG_RESULT_OK, "clone-success-box.png"),
        {"finished log", [] { return VisibleDialog("Success") == nullptr && Sensitive(Next()); },
         [] {
             CCloneTaskProgressPage* page = PageOf<CCloneTaskProgressPage>(CLONE_PAGE_TASK_PROGRESS);
             const std::string log = page->LogText();
             EXPECT_NE(log.find("Summary"), std::string::npos);
             EXPECT_NE(log.find("From : Hard disk 1"), std::string::npos);
             EXPECT_NE(log.find("Partition: 3"), std::string::npos);
             EXPECT_EQ(log.find("Partition: 4"), std::string::npos) << "the boot track is never announced";
             EXPECT_FALSE(Sensitive(Quit()));
             EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(Next())), "_Finish");
             SaveArtifact(Dialog(), "clone-finished-log.png");
             gui_events::Click(Next());
         }},
    });
    EXPECT_EQ(CCloneDataBase::Instance()->GetEndSign(), 1);
    EXPECT_EQ(help.topics, std::vector<std::string>{"CLONE_DISK"});
    // The destination holds the planned partitions, written once.
    EXPECT_EQ(target->writes, 2);
    ASSERT_NE(target->FindByStart(241038), nullptr);
    EXPECT_EQ(target->FindByStart(241038)->d.count, 16002u);
    EXPECT_TRUE(target->FindByStart(63)->d.active);
    // Every command object a page made was released, once.
    ASSERT_FALSE(pool.made.empty());
    for (const auto& command : pool.made)
        EXPECT_EQ(command->Releases(), 1);
    size_t copies = 0;
    for (const auto& command : pool.made)
        copies += command->CountOf(TasqueOp::AddDiskRestore);
    EXPECT_EQ(copies, 5u);
}

TEST_F(CloneWizardGui, CancelConfirmedMidRunClosesTheWizardOnceTheEngineSaysSo)
{
    pool.timeline.assign(40, Progress(2, 5, 1, 20, 40));
    pool.timeline.push_back(Progress(4, 5, 1, 20, 40));
    std::vector<CloneGuiStep> steps = ToProgress();
    steps.push_back(Click("cancel", [] { return On(CLONE_PAGE_TASK_PROGRESS); }, Quit));
    steps.push_back(Box(kCloneCancelTitle, kCloneCancelText, DLG_RESULT_OK, "clone-cancel-question-box.png"));
    steps.push_back({"cancel insensitive", [] { return W() == nullptr || !Sensitive(Quit()); },
                     [] {
                         if (W() != nullptr)
                             W()->OnQuitClicked(); // a second Cancel asks nothing
                     }});
    Run(steps);
    EXPECT_EQ(CCloneDataBase::Instance()->GetEndSign(), 1);
    size_t cancels = 0;
    for (const auto& command : pool.made)
        cancels += command->CountOf(TasqueOp::RestoreUserCancel);
    EXPECT_EQ(cancels, 1u);
}

TEST_F(CloneWizardGui, ARunTheEngineCancelsOnItsOwnIsReportedBeforeTheWizardCloses)
{
    const struct {
        uint32_t result;
        const char* text; // null: the message library's text of the result
    } cases[] = {{0, kCloneEngineCancelledText}, {0x00051059, nullptr}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.result);
        pool.timeline.assign(10, Progress(2, 5, 1, 20, 40));
        pool.timeline.push_back(Progress(4, 5, 1, 20, 40, k.result));
        std::string shown;
        std::vector<CloneGuiStep> steps = ToProgress();
        steps.push_back({"the box", [] { return VisibleDialog("Error") != nullptr; },
                         [&shown] {
                             shown = MessageText(VisibleDialog("Error"));
                             ClickDialogResponse(VisibleDialog("Error"), DLG_RESULT_OK);
                         }});
        Run(steps);
        if (k.text != nullptr) {
            EXPECT_EQ(shown, k.text);
        } else {
            // The code's text where the message library has one.
            char text[301] = "";
            EXPECT_EQ(shown, ZeFormatFullMessage(k.result, 300, text) ? text : kCloneEngineCancelledText);
        }
        EXPECT_EQ(CCloneDataBase::Instance()->GetEndSign(), 1);
        size_t cancels = 0;
        for (const auto& command : pool.made)
            cancels += command->CountOf(TasqueOp::RestoreUserCancel);
        EXPECT_EQ(cancels, 0u);
    }
}

TEST_F(CloneWizardGui, FinishingWhileTheCancelQuestionIsOpenEndsTheQuestionAndReports)
{
    pool.timeline.assign(25, Progress(2, 5, 1, 20, 40));
    pool.timeline.push_back(Progress(3, 5, 4, 100, 100, 0x00051009));
    std::vector<CloneGuiStep> steps = ToProgress();
    steps.push_back(Click("cancel", [] { return On(CLONE_PAGE_TASK_PROGRESS); }, Quit));
    steps.push_back({"question up, left unanswered", [] { return VisibleDialog(kCloneCancelTitle) != nullptr; }, nullptr});
    steps.push_back({"the report replaces it", [] { return VisibleDialog("Error") != nullptr; },
                     [] {
                         EXPECT_EQ(VisibleDialog(kCloneCancelTitle), nullptr);
                         SaveArtifact(VisibleDialog("Error"), "clone-error-box.png");
                         ClickDialogResponse(VisibleDialog("Error"), DLG_RESULT_OK);
                     }});
    steps.push_back(Click("finish", [] { return VisibleDialog("Error") == nullptr && Sensitive(Next()); }, Next));
    Run(steps);
    size_t cancels = 0;
    for (const auto& command : pool.made)
        cancels += command->CountOf(TasqueOp::RestoreUserCancel);
    EXPECT_EQ(cancels, 0u);
}

TEST_F(CloneWizardGui, APartitionThatCannotBeMadeLeavesTheDestinationAsItWasAndCancelCloses)
{
    target->refuseCreates = 10; // the first partition's ten attempts
    std::vector<CloneGuiStep> steps = ToProgress();
    char text[200];
    std::snprintf(text, sizeof text, kClonePartitionFailedText, 0);
    steps.push_back(Box("Error", text, DLG_RESULT_OK, "clone-partition-failed-box.png"));
    steps.push_back(Click("cancel closes", [] { return VisibleDialog("Error") == nullptr && Sensitive(Quit()); }, Quit));
    Run(steps);
    EXPECT_EQ(target->writes, 1);
    EXPECT_EQ(tree.refreshes, 1);
    ASSERT_NE(target->FindByStart(2048), nullptr) << "the old partition is back";
    size_t copies = 0;
    for (const auto& command : pool.made)
        copies += command->CountOf(TasqueOp::AddDiskRestore);
    EXPECT_EQ(copies, 0u);
    EXPECT_EQ(CCloneDataBase::Instance()->GetEndSign(), 1);
}

TEST_F(CloneWizardGui, WithoutTheDeviceManagerTheErrorShowsAndCancelCloses)
{
    SetCloneVessmarOpener(NoTree);
    std::vector<CloneGuiStep> steps = ToProgress();
    steps.push_back(Box("Error", kCloneNoManagerText, DLG_RESULT_OK));
    steps.push_back(Click("cancel closes", [] { return VisibleDialog("Error") == nullptr; }, Quit));
    Run(steps);
    EXPECT_EQ(target->writes, 1);
    EXPECT_EQ(CCloneDataBase::Instance()->GetEndSign(), 1);
}

TEST_F(CloneWizardGui, APlanTheDestinationCannotHoldIsRefusedOnTheDescriptionPage)
{
    // The destination page counts the FAT12 volume by its used sectors; the plan keeps
    // its full size, which the 20,000-sector disk cannot hold.
    disks.disks[0].partitions = {Part(FILE_SYSTEM_FAT12, 0x01, 63, 30000, 100, true, 63)};
    disks.disks[1].disk.TotalSectors = 20000;
    std::vector<CloneGuiStep> steps = ToProgress();
    steps.pop_back(); // no question: the plan is refused first
    steps.push_back(Box(kCloneMessageTitle, kCloneTargetTooSmallText, DLG_RESULT_OK));
    steps.push_back({"still on the description page", [] { return VisibleDialog(kCloneMessageTitle) == nullptr; },
                     [] {
                         EXPECT_TRUE(On(CLONE_PAGE_TASK_DESCRIPTION));
                         gui_events::Click(Quit());
                     }});
    Run(steps);
    EXPECT_EQ(target->writes, 1);
}

TEST_F(CloneWizardGui, TheCloseBoxActsAsCancel)
{
    Run({{"close box", [] { return On(CLONE_PAGE_SOURCE_SELECT); },
          [] {
              GdkEvent* event = gdk_event_new(GDK_DELETE);
              event->any.window = GDK_WINDOW(g_object_ref(Dialog()->window));
              event->any.send_event = TRUE;
              gtk_main_do_event(event);
              gdk_event_free(event);
          }}});
    EXPECT_EQ(CCloneDataBase::Instance()->GetEndSign(), 1);
    EXPECT_EQ(CCloneDataBase::Instance()->GetCloseSign(), 1);
}

} // namespace
