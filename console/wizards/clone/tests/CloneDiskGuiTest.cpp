// Clones over disk images, end to end: the console's launcher runs the device scan and
// the wizard, the pages are walked with real input, and the real disk enumeration,
// command channel, device manager and restore engine do the work. Outside tools then
// check the destination: its table against the plan the description page showed, the
// file systems, every file, the raw partition, the boot code, and the source untouched.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "CCloneDataBase.h"
#include "CCloneWizard.h"
#include "CHelpViewerLauncher.h"
#include "CLogWriter.h"
#include "CloneDiskRules.h"
#include "CloneGuiDriver.h"
#include "ClonePlanCheck.h"
#include "CloneProgressTexts.h"
#include "CloneServices.h"
#include "CScriptedTasque.h"
#include "ITasque.h"
#include "CommandOutput.h"
#include "COperationLauncher.h"
#include "FixtureImage.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"

namespace {

// The last two are the console's demo disks (scripts/run-console.sh).
enum Disk { kSource, kLarger, kSmaller, kTight, kTiny, kGpt, kSnug, kDemo0, kDemo1, kDiskCount };
const char* const kScripts[kDiskCount] = {"clone/clone-source-disk.sh", "clone/clone-target-larger.sh",
                                         "clone/clone-target-smaller.sh", "clone/clone-target-tight.sh",
                                         "clone/clone-target-tiny.sh", "clone/clone-target-gpt.sh",
                                         "clone/clone-target-snug.sh", "demo/demo-disk-0.sh",
                                         "demo/demo-disk-1.sh"};
const char* const kNames[kDiskCount] = {"clone-source.img", "clone-larger.img", "clone-smaller.img",
                                       "clone-tight.img", "clone-tiny.img", "clone-gpt.img", "clone-snug.img",
                                       "demo-disk-0.img", "demo-disk-1.img"};

std::string g_folder;
std::string g_paths[kDiskCount];

std::string Sh(const std::string& command)
{
    return CommandOutput(command + " 2>&1");
}

int Quiet(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str());
}

std::string Sha(const std::string& path)
{
    return Sh("sha256sum < '" + path + "'");
}

// The description page's plan, kept when the page is left.
CloneLayoutPlan g_plan;

class RecordingHelp : public IHelpViewerProcesses {
public:
    pid_t Start(const std::string&, const std::string&) override { return 4343; }
    void Signal(pid_t, int) override {}
    bool ReapIfEnded(pid_t, int*) override { return false; }
};
RecordingHelp g_help;

// Real command objects whose engine refuses the second copy item handed to it.
std::vector<std::unique_ptr<CScriptedTasque>> g_refusing;
ITasque* RefusingSecondItem()
{
    g_refusing.push_back(std::make_unique<CScriptedTasque>(CreateTasqueObj()));
    g_refusing.back()->FailCall(TasqueOp::AddDiskRestore, 0x00051009, 2);
    return g_refusing.back().get();
}

class CloneDiskGui : public GuiTest {
protected:
    static void SetUpTestSuite()
    {
        GuiTest::SetUpTestSuite();
        char pattern[] = "/tmp/clone-disks-XXXXXX";
        g_folder = mkdtemp(pattern);
        std::string list;
        for (int d = 0; d < kDiskCount; ++d) {
            const std::string fixture = MakeFixtureImage(kScripts[d], kNames[d]);
            ASSERT_FALSE(fixture.empty()) << kScripts[d];
            g_paths[d] = g_folder + "/" + kNames[d];
            ASSERT_EQ(Quiet("cp --sparse=always '" + fixture + "' '" + g_paths[d] + "'"), 0);
            list += (d ? ":" : "") + g_paths[d];
        }
        // The disk map names these images and nothing else, for every module alike.
        setenv("RVD_DISK_IMAGES", list.c_str(), 1);
    }

    static void TearDownTestSuite()
    {
        Quiet("rm -rf '" + g_folder + "'");
        GuiTest::TearDownTestSuite();
    }

