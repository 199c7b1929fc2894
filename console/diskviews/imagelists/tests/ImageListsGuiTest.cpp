// The image date line and the restore and check-image volume lists over the image set
// the backup engine made from the fixture disks, read through the real command
// builder, executor, restore engine and checker; checks through real clicks and keys;
// records compared with what the image container's reader gives.
#include <gtest/gtest.h>

#include <gdk/gdkkeysyms.h>

#include <cstring>
#include <string>
#include <vector>

#include "CCofranInfo.h"
#include "CRestoreVolListCtrl.h"
#include "CVolListCtrl.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "IKSCofran.h"
#include "ListText.h"
#include "PixelSnapshot.h"
#include "ViewsChain.h"
#include "diskviews/ViewsFixtures.h"

namespace {

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// The last version's volumes as the container's own reader lists them.
std::vector<_KS_VOLUME> ContainerVolumes(const std::string& lastFile)
{
    std::vector<_KS_VOLUME> volumes;
    void* object = nullptr;
    if (KSCreateObjectImg(1, 1, &object) != 0 || object == nullptr)
        return volumes;
    IKSCofran* cofran = static_cast<IKSCofran*>(object);
    const std::wstring path = Wide(lastFile);
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    if (cofran->OpenCofran(path.c_str(), KS_OPEN_RANDOM, nullptr, 0) == 0 && cofran->GetCofranInfo(&info) == 0 &&
        info.VolumeCount > 0) {
        volumes.resize(info.VolumeCount);
        if (cofran->GetVolumes(volumes.data(), info.VolumeCount) != 0)
            volumes.clear();
        cofran->CloseCofran();
    }
    cofran->Release();
    return volumes;
}

std::string Text(GtkTreeModel* model, const char* path, int column)
{
    GtkTreeIter it;
    if (!gtk_tree_model_get_iter_from_string(model, &it, path))
        return "<no row " + std::string(path) + ">";
    gchar* text = nullptr;
    gtk_tree_model_get(model, &it, column, &text, -1);
    std::string out = text != nullptr ? text : "";
    g_free(text);
    return out;
}

int Int(GtkTreeModel* model, const char* path, int column)
{
    GtkTreeIter it;
    if (!gtk_tree_model_get_iter_from_string(model, &it, path))
        return -999;
    int value = 0;
    gtk_tree_model_get(model, &it, column, &value, -1);
    return value;
}

// The check marks of the rows, in the given order.
std::string Marks(GtkTreeModel* model, int column, const std::vector<const char*>& paths)
{
    std::string s;
    for (const char* p : paths)
        s += Int(model, p, column) != 0 ? '1' : '0';
    return s;
}

struct RowCounter : ISectorBySectorInterface {
    void RestoreInfoListRowChangedCallBack(int rows) override { seen.push_back(rows); }
    std::vector<int> seen;
};

void CountCall(void* context)
{
    ++*static_cast<int*>(context);
}

uint32_t Rgb(int r, int g, int b)
{
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

class ImageListsGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        set_ = MakeViewsSet(RVD_BACKUP_TOOL);
        ASSERT_FALSE(set_.empty());
        const ViewsFixtureDisks disks = MakeViewsDisks();
        ASSERT_TRUE(NameViewsDisks(disks.DiskList()));
        tasque_ = NewViewsTasque();
        ASSERT_NE(nullptr, tasque_);
        std::wstring path = Wide(set_);
        unsigned long count = 0;
        ASSERT_EQ(0u, tasque_->RestoreGetImageVersions(nullptr, 0, &count, &path[0]));
        versions_.resize(count);
        ASSERT_EQ(0u, tasque_->RestoreGetImageVersions(versions_.data(), count, &count, &path[0]));
        ASSERT_EQ(3u, versions_.size());
        container_ = ContainerVolumes(set_.substr(0, set_.rfind('/')) + "/VIEWS2.RVD");
        ASSERT_EQ(4u, container_.size());
    }
    void TearDown() override
    {
        if (window_ != nullptr)
            gtk_widget_destroy(window_);
        GuiTest::TearDown();
    }
    void Show(GtkWidget* widget)
    {
        window_ = WindowWith(widget, 640, 420);
        ASSERT_TRUE(ShowAndSettle(window_));
    }
    const _KS_VOLUME* ContainerVolume(uint16_t disk, uint16_t partition) const
    {
        for (const _KS_VOLUME& v : container_)
            if (v.DiskNumber == disk && v.PartitionNumber == partition)
                return &v;
        return nullptr;
    }
    std::string set_;
    ViewsTasque tasque_;
    std::vector<_KS_VERSION> versions_;
    std::vector<_KS_VOLUME> container_;
    GtkWidget* window_ = nullptr;
};

