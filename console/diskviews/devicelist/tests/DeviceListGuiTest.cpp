// The device list over the fixture disks through the real chain (disk map, device
// manager module, disk enumeration, command builder and executor): the store against
// sfdisk and blkid, real clicks and the space key, the drawing read back from the
// screen, and a rescan after a partition is deleted.
#include <gtest/gtest.h>

#include <gdk/gdkkeysyms.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "CDeviceList.h"
#include "CommandOutput.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"
#include "RecoveryEnv.h"
#include "common/ICommonModule.h"
#include "ViewsChain.h"
#include "diskviews/ViewsFixtures.h"

namespace {

struct Row {
    bool disk;
    std::string title, partition, type, size, used, unused, status, priLog;
    int diskNumber, partNumber, checked, height;
};

std::vector<Row> StoreRows(GtkTreeModel* model)
{
    std::vector<Row> rows;
    auto read = [&](GtkTreeIter* it) {
        gchar* t[9] = {};
        Row r{};
        gboolean isDisk = FALSE;
        gtk_tree_model_get(model, it, CDeviceList::COL_TITLE, &t[0], CDeviceList::COL_PARTITION, &t[1],
                           CDeviceList::COL_TYPE, &t[2], CDeviceList::COL_SIZE, &t[3], CDeviceList::COL_USED, &t[4],
                           CDeviceList::COL_UNUSED, &t[5], CDeviceList::COL_STATUS, &t[6], CDeviceList::COL_PRILOG,
                           &t[7], CDeviceList::COL_IS_DISK, &isDisk, CDeviceList::COL_DISK, &r.diskNumber,
                           CDeviceList::COL_PART, &r.partNumber, CDeviceList::COL_CHECKED, &r.checked,
                           CDeviceList::COL_HEIGHT, &r.height, -1);
        std::string* fields[8] = {&r.title, &r.partition, &r.type, &r.size, &r.used, &r.unused, &r.status, &r.priLog};
        for (int i = 0; i < 8; ++i) {
            *fields[i] = t[i] != nullptr ? t[i] : "";
            g_free(t[i]);
        }
        r.disk = isDisk != FALSE;
        rows.push_back(r);
    };
    GtkTreeIter root;
    for (bool more = gtk_tree_model_get_iter_first(model, &root); more; more = gtk_tree_model_iter_next(model, &root)) {
        read(&root);
        GtkTreeIter child;
        for (bool has = gtk_tree_model_iter_children(model, &child, &root); has;
             has = gtk_tree_model_iter_next(model, &child))
            read(&child);
    }
    return rows;
}

std::vector<Row> ChildrenOf(const std::vector<Row>& rows, int disk)
{
    std::vector<Row> out;
    for (const Row& r : rows)
        if (!r.disk && r.diskNumber == disk)
            out.push_back(r);
    return out;
}

struct TableEntry {
    int number;
    uint64_t start, size;
    unsigned type;
    bool bootable;
};

// sfdisk --json's partitions, extended containers left out.
std::vector<TableEntry> SfdiskEntries(const std::string& disk)
{
    const std::string json = CommandOutput("sfdisk --json '" + disk + "'");
    std::vector<TableEntry> entries;
    const std::regex entry(
        R"re("node":\s*"[^"]*?(\d+)",\s*"start":\s*(\d+),\s*"size":\s*(\d+),\s*"type":\s*"([0-9a-f]+)"(,\s*"bootable":\s*true)?)re");
    for (std::sregex_iterator it(json.begin(), json.end(), entry), end; it != end; ++it) {
        const unsigned type = static_cast<unsigned>(std::stoul((*it)[4], nullptr, 16));
        if (type == 0x05 || type == 0x0F || type == 0x85)
            continue;
        entries.push_back({std::stoi((*it)[1]), std::stoull((*it)[2]), std::stoull((*it)[3]), type, (*it)[5].matched});
    }
    return entries;
}

std::string Blkid(const std::string& disk, uint64_t start, const char* tag)
{
    std::string value = CommandOutput("blkid -p -O " + std::to_string(start * 512) + " -o value -s " + tag + " '" +
                                      disk + "'");
    while (!value.empty() && value.back() == '\n')
        value.pop_back();
    return value;
}

// Used sectors of a FAT volume as fsck.fat counts them: the sectors before the data
// area and every cluster in use. 0 when fsck.fat says nothing of them.
uint64_t FsckFatUsedSectors(const std::string& disk, uint64_t start, uint64_t size, const std::string& scratch)
{
    const std::string volume = scratch + "/volume.fat";
    CommandOutput("dd if='" + disk + "' of='" + volume + "' bs=512 skip=" + std::to_string(start) +
                  " count=" + std::to_string(size) + " status=none");
    const std::string report = CommandOutput("fsck.fat -n -v '" + volume + "' 2>&1");
    std::smatch data, cluster, used;
    if (!std::regex_search(report, data, std::regex(R"(Data area starts at byte \d+ \(sector (\d+)\))")) ||
        !std::regex_search(report, cluster, std::regex(R"((\d+) bytes per cluster)")) ||
        !std::regex_search(report, used, std::regex(R"((\d+)/\d+ clusters)")))
        return 0;
    return std::stoull(data[1]) + std::stoull(used[1]) * (std::stoull(cluster[1]) / 512);
}

std::string TypeTextOf(const std::string& disk, uint64_t start)
{
    const std::string type = Blkid(disk, start, "TYPE");
    if (type == "ntfs")
        return "NTFS";
    if (type == "vfat")
        return Blkid(disk, start, "VERSION");
    return "?" + type;
}

class DeviceListGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        disks_ = MakeViewsDisks();
        ASSERT_TRUE(disks_.Complete());
        ASSERT_TRUE(NameViewsDisks(disks_.DiskList()));
        tasque_ = NewViewsTasque();
        ASSERT_NE(nullptr, tasque_);
    }
    void TearDown() override
    {
        if (window_ != nullptr)
            gtk_widget_destroy(window_);
        GuiTest::TearDown();
    }
    void Show(CDeviceList& list)
    {
        window_ = WindowWith(list.GetDeviceListWidgetInterface(), 720, 560);
        ASSERT_TRUE(ShowAndSettle(window_));
    }
    ViewsFixtureDisks disks_;
    ViewsTasque tasque_;
    GtkWidget* window_ = nullptr;
};