    void SetUp() override
    {
        GuiTest::SetUp();
        // The working directory is the console's bin/: the modules it loads by name
        // lie there, as they ship beside the console.
        for (const std::string module :
             {VESSMAR_MODULE_FILE, TILLORY_MODULE_FILE, COMMON_MODULE_FILE, BRASKET_MODULE_FILE}) {
            const std::string link = module.substr(module.rfind('/') + 1);
            if (access(link.c_str(), F_OK) != 0) {
                ASSERT_EQ(symlink(module.c_str(), link.c_str()), 0) << link;
            }
        }
        CHelpViewerLauncher::Instance().UseProcesses(&g_help);
        CLogWriter::StartCapture();
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 200, 100);
        ShowAndSettle(window);
        sourceBefore = Sha(g_paths[kSource]);
    }

    void TearDown() override
    {
        EXPECT_EQ(Sha(g_paths[kSource]), sourceBefore) << "the source stays byte-identical";
        CHelpViewerLauncher::Instance().UseProcesses(nullptr);
        gtk_widget_destroy(window);
        GuiTest::TearDown();
    }

    // The console's launcher: device scan, then the wizard, driven by the steps.
    void Launch(std::vector<CloneGuiStep> steps, int stepTimeoutMs = 120000)
    {
        CloneGuiDriver driver(std::move(steps), stepTimeoutMs);
        COperationLauncher::Instance().StartClone(window);
        driver.CheckAfterClose();
        EXPECT_EQ(driver.Stuck(), "");
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(CCloneWizard::Running(), nullptr);
    }

    static CCloneWizard* W() { return CCloneWizard::Running(); }
    static bool On(CLONE_WIZARD_PAGE page) { return W() != nullptr && W()->CurrentPage() == page; }
    static GtkWidget* Next() { return W()->Footer().NextWidget(); }
    static GtkWidget* SourceList()
    {
        return static_cast<CCloneSourceSelectPage*>(W()->Page(CLONE_PAGE_SOURCE_SELECT))->DeviceList().GetDeviceListWidget();
    }
    static GtkWidget* TargetList()
    {
        return static_cast<CCloneTargetSelectPage*>(W()->Page(CLONE_PAGE_TARGET_SELECT))->DeviceList().GetDeviceListWidget();
    }
    static int TargetSelected()
    {
        return static_cast<CCloneTargetSelectPage*>(W()->Page(CLONE_PAGE_TARGET_SELECT))->DeviceList().GetSelectDisk();
    }

    // Source page to the destination page with disk `target` selected. The rows are
    // the disks' numbers unless a disk of the list is not there: then `targetRow`
    // names the destination's row.
    static std::vector<CloneGuiStep> ToTarget(int target, int source = kSource, int targetRow = -1)
    {
        const int row = targetRow >= 0 ? targetRow : target;
        return {
            {"source page", [source] { return On(CLONE_PAGE_SOURCE_SELECT) && TreeRowShown(SourceList(), source); },
             [source] { ClickTreeRow(SourceList(), source); }},
            {"next", [] { return Sensitive(Next()); }, [] { gui_events::Click(Next()); }},
            {"destination row", [row] { return On(CLONE_PAGE_TARGET_SELECT) && TreeRowShown(TargetList(), row); },
             [row] { ClickTreeRow(TargetList(), row); }},
            // A click can be lost while the page is still settling (the list is
            // filled again as the page shows): it is repeated until the row is chosen.
            {"destination chosen",
             [target, row, clicked = g_get_monotonic_time()]() mutable {
                 if (TargetSelected() == target)
                     return true;
                 if (g_get_monotonic_time() - clicked > 2 * G_USEC_PER_SEC && TreeRowShown(TargetList(), row)) {
                     ClickTreeRow(TargetList(), row);
                     clicked = g_get_monotonic_time();
                 }
                 return false;
             },
             nullptr},
        };
    }

    // The whole walk onto target, up to the finished log.
    static std::vector<CloneGuiStep> CloneOnto(int target, const std::string& shot, int source = kSource,
                                               int targetRow = -1)
    {
        std::vector<CloneGuiStep> steps = ToTarget(target, source, targetRow);
        steps.push_back({"next to description", [target] { return TargetSelected() == target && Sensitive(Next()); },
                         [] { gui_events::Click(Next()); }});
        steps.push_back({"description", [] { return On(CLONE_PAGE_TASK_DESCRIPTION); },
                         [shot] {
                             g_plan = static_cast<CCloneTaskDescriptionPage*>(W()->Page(CLONE_PAGE_TASK_DESCRIPTION))->Plan();
                             SaveArtifact(W()->GetDlgWidget(), "clone-disk-" + shot + "-description.png");
                             gui_events::Click(Next());
                         }});
        steps.push_back({"delete question", [] { return VisibleDialog("Warning") != nullptr; },
                         [] { ClickDialogResponse(VisibleDialog("Warning"), DLG_RESULT_OK); }});
        steps.push_back({"success", [] { return VisibleDialog("Success") != nullptr || VisibleDialog("Error") != nullptr; },
                         [] {
                             GtkWidget* error = VisibleDialog("Error");
                             std::string log;
                             for (const std::string& line : CLogWriter::Captured())
                                 log += line + "\n";
                             EXPECT_EQ(error, nullptr) << MessageText(error) << "\n" << log;
                             ClickDialogResponse(error ? error : VisibleDialog("Success"), DLG_RESULT_OK);
                         }});
        steps.push_back({"finished log", [] { return Sensitive(Next()) && VisibleDialog("Success") == nullptr; },
                         [shot] {
                             // The items as the partitions were really made.
                             g_plan.restoreItems = CCloneDataBase::Instance()->RestoreParts();
                             g_plan.addParams = CCloneDataBase::Instance()->AddParts();
                             SaveArtifact(W()->GetDlgWidget(), "clone-disk-" + shot + "-finished.png");
                             gui_events::Click(Next());
                         }});
        return steps;
    }

    GtkWidget* window = nullptr;
    std::string sourceBefore;
};