TEST_F(ImageListsGuiTest, DateLineIsTheThirdVersionsTime)
{
    // Each version was made at its own stopped clock.
    int64_t first = 0, second = 0;
    std::memcpy(&first, &versions_[0].Time, sizeof first);
    std::memcpy(&second, &versions_[1].Time, sizeof second);
    EXPECT_EQ("01-01-2010 00:00:00", GetTimeString(first));
    EXPECT_EQ("02-03-2010 04:05:06", GetTimeString(second));

    CCofranInfo info;
    EXPECT_EQ("03-04-2011 05:06:07", info.GetFileInfo(tasque_.get(), set_.c_str()));
    ASSERT_NE(nullptr, info.HeldVersions());
    // The check-image page has asked about a password first, which opens the set.
    std::wstring path = Wide(set_);
    ASSERT_EQ(0u, tasque_->CheckIsPwdProtect(&path[0]));
    EXPECT_EQ("03-04-2011 05:06:07", info.GetCheckFileInfo(tasque_.get(), set_.c_str()));
    ASSERT_NE(nullptr, info.HeldVersions());

    // A path that names no set drops the array and holds none; the object's end then
    // frees nothing twice.
    EXPECT_EQ("", info.GetFileInfo(tasque_.get(), (set_ + ".none").c_str()));
    EXPECT_EQ(nullptr, info.HeldVersions());
    EXPECT_EQ("", info.GetCheckFileInfo(tasque_.get(), "/no/such/set.rvd"));
    EXPECT_EQ(nullptr, info.HeldVersions());

    // A path longer than the wide buffer is cut, not written past it.
    const std::string longPath = "/" + std::string(900, 'p') + "/VIEWS.RVD";
    EXPECT_EQ("", info.GetFileInfo(tasque_.get(), longPath.c_str()));
    EXPECT_EQ("", info.GetCheckFileInfo(tasque_.get(), longPath.c_str()));
}