TEST_F(DeviceListGuiTest, StoreHoldsWhatSfdiskAndBlkidSay)
{
    CDeviceList list(false, false, false);
    list.SetTasque(tasque_.get());
    list.InitDeviceList();
    const std::vector<Row> rows = StoreRows(gtk_tree_view_get_model(GTK_TREE_VIEW(list.GetDeviceListWidget())));

    std::vector<std::string> titles;
    for (const Row& r : rows)
        if (r.disk) {
            titles.push_back(r.title);
            EXPECT_EQ(30, r.height);
            EXPECT_EQ(-1, r.partNumber);
        }
    EXPECT_EQ((std::vector<std::string>{"Disk 1", "Disk 2", "Disk 3", "Disk 4", "Disk 5"}), titles);

    // The MBR disk: one row per partition in table order, free stretches left out.
    const std::vector<TableEntry> table = SfdiskEntries(disks_.mbr);
    const std::vector<Row> mbr = ChildrenOf(rows, 0);
    const std::string scratch = ViewsScratch("device-list-store");
    ASSERT_FALSE(scratch.empty());
    ASSERT_EQ(4u, table.size());
    ASSERT_EQ(table.size(), mbr.size());
    int primaries = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        const TableEntry& t = table[i];
        const Row& r = mbr[i];
        SCOPED_TRACE("partition " + std::to_string(t.number));
        EXPECT_EQ(TypeTextOf(disks_.mbr, t.start), r.type);
        EXPECT_EQ(GetFileSizeString(static_cast<long long>(t.size) * 512), r.size);
        EXPECT_EQ(t.bootable ? "Active" : "None", r.status);
        EXPECT_EQ(t.number <= 4 ? "Primary" : "Logical", r.priLog);
        primaries += t.number <= 4 ? 1 : 0;
        EXPECT_EQ(16, r.height);
        __PARTITION_INFO_CMD record;
        std::memset(&record, 0, sizeof record);
        list.FindPartitionData(0, static_cast<uint8_t>(r.partNumber), record);
        // The record's 64-bit fields are packed: read them by value.
        const uint64_t start = record.StartSector, used = record.UsedSectors;
        const int marked = record.DynamicDisk;
        EXPECT_EQ(t.start, start);
        EXPECT_EQ(0, marked);
        // Used and unused come from the file-system readers' count of used sectors.
        EXPECT_GT(used, 0u);
        EXPECT_LT(used, t.size);
        EXPECT_EQ(GetFileSizeString(static_cast<long long>(used) * 512), r.used);
        EXPECT_EQ(GetFileSizeString(static_cast<long long>(t.size - used) * 512), r.unused);
        if (r.type.rfind("FAT", 0) == 0) {
            const uint64_t peer = FsckFatUsedSectors(disks_.mbr, t.start, t.size, scratch);
            EXPECT_EQ(peer, used) << "fsck.fat's count";
            EXPECT_EQ(GetFileSizeString(static_cast<long long>(peer) * 512), r.used);
        }
    }
    // The bad disk's two entries are primaries too.
    for (const TableEntry& t : SfdiskEntries(disks_.bad))
        primaries += t.number <= 4 ? 1 : 0;
    EXPECT_EQ(primaries, list.GetPrimaryPartitionNumber());
    ASSERT_NE(nullptr, OpenModuleT<ICommonModule>("Common")) << "the text module beside the test (run by full path)";
    // Labels as blkid reads them; the FAT32 label's code-page bytes shown as UTF-8.
    EXPECT_EQ("*: " + Blkid(disks_.mbr, table[0].start, "LABEL"), mbr[0].partition);
    EXPECT_EQ("*: VIEWSNTFS", mbr[1].partition);
    EXPECT_EQ("*: DATEN-\xC3\x84\xC3\x96", mbr[2].partition);
    EXPECT_EQ("DATEN-\x8E\x99", Blkid(disks_.mbr, table[2].start, "LABEL"));
    EXPECT_EQ("*: LOGIC16", mbr[3].partition);

    // GPT and dynamic disks: one row for the whole disk.
    struct Whole {
        int disk;
        const char* type;
        const std::string& path;
    };
    for (const Whole& w : {Whole{1, "GPT", disks_.gpt}, Whole{2, "Dynamic", disks_.dynamic}}) {
        SCOPED_TRACE(w.type);
        const std::vector<Row> only = ChildrenOf(rows, w.disk);
        ASSERT_EQ(1u, only.size());
        EXPECT_EQ("Local Disk", only[0].partition);
        EXPECT_EQ(w.type, only[0].type);
        const long long bytes = std::stoll(CommandOutput("stat -c %s '" + w.path + "'"));
        EXPECT_EQ(GetFileSizeString(bytes), only[0].size);
        EXPECT_EQ(only[0].size, only[0].used);
        EXPECT_EQ("0Kb", only[0].unused);
        EXPECT_EQ("None", only[0].status);
        EXPECT_EQ("Primary", only[0].priLog);
        // No partition entry of its own: the record comes back marked.
        __PARTITION_INFO_CMD record;
        std::memset(&record, 0, sizeof record);
        list.FindPartitionData(static_cast<uint64_t>(w.disk), 0, record);
        const int marked = record.DynamicDisk;
        const uint64_t sectors = record.SectorCount;
        EXPECT_EQ(1, marked);
        EXPECT_EQ(0u, sectors);
    }
    // The empty disk lists no partition while free space is not shown.
    EXPECT_TRUE(ChildrenOf(rows, 4).empty());
}