struct DumpRow {
    uint64_t start = 0, size = 0;
    unsigned type = 0;
    bool bootable = false;
};

// The destination's table as sfdisk dumps it, the extended partition left out.
std::vector<DumpRow> Dump(const std::string& disk)
{
    std::vector<DumpRow> rows;
    std::istringstream in(Sh("sfdisk --dump '" + disk + "'"));
    std::string line;
    while (std::getline(in, line)) {
        DumpRow row;
        char type[16] = "";
        const size_t at = line.find(" : start=");
        if (at == std::string::npos)
            continue;
        unsigned long long start = 0, size = 0;
        if (std::sscanf(line.c_str() + at, " : start= %llu, size= %llu, type=%15[0-9a-fA-F]", &start, &size, type) != 3)
            continue;
        row.start = start;
        row.size = size;
        row.type = static_cast<unsigned>(std::strtoul(type, nullptr, 16));
        row.bootable = line.find("bootable") != std::string::npos;
        if (row.type != 0x05 && row.type != 0x0F)
            rows.push_back(row);
    }
    return rows;
}

std::string Cut(const std::string& disk, uint64_t start, uint64_t count, const std::string& name)
{
    const std::string out = g_folder + "/" + name;
    Quiet("dd if='" + disk + "' of='" + out + "' bs=512 skip=" + std::to_string(start) + " count=" +
        std::to_string(count) + " status=none");
    return out;
}

// The sector count a FAT boot sector gives its volume.
uint64_t FatTotalSectors(const std::string& volume)
{
    unsigned char boot[512] = {};
    std::ifstream in(volume, std::ios::binary);
    in.read(reinterpret_cast<char*>(boot), sizeof boot);
    const uint64_t small = boot[19] | boot[20] << 8;
    const uint64_t large = boot[32] | boot[33] << 8 | boot[34] << 16 | uint64_t(boot[35]) << 24;
    return small != 0 ? small : large;
}