TEST_F(ImageListsGuiTest, RestoreListChecksOneDiskOrOneRow)
{
    CRestoreVolListCtrl list(true);
    list.SetAddMBRRowOrNot(true);
    RowCounter counter;
    int rowChecked = 0;
    list.SetRowChangedCallBack(&counter);
    list.SetRowCheckedCallBack(&CountCall, &rowChecked);
    ASSERT_EQ(0, list.InitList(tasque_.get(), set_.c_str(), &versions_.back()));
    Show(list.GetListWidgetInterface());
    GtkWidget* view = list.GetListWidget();
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(view));
    using C = CRestoreVolListCtrl;

    EXPECT_EQ(2, list.GetDiskNum());
    EXPECT_EQ("Disk1", Text(model, "0", C::COL_TITLE));
    EXPECT_EQ("Disk3", Text(model, "1", C::COL_TITLE));
    EXPECT_EQ("*: VIEWS16", Text(model, "0:0", C::COL_PARTITION));
    EXPECT_EQ("*: VIEWSNTFS", Text(model, "0:1", C::COL_PARTITION));
    // The label as the set holds it (UTF-16), shown as UTF-8.
    EXPECT_EQ("*: " + ListLabelText(container_[2].Label, 64), Text(model, "0:2", C::COL_PARTITION));
    EXPECT_EQ(0, Text(model, "0:2", C::COL_PARTITION).compare(0, 9, "*: DATEN-"));
    EXPECT_EQ("*: DYNVOL", Text(model, "1:0", C::COL_PARTITION));
    EXPECT_EQ("FAT32", Text(model, "0:2", C::COL_TYPE));
    EXPECT_EQ("Primary", Text(model, "0:1", C::COL_PRILOG));
    EXPECT_EQ("Logical", Text(model, "0:2", C::COL_PRILOG));
    EXPECT_EQ("MBR and Track 0", Text(model, "0:3", C::COL_PARTITION));
    EXPECT_EQ("MBR and Track 0", Text(model, "1:1", C::COL_TYPE));
    EXPECT_EQ(2, gtk_tree_model_iter_n_children(model, nullptr));
    // The "MBR and Track 0" rows carry a number no partition of the set has.
    for (const char* mbr : {"0:3", "1:1"})
        for (const _KS_VOLUME& v : container_)
            EXPECT_NE(static_cast<int>(v.PartitionNumber), Int(model, mbr, C::COL_PART)) << mbr;
    EXPECT_EQ(kMbrRowPartition, Int(model, "0:3", C::COL_PART));
    EXPECT_EQ(C::kNoSourceDisk, list.GetSrcDiskIndex());

    const std::vector<const char*> rows = {"0", "0:0", "0:1", "0:2", "0:3", "1", "1:0", "1:1"};
    ClickTreeRow(view, "0:0");
    EXPECT_EQ("01000000", Marks(model, C::COL_CHECKED, rows));
    EXPECT_EQ(0, list.GetSrcDiskIndex());
    ClickTreeRow(view, "1:0"); // a row of the other disk clears the first
    EXPECT_EQ("00000010", Marks(model, C::COL_CHECKED, rows));
    EXPECT_EQ(2, list.GetSrcDiskIndex());
    ClickTreeRow(view, "1:0"); // the only checked row stays checked
    EXPECT_EQ("00000010", Marks(model, C::COL_CHECKED, rows));
    EXPECT_EQ((std::vector<int>{4, 2, 2}), counter.seen);
    EXPECT_EQ(3, rowChecked);

    ClickTreeRow(view, "0"); // the disk row checks all its rows, the boot record's too
    EXPECT_EQ("11111000", Marks(model, C::COL_CHECKED, rows));
    EXPECT_EQ(4, list.GetCheckedVolNum());
    ClickTreeRow(view, "0:3");
    EXPECT_EQ("00001000", Marks(model, C::COL_CHECKED, rows));
    ASSERT_EQ(1, list.GetCheckedVolNum());
    EXPECT_EQ(nullptr, list.GetVolInfo()[0]);
    _KS_VOLUME out{};
    EXPECT_EQ(0, list.GetCheckedVol(0, out));
    EXPECT_EQ(C::kNoSelectedVolume, list.GetSelectedVol(out));
    TapTreeKey(view, GDK_space); // a single row cannot be unchecked by itself
    EXPECT_EQ("00001000", Marks(model, C::COL_CHECKED, rows));
    EXPECT_EQ(4, counter.seen.back());

    // The boot record's row is the only highlighted row of its disk.
    PixelSnapshot shot = PixelSnapshot::OfWidget(view);
    ASSERT_TRUE(shot.Valid());
    auto sizeCell = [&](const char* path) {
        GtkTreePath* p = gtk_tree_path_new_from_string(path);
        GdkRectangle area{0, 0, 0, 0};
        gtk_tree_view_get_background_area(GTK_TREE_VIEW(view), p, gtk_tree_view_get_column(GTK_TREE_VIEW(view), 2),
                                          &area);
        gtk_tree_path_free(p);
        gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(view), area.x, area.y, &area.x, &area.y);
        return shot.At(area.x + 3, area.y + 2);
    };
    EXPECT_EQ(Rgb(49, 106, 197), sizeCell("0:3"));
    for (const char* other : {"0:0", "0:1", "0:2", "1:0", "1:1"})
        EXPECT_EQ(Rgb(255, 255, 255), sizeCell(other)) << other;

    // One partition checked: its record is the set's own.
    ClickTreeRow(view, "0:1");
    ASSERT_EQ(1, list.GetCheckedVolNum());
    ASSERT_EQ(1, list.GetCheckedVol(0, out));
    const _KS_VOLUME* ntfs = ContainerVolume(0, static_cast<uint16_t>(Int(model, "0:1", C::COL_PART)));
    ASSERT_NE(nullptr, ntfs);
    EXPECT_EQ(0, std::memcmp(ntfs, &out, sizeof out));
    _KS_VOLUME selected{};
    ASSERT_EQ(0u, list.GetSelectedVol(selected));
    EXPECT_EQ(0, std::memcmp(ntfs, &selected, sizeof selected));

    // Another button tells the page about no rows; other keys are swallowed.
    ClickTreeRow(view, "0:2", 60, 3);
    EXPECT_EQ(0, counter.seen.back());
    const size_t told = counter.seen.size();
    TapTreeKey(view, GDK_Return);
    EXPECT_EQ(told, counter.seen.size());
    EXPECT_EQ("00100000", Marks(model, C::COL_CHECKED, rows));

    // A second fill starts over.
    ASSERT_EQ(0, list.InitList(tasque_.get(), set_.c_str(), &versions_.front()));
    model = gtk_tree_view_get_model(GTK_TREE_VIEW(list.GetListWidget()));
    EXPECT_EQ(2, list.GetDiskNum());
    EXPECT_EQ(0, list.GetCheckedVolNum());
    EXPECT_EQ(C::kNoSourceDisk, list.GetSrcDiskIndex());
}

TEST_F(ImageListsGuiTest, RestoreListOfNoSetIsEmpty)
{
    CRestoreVolListCtrl list(false);
    EXPECT_EQ(0, list.InitList(tasque_.get(), nullptr, &versions_.back()));
    EXPECT_EQ(0, list.GetDiskNum());
    EXPECT_EQ(0, list.InitList(tasque_.get(), set_.c_str(), nullptr));
    EXPECT_EQ(0, gtk_tree_model_iter_n_children(gtk_tree_view_get_model(GTK_TREE_VIEW(list.GetListWidget())), nullptr));
}