TEST_F(DeviceListGuiTest, FreeSpaceIsListedOnlyWhenAskedFor)
{
    CDeviceList list(false, true, false);
    list.SetTasque(tasque_.get());
    list.InitDeviceList();
    const std::vector<Row> rows = StoreRows(gtk_tree_view_get_model(GTK_TREE_VIEW(list.GetDeviceListWidget())));
    const std::vector<Row> mbr = ChildrenOf(rows, 0);
    int free = 0;
    for (const Row& r : mbr)
        if (r.type == "Unallocated") {
            ++free;
            EXPECT_EQ("*", r.partition);
            EXPECT_EQ("None", r.status);
            EXPECT_EQ("Logical", r.priLog);
        }
    // Between the primaries, before the first logical, after the last logical and at
    // the disk's end at least.
    EXPECT_GE(free, 4);
    EXPECT_EQ(4u, mbr.size() - free);
    const std::vector<Row> empty = ChildrenOf(rows, 4);
    ASSERT_FALSE(empty.empty());
    EXPECT_EQ("Unallocated", empty[0].type);
}

TEST_F(DeviceListGuiTest, ClicksAndSpaceCheckPartitionsAndTheirDisk)
{
    CDeviceList list(true, false, false);
    list.SetHaveCheckBox(1);
    list.SetTasque(tasque_.get());
    list.InitDeviceList();
    Show(list);
    GtkWidget* view = list.GetDeviceListWidget();
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(view));
    auto checked = [&](const char* path) {
        GtkTreeIter it;
        EXPECT_TRUE(gtk_tree_model_get_iter_from_string(model, &it, path)) << path;
        int c = 0;
        gtk_tree_model_get(model, &it, CDeviceList::COL_CHECKED, &c, -1);
        return c != 0;
    };
    auto marks = [&]() {
        std::string s;
        for (const char* p : {"0", "0:0", "0:1", "0:2", "0:3", "1", "1:0"})
            s += checked(p) ? '1' : '0';
        return s;
    };

    ClickTreeRow(view, "0:1");
    EXPECT_EQ("0010000", marks());
    ClickTreeRow(view, "0:0");
    ClickTreeRow(view, "0:2");
    EXPECT_EQ("0111000", marks());
    ClickTreeRow(view, "0:3"); // the last unchecked partition checks the disk
    EXPECT_EQ("1111100", marks());
    uint16_t part = 0, disk = 0;
    ASSERT_EQ(0u, list.GetCurrentSelectDevice(part, disk));
    EXPECT_EQ(0, disk);

    // Space toggles the selected row: the partition clicked last.
    TapTreeKey(view, GDK_space);
    EXPECT_EQ("0111000", marks());
    TapTreeKey(view, GDK_space);
    EXPECT_EQ("1111100", marks());

    // The disk row hands its state to every partition; other disks stay as they are.
    ClickTreeRow(view, "1:0");
    ClickTreeRow(view, "0");
    EXPECT_EQ("0000011", marks());
    ASSERT_EQ(0u, list.GetCurrentSelectDevice(part, disk));
    EXPECT_EQ(0xFFFF, part);

    EXPECT_EQ(1, list.GetSelectParttNum());
    uint16_t d = 9, p = 9;
    EXPECT_EQ(1, list.GetTheSelectParttPos(0, d, p));
    EXPECT_EQ(1, d);
    EXPECT_EQ(0, p);
    EXPECT_EQ(0, list.GetTheSelectParttPos(1, d, p));

    // Other keys are swallowed: Return neither toggles nor activates.
    TapTreeKey(view, GDK_Return);
    EXPECT_EQ("0000011", marks());
}