// Every check of one finished clone onto disk `target`.
void ExpectCloneOf(int target, bool relayout)
{
    const std::string& disk = g_paths[target];
    const std::string& src = g_paths[kSource];
    ASSERT_EQ(g_plan.relayout, relayout);
    const std::vector<DumpRow> rows = Dump(disk);
    ASSERT_EQ(rows.size(), g_plan.restoreItems.size()) << Sh("sfdisk --dump '" + disk + "'");
    const unsigned types[] = {0x06, 0x07, 0x0B, 0x83};
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].start, uint64_t(g_plan.restoreItems[i].FirstSector));
        EXPECT_EQ(rows[i].start + rows[i].size - 1, uint64_t(g_plan.addParams[i].LastSector));
        EXPECT_EQ(rows[i].type, types[i]);
        EXPECT_EQ(rows[i].bootable, i == 0);
    }
    // Boot code as the source's, the destination's own table after it.
    EXPECT_EQ(Sh("cmp -n 440 '" + src + "' '" + disk + "' && echo same"), "same\n");

    const std::string fat16 = Cut(disk, rows[0].start, rows[0].size, "fat16");
    const std::string ntfs = Cut(disk, rows[1].start, rows[1].size, "ntfs");
    const std::string fat32 = Cut(disk, rows[2].start, rows[2].size, "fat32");
    const std::string raw = Cut(disk, rows[3].start, rows[3].size, "raw");
    EXPECT_EQ(Quiet("fsck.fat -n '" + fat16 + "'"), 0) << Sh("fsck.fat -n '" + fat16 + "'");
    EXPECT_EQ(Quiet("fsck.fat -n '" + fat32 + "'"), 0) << Sh("fsck.fat -n '" + fat32 + "'");
    EXPECT_EQ(Quiet("ntfsfix -n '" + ntfs + "'"), 0) << Sh("ntfsfix -n '" + ntfs + "'");

    const std::string srcFat16 = Cut(src, 63, 80262, "src-fat16");
    const std::string srcNtfs = Cut(src, 80325, 64260, "src-ntfs");
    const std::string srcFat32 = Cut(src, 144648, 300032, "src-fat32");
    const std::string srcRaw = Cut(src, 444743, 16002, "src-raw");
    for (const char* name : {"DOCS/FILE1.TXT", "DOCS/FILE2.TXT", "DOCS/FILE3.TXT", "BIG.BIN"}) {
        for (const auto& pair : {std::make_pair(fat16, srcFat16), std::make_pair(fat32, srcFat32)}) {
            const std::string a = Sh("MTOOLS_SKIP_CHECK=1 mtype -i '" + pair.first + "' ::/" + std::string(name) + " | sha256sum");
            const std::string b = Sh("MTOOLS_SKIP_CHECK=1 mtype -i '" + pair.second + "' ::/" + std::string(name) + " | sha256sum");
            EXPECT_EQ(a, b) << name;
        }
    }
    for (const std::string name : {"one.bin", "two.txt"}) {
        EXPECT_EQ(Sh("ntfscat '" + ntfs + "' " + name + " | sha256sum"),
                  Sh("ntfscat '" + srcNtfs + "' " + name + " | sha256sum"))
            << name;
    }
    EXPECT_EQ(Sh("cmp -n " + std::to_string(16002 * 512) + " '" + srcRaw + "' '" + raw + "' && echo same"), "same\n");

    if (relayout) {
        // Each FAT and NTFS volume fills its partition.
        EXPECT_EQ(FatTotalSectors(fat16), rows[0].size);
        EXPECT_EQ(FatTotalSectors(fat32), rows[2].size);
        const std::string info = Sh("ntfsinfo -m '" + ntfs + "'");
        const size_t at = info.find("Volume Size in Clusters:");
        ASSERT_NE(at, std::string::npos) << info;
        const uint64_t clusters = std::strtoull(info.c_str() + at + 24, nullptr, 10);
        // NTFS keeps its last sector for the boot sector's copy; a partial cluster stays unused.
        EXPECT_EQ(clusters * 8, (rows[1].size - 1) / 8 * 8) << info;
    }
}

TEST_F(CloneDiskGui, ALargerDiskGetsTheSameLayoutAndEveryFile)
{
    Launch(CloneOnto(kLarger, "larger"));
    EXPECT_EQ(CCloneDataBase::Instance()->GetEndSign(), 1);
    ExpectCloneOf(kLarger, false);
}