TEST_F(ImageListsGuiTest, CheckListStartsCheckedAndHandsOnTheSetsRecords)
{
    std::wstring path = Wide(set_);
    ASSERT_EQ(0u, tasque_->CheckIsPwdProtect(&path[0])); // as the check-image page does first
    CVolListCtrl list(true);
    list.SetCheckImage();
    int rowChecked = 0;
    list.SetRowCheckedCallBack(&CountCall, &rowChecked);
    ASSERT_EQ(0, list.InitList(tasque_.get(), set_.c_str(), &versions_.back()));
    EXPECT_EQ(1, rowChecked);
    list.AppendColumn("Partition", CVolListCtrl::COL_PARTITION, 0.0f, 0.0f, 120, 0);
    list.AppendColumn("Type", CVolListCtrl::COL_TYPE, 0.0f, 0.0f, 80, 0);
    list.AppendColumn("Size", CVolListCtrl::COL_SIZE, 1.0f, 1.0f, 80, 0);
    list.AppendColumn(" ", CVolListCtrl::COL_LAST, 0.0f, 0.0f, 1, 0);
    Show(list.GetListWidgetInterface());
    GtkWidget* view = list.GetListWidget();
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(view));
    using C = CVolListCtrl;

    EXPECT_EQ(2, list.GetDiskNum());
    // Numbered from 1 as the check's progress page numbers them.
    EXPECT_EQ("Disk1", Text(model, "0", C::COL_TITLE));
    EXPECT_EQ("Disk3", Text(model, "1", C::COL_TITLE));
    EXPECT_EQ("Active", Text(model, "0:0", C::COL_STATUS));
    EXPECT_EQ("None", Text(model, "0:1", C::COL_STATUS));
    const std::vector<const char*> rows = {"0", "0:0", "0:1", "0:2", "1", "1:0"};
    EXPECT_EQ("111111", Marks(model, C::COL_CHECKED, rows));
    EXPECT_EQ(4u, list.GetVolInfo().size());

    // Every record handed on is the container's, its drive letter included.
    ASSERT_EQ(4, list.GetCheckedVolNum());
    for (uint16_t n = 0; n < 4; ++n) {
        _KS_VOLUME out{};
        ASSERT_EQ(1, list.GetCheckedVol(n, out));
        const _KS_VOLUME* expected = ContainerVolume(out.DiskNumber, out.PartitionNumber);
        ASSERT_NE(nullptr, expected) << n;
        EXPECT_EQ(expected->DriveLetter, out.DriveLetter) << n;
        EXPECT_EQ(0, std::memcmp(expected, &out, sizeof out)) << n;
    }
    _KS_VOLUME none{};
    EXPECT_EQ(0, list.GetCheckedVol(4, none));

    // Unchecking one volume unchecks its disk row and leaves the other disk alone.
    ClickTreeRow(view, "0:1");
    EXPECT_EQ("010111", Marks(model, C::COL_CHECKED, rows));
    ClickTreeRow(view, "0:1");
    EXPECT_EQ("111111", Marks(model, C::COL_CHECKED, rows));
    ClickTreeRow(view, "1");
    EXPECT_EQ("111100", Marks(model, C::COL_CHECKED, rows));
    TapTreeKey(view, GDK_space); // space toggles the selected row: the disk row
    EXPECT_EQ("111111", Marks(model, C::COL_CHECKED, rows));
    EXPECT_EQ(1 + 4, rowChecked);
    _KS_VOLUME selected{};
    EXPECT_EQ(C::kNoSelectedVolume, list.GetSelectedVol(selected));
    ClickTreeRow(view, "1:0");
    ASSERT_EQ(0u, list.GetSelectedVol(selected));
    EXPECT_EQ(2, selected.DiskNumber);
    EXPECT_EQ(3, list.GetCheckedVolNum());
}

TEST_F(ImageListsGuiTest, CheckListThroughTheRestoreGroupStartsUnchecked)
{
    CVolListCtrl list(false);
    ASSERT_EQ(0, list.InitList(tasque_.get(), set_.c_str(), &versions_.back()));
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(list.GetListWidget()));
    EXPECT_EQ("000000", Marks(model, CVolListCtrl::COL_CHECKED, {"0", "0:0", "0:1", "0:2", "1", "1:0"}));
    EXPECT_EQ(4, list.GetVolumeCount());
    EXPECT_EQ(0, list.GetCheckedVolNum());
}

} // namespace