struct RowChangeCounter : ITargetPartitionList {
    void DeviceListRowChangedCallBack() override { ++calls; }
    int calls = 0;
};

// Where a row lies in the tree view's own coordinates.
GdkRectangle RowArea(GtkWidget* view, const char* path, int column)
{
    GtkTreePath* p = gtk_tree_path_new_from_string(path);
    GdkRectangle area{0, 0, 0, 0};
    gtk_tree_view_get_background_area(GTK_TREE_VIEW(view), p, gtk_tree_view_get_column(GTK_TREE_VIEW(view), column),
                                      &area);
    gtk_tree_path_free(p);
    gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(view), area.x, area.y, &area.x, &area.y);
    return area;
}

uint32_t Rgb(int r, int g, int b)
{
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

TEST_F(DeviceListGuiTest, RowsAreDrawnWithTheirSwatchesAndNoLogicalPartitionIsBad)
{
    CDeviceList list(true, false, true);
    list.SetHaveCheckBox(1);
    list.SetTasque(tasque_.get());
    list.InitDeviceList();
    RowChangeCounter counter;
    list.SetRowChangedCallBack(&counter);
    Show(list);
    GtkWidget* view = list.GetDeviceListWidget();
    ClickTreeRow(view, "0:3");
    EXPECT_GE(counter.calls, 1);
    gtk_widget_queue_draw(view);
    gui_wait::Settle(80);

    PixelSnapshot shot = PixelSnapshot::OfWidget(view);
    ASSERT_TRUE(shot.Valid());
    struct Swatch {
        const char* path;
        uint32_t colour;
        const char* what;
    };
    const Swatch swatches[] = {
        {"0:0", Rgb(0, 182, 80), "FAT16 primary"},
        {"0:1", Rgb(115, 0, 203), "NTFS primary"},
        {"0:2", Rgb(0, 143, 222), "FAT32 logical, not bad"},
        {"0:3", Rgb(0, 182, 80), "FAT16 logical, not bad"},
        {"1:0", Rgb(255, 255, 128), "the GPT disk's row has no record"},
        {"2:0", Rgb(255, 255, 128), "nor has the dynamic disk's"},
    };
    for (const Swatch& s : swatches) {
        const GdkRectangle type = RowArea(view, s.path, 1);
        ASSERT_GE(type.height, 12) << s.path;
        const int inner = (type.height - 10) / 2;
        EXPECT_EQ(s.colour, shot.At(type.x + 4 + inner, type.y + 5 + inner)) << s.what;
        EXPECT_EQ(Rgb(0, 0, 0), shot.At(type.x + 3, type.y + 4)) << s.what;
    }
    // The selected row is filled with the selection colour, the others white.
    const GdkRectangle selected = RowArea(view, "0:3", 4);
    EXPECT_EQ(Rgb(49, 106, 197), shot.At(selected.x + 3, selected.y + 1));
    const GdkRectangle plain = RowArea(view, "0:2", 4);
    EXPECT_EQ(Rgb(255, 255, 255), shot.At(plain.x + 3, plain.y + 1));
    // The header cells are drawn by the list.
    const GdkRectangle first = RowArea(view, "0", 0);
    EXPECT_EQ(Rgb(235, 234, 219), shot.At(first.x + 100, 4));
    std::string artifacts = RVD_ARTIFACTS_DIR;
    CommandOutput("mkdir -p '" + artifacts + "'");
    shot.SaveForInspection((artifacts + "/device-list.png").c_str());
}

TEST_F(DeviceListGuiTest, RescanAfterADeletedPartitionKeepsNoStaleRecord)
{
    const std::string folder = ViewsScratch("device-list-rescan");
    ASSERT_FALSE(folder.empty());
    const std::string copy = folder + "/disk.img";
    ASSERT_EQ("", CommandOutput("cp --sparse=always '" + disks_.mbr + "' '" + copy + "' 2>&1"));
    ASSERT_TRUE(NameViewsDisks({copy}));
    ViewsTasque tasque = NewViewsTasque();
    CDeviceList list(false, false, false);
    list.SetTasque(tasque.get());
    list.InitDeviceList();
    std::vector<Row> rows = ChildrenOf(StoreRows(gtk_tree_view_get_model(GTK_TREE_VIEW(list.GetDeviceListWidget()))), 0);
    ASSERT_EQ(4u, rows.size());
    const uint8_t logical = static_cast<uint8_t>(rows[3].partNumber);
    __PARTITION_INFO_CMD record;
    std::memset(&record, 0, sizeof record);
    list.FindPartitionData(0, logical, record);
    uint64_t start = record.StartSector;
    ASSERT_EQ(151552u, start);
    EXPECT_EQ(2, list.GetPrimaryPartitionNumber());

    int status = 0;
    CommandOutput("sfdisk --quiet --no-reread --no-tell-kernel --delete '" + copy + "' 6 2>&1", &status);
    ASSERT_EQ(0, status);
    ASSERT_TRUE(NameViewsDisks({copy}));
    list.InitDeviceList();
    rows = ChildrenOf(StoreRows(gtk_tree_view_get_model(GTK_TREE_VIEW(list.GetDeviceListWidget()))), 0);
    EXPECT_EQ(3u, rows.size());
    std::memset(&record, 0, sizeof record);
    list.FindPartitionData(0, logical, record);
    start = record.StartSector;
    const int marked = record.DynamicDisk;
    EXPECT_EQ(0u, start) << "the deleted partition's record is still answered";
    EXPECT_EQ(1, marked);
    EXPECT_EQ(2, list.GetPrimaryPartitionNumber()) << "the primaries of both fills are counted";
}

TEST_F(DeviceListGuiTest, AGoneDiskImageListsNothingAndTheNextDiskKeepsItsNumber)
{
    const std::string folder = ViewsScratch("device-list-gone");
    ASSERT_FALSE(folder.empty());
    const std::string copy = folder + "/disk.img";
    ASSERT_EQ("", CommandOutput("cp --sparse=always '" + disks_.mbr + "' '" + copy + "' 2>&1"));
    ASSERT_TRUE(NameViewsDisks({folder + "/gone.img", copy}));
    ViewsTasque tasque = NewViewsTasque();
    CDeviceList list(false, false, false);
    list.SetTasque(tasque.get());
    list.InitDeviceList();
    const std::vector<Row> rows = StoreRows(gtk_tree_view_get_model(GTK_TREE_VIEW(list.GetDeviceListWidget())));
    EXPECT_TRUE(ChildrenOf(rows, 0).empty()) << "disk 0 is not there";
    // It is not offered at all: no row stands for it, not even an empty disk's.
    std::vector<std::string> diskTitles;
    for (const Row& r : rows)
        if (r.disk) {
            diskTitles.push_back(r.title);
            EXPECT_EQ(1, r.diskNumber) << r.title;
        }
    EXPECT_EQ(std::vector<std::string>{"Disk 2"}, diskTitles);
    const std::vector<Row> present = ChildrenOf(rows, 1);
    ASSERT_EQ(4u, present.size()) << "the image after it is disk 1, as named";
    __PARTITION_INFO_CMD record;
    std::memset(&record, 0, sizeof record);
    list.FindPartitionData(1, static_cast<uint8_t>(present[3].partNumber), record);
    const uint64_t start = record.StartSector;
    EXPECT_EQ(151552u, start);
    ASSERT_TRUE(NameViewsDisks(disks_.DiskList()));
}

TEST_F(DeviceListGuiTest, NothingSelectedIsAnsweredWithItsCode)
{
    CDeviceList list(false, false, false);
    list.SetTasque(tasque_.get());
    list.InitDeviceList();
    uint16_t part = 7, disk = 7;
    EXPECT_EQ(0x056D1208ul, list.GetCurrentSelectDevice(part, disk));
    EXPECT_EQ(7, part);
    EXPECT_EQ(0, list.GetSelectParttNum());
}

} // namespace