// Every volume takes a new length here: the FAT32 volume's 2 KiB clusters are below
// what libparted resizes, so the FAT copier keeps them; the NTFS volume grows and ends
// just before its boot sector's copy in the partition's last sector.
TEST_F(CloneDiskGui, ASmallerDiskThatHoldsTheDataIsRelaid)
{
    Launch(CloneOnto(kSmaller, "smaller"));
    ExpectCloneOf(kSmaller, true);
}

// The FAT32 volume's share of this disk would leave it fewer than 65,525 clusters of
// its own 2 KiB: it is given at least that many, the NTFS volume takes less.
TEST_F(CloneDiskGui, ASmallerDiskThatHoldsTheDataAndTheSmallestFat32IsRelaid)
{
    Launch(CloneOnto(kSnug, "snug"));
    ExpectCloneOf(kSnug, true);
}

// Clones that cannot run are refused before the destination is touched: every byte
// of it stays as it was.
TEST_F(CloneDiskGui, ARunThatCannotStartLeavesTheDestinationByteForByte)
{
    const struct {
        const char* what;
        bool noFatCopier;
        std::string text; // of the error box
    } cases[] = {
        {"the engine refuses the second item", false, ""},
        {"the FAT copier module is missing", true,
         "A program module is missing or does not match the version this operation needs."},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const std::string before = Sha(g_paths[kLarger]);
        const std::string tableBefore = Sh("sfdisk --dump '" + g_paths[kLarger] + "'");
        if (k.noFatCopier)
            SetCloneModuleProbe(+[](const char* name) { return std::string(name) != "Brasket"; });
        else
            SetCloneCommandFactory(RefusingSecondItem);
        std::vector<CloneGuiStep> steps = ToTarget(kLarger);
        steps.push_back({"next", [] { return TargetSelected() == kLarger && Sensitive(Next()); },
                         [] { gui_events::Click(Next()); }});
        steps.push_back({"description", [] { return On(CLONE_PAGE_TASK_DESCRIPTION); }, [] { gui_events::Click(Next()); }});
        steps.push_back({"delete question", [] { return VisibleDialog("Warning") != nullptr; },
                         [] { ClickDialogResponse(VisibleDialog("Warning"), DLG_RESULT_OK); }});
        std::string shown;
        steps.push_back({"error", [] { return VisibleDialog("Error") != nullptr; },
                         [&shown] {
                             shown = MessageText(VisibleDialog("Error"));
                             ClickDialogResponse(VisibleDialog("Error"), DLG_RESULT_OK);
                         }});
        steps.push_back({"cancel", [] { return VisibleDialog("Error") == nullptr && Sensitive(W()->Footer().QuitWidget()); },
                         [] { gui_events::Click(W()->Footer().QuitWidget()); }});
        Launch(steps);
        SetCloneModuleProbe(nullptr);
        SetCloneCommandFactory(nullptr);
        g_refusing.clear();
        EXPECT_NE(shown, "");
        if (!k.text.empty()) {
            EXPECT_NE(shown.find(k.text), std::string::npos) << shown;
        }
        EXPECT_EQ(Sh("sfdisk --dump '" + g_paths[kLarger] + "'"), tableBefore);
        EXPECT_EQ(Sha(g_paths[kLarger]), before);
    }
}

// The demo: hard disk 0 (a 40 MiB FAT32 and a 48 MiB NTFS partition) onto the 64 MiB
// hard disk 1, as a newcomer does first.
TEST_F(CloneDiskGui, TheDemoDiskIsClonedOntoTheSmallerDemoDisk)
{
    const std::string sourceSha = Sha(g_paths[kDemo0]);
    Launch(CloneOnto(kDemo1, "demo", kDemo0));
    EXPECT_EQ(Sha(g_paths[kDemo0]), sourceSha);
    ASSERT_TRUE(g_plan.relayout);
    const std::string& disk = g_paths[kDemo1];
    const std::vector<DumpRow> rows = Dump(disk);
    ASSERT_EQ(rows.size(), 2u) << Sh("sfdisk --dump '" + disk + "'");
    EXPECT_EQ(rows[0].type, 0x0Bu);
    EXPECT_EQ(rows[1].type, 0x07u);
    const std::string fat = Cut(disk, rows[0].start, rows[0].size, "demo-fat");
    const std::string ntfs = Cut(disk, rows[1].start, rows[1].size, "demo-ntfs");
    const std::string srcFat = Cut(g_paths[kDemo0], 2048, 81920, "demo-src-fat");
    const std::string srcNtfs = Cut(g_paths[kDemo0], 83968, 98304, "demo-src-ntfs");
    EXPECT_EQ(Quiet("fsck.fat -n '" + fat + "'"), 0) << Sh("fsck.fat -n '" + fat + "'");
    EXPECT_EQ(Quiet("ntfsfix -n '" + ntfs + "'"), 0) << Sh("ntfsfix -n '" + ntfs + "'");
    for (const char* name : {"NOTES.TXT", "LIST.TXT"}) {
        EXPECT_EQ(Sh("MTOOLS_SKIP_CHECK=1 mtype -i '" + fat + "' ::/" + std::string(name) + " | sha256sum"),
                  Sh("MTOOLS_SKIP_CHECK=1 mtype -i '" + srcFat + "' ::/" + std::string(name) + " | sha256sum"))
            << name;
    }
    for (const std::string name : {"report.txt", "notes.txt"}) {
        EXPECT_EQ(Sh("ntfscat '" + ntfs + "' " + name + " | sha256sum"),
                  Sh("ntfscat '" + srcNtfs + "' " + name + " | sha256sum"))
            << name;
    }
}

// The "Device" texts of a disk list's rows.
std::vector<std::string> DeviceTexts(GtkWidget* tree)
{
    std::vector<std::string> texts;
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(tree));
    GtkTreeIter iter;
    for (gboolean more = gtk_tree_model_get_iter_first(model, &iter); more; more = gtk_tree_model_iter_next(model, &iter)) {
        gchar* text = nullptr;
        gtk_tree_model_get(model, &iter, CCloneDeviceList::COL_DEVICE, &text, -1);
        texts.push_back(text != nullptr ? text : "");
        g_free(text);
    }
    return texts;
}

// The second disk of the list is an image that is not there: neither page offers it,
// the third keeps its number, and a clone onto that third disk lands on its image.
TEST_F(CloneDiskGui, AMissingDiskIsNotOfferedAndTheNextDiskKeepsItsNumber)
{
    const std::string named = getenv("RVD_DISK_IMAGES");
    const std::string gone = g_folder + "/gone.img";
    ASSERT_NE(access(gone.c_str(), F_OK), 0);
    setenv("RVD_DISK_IMAGES", (g_paths[kSource] + ":" + gone + ":" + g_paths[kLarger]).c_str(), 1);
    std::vector<std::string> sourceRows, targetRows;
    // Disk 2 (number 1) is the missing one: the larger disk is number 2, in row 1.
    std::vector<CloneGuiStep> steps = CloneOnto(2, "past-missing", kSource, 1);
    steps.insert(steps.begin(), {"source rows", [] { return On(CLONE_PAGE_SOURCE_SELECT) && TreeRowShown(SourceList(), 0); },
                                 [&sourceRows] { sourceRows = DeviceTexts(SourceList()); }});
    steps.insert(steps.begin() + 5, {"destination rows", nullptr, [&targetRows] { targetRows = DeviceTexts(TargetList()); }});
    Launch(steps, 30000);
    setenv("RVD_DISK_IMAGES", named.c_str(), 1);
    const std::vector<std::string> listed = {"Disk 1", "Disk 3"};
    EXPECT_EQ(sourceRows, listed);
    EXPECT_EQ(targetRows, listed);
    EXPECT_NE(access(gone.c_str(), F_OK), 0) << "nothing is made in the missing disk's place";
    ExpectCloneOf(kLarger, false);
}

TEST_F(CloneDiskGui, TooSmallDestinationsAreRefusedAndLeftAsTheyWere)
{
    const std::string tinyBefore = Sha(g_paths[kTiny]);
    const std::string tightBefore = Sha(g_paths[kTight]);
    // The tiny disk cannot hold the data: the destination page refuses it.
    std::vector<CloneGuiStep> steps = ToTarget(kTiny);
    steps.push_back({"next", [] { return TargetSelected() == kTiny && Sensitive(Next()); },
                     [] { gui_events::Click(Next()); }});
    steps.push_back({"too small", [] { return VisibleDialog(kCloneMessageTitle) != nullptr; },
                     [] {
                         EXPECT_EQ(MessageText(VisibleDialog(kCloneMessageTitle)), kCloneTargetTooSmallText);
                         ClickDialogResponse(VisibleDialog(kCloneMessageTitle), DLG_RESULT_OK);
                     }});
    // The tight disk holds the data, but not the partitions that cannot shrink: the
    // description page refuses its plan.
    steps.push_back({"tight",
                     [] {
                         return VisibleDialog(kCloneMessageTitle) == nullptr && On(CLONE_PAGE_TARGET_SELECT) &&
                                TreeRowShown(TargetList(), kTight);
                     },
                     [] { ClickTreeRow(TargetList(), kTight); }});
    steps.push_back({"next", [] { return TargetSelected() == kTight && Sensitive(Next()); },
                     [] { gui_events::Click(Next()); }});
    steps.push_back({"plan refused", [] { return On(CLONE_PAGE_TASK_DESCRIPTION); }, [] { gui_events::Click(Next()); }});
    steps.push_back({"too small", [] { return VisibleDialog(kCloneMessageTitle) != nullptr; },
                     [] {
                         EXPECT_EQ(MessageText(VisibleDialog(kCloneMessageTitle)), kCloneTargetTooSmallText);
                         ClickDialogResponse(VisibleDialog(kCloneMessageTitle), DLG_RESULT_OK);
                     }});
    steps.push_back({"cancel", [] { return VisibleDialog(kCloneMessageTitle) == nullptr; },
                     [] {
                         EXPECT_TRUE(On(CLONE_PAGE_TASK_DESCRIPTION));
                         gui_events::Click(W()->Footer().QuitWidget());
                     }});
    Launch(steps);
    EXPECT_EQ(Sha(g_paths[kTiny]), tinyBefore);
    EXPECT_EQ(Sha(g_paths[kTight]), tightBefore);
}

TEST_F(CloneDiskGui, AGptDiskKeepsNextDisabled)
{
    std::vector<CloneGuiStep> steps = ToTarget(kGpt);
    steps.push_back({"gpt selected", [] { return TargetSelected() == kGpt; },
                     [] {
                         gui_wait::Settle();
                         EXPECT_FALSE(Sensitive(Next()));
                         gui_events::Click(W()->Footer().QuitWidget());
                     }});
    Launch(steps);
}

TEST_F(CloneDiskGui, CancelConfirmedMidRunClosesTheWizardAtStateFour)
{
    std::vector<CloneGuiStep> steps = ToTarget(kLarger);
    steps.push_back({"next", [] { return TargetSelected() == kLarger && Sensitive(Next()); },
                     [] { gui_events::Click(Next()); }});
    steps.push_back({"description", [] { return On(CLONE_PAGE_TASK_DESCRIPTION); }, [] { gui_events::Click(Next()); }});
    steps.push_back({"delete question", [] { return VisibleDialog("Warning") != nullptr; },
                     [] { ClickDialogResponse(VisibleDialog("Warning"), DLG_RESULT_OK); }});
    steps.push_back({"cancel", [] { return On(CLONE_PAGE_TASK_PROGRESS); },
                     [] { gui_events::Click(W()->Footer().QuitWidget()); }});
    steps.push_back({"confirm", [] { return VisibleDialog(kCloneCancelTitle) != nullptr; },
                     [] { ClickDialogResponse(VisibleDialog(kCloneCancelTitle), DLG_RESULT_OK); }});
    steps.push_back({"cancel insensitive", [] { return W() == nullptr || !Sensitive(W()->Footer().QuitWidget()); },
                     nullptr});
    Launch(steps);
    EXPECT_EQ(CCloneDataBase::Instance()->GetEndSign(), 1);
}

} // namespace
