// The target disk, target partition and partition edit pages under Xvfb over an
// in-memory disk: each page built as the wizard shows it, checked and saved as a
// picture in the build tree's artifacts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CDeviceList.h"
#include "CEditPartitionPage.h"
#include "CRecordingWizard.h"
#include "CSelectTargetDiskPage.h"
#include "CSelectTargetPartitionPage.h"
#include "CSpinBtn.h"
#include "DiskTasque.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"
#include "RestorePagePosition.h"
#include "VolumeBuilder.h"

namespace {

void SavePagePicture(GtkWidget* widget, const char* name)
{
    PixelSnapshot shot = PixelSnapshot::OfWidget(widget);
    ASSERT_TRUE(shot.Valid());
    const std::string folder = RVD_ARTIFACTS_DIR;
    g_mkdir_with_parents(folder.c_str(), 0755);
    shot.SaveForInspection((folder + "/" + name).c_str());
}

class TargetPagesGui : public GuiTest {
protected:
    CRecordingWizard wizard;
    FakeDisk disk{100 * kCyl};
    DiskTasque tasque{disk};
    _KS_VOLUME ntfs = MakeVolume({KS_FS_NTFS, KS_VOLFLAG_PRIMARY, 0, 63, 8 * kCyl - 64, 30000, 8});
    FakePartition* made = nullptr;
    GtkWidget* window = nullptr;

    void SetUp() override
    {
        GuiTest::SetUp();
        FakePartitionData free1;
        free1.start = 63;
        free1.count = 2 * kCyl - 63;
        disk.Add(free1);
        FakePartitionData part;
        part.start = 2 * kCyl;
        part.count = 10 * kCyl;
        part.type = 0x07;
        part.fs = FILE_SYSTEM_NTFS;
        part.used = 30000;
        part.cluster = 8;
        made = disk.Add(part);
        FakePartitionData free2;
        free2.start = 12 * kCyl;
        free2.count = 88 * kCyl;
        disk.Add(free2);
        wizard.info.pTasque = &tasque;
        wizard.info.SetVolumes({&ntfs});
        tasque.diskCount = 1;
        tasque.diskInfo.TotalSectors = 100 * kCyl;
        tasque.diskInfo.TracksPerCylinder = 255;
        tasque.diskInfo.SectorsPerTrack = 63;
        tasque.diskInfo.DiskType = 2;
        std::strcpy(tasque.diskInfo.ModelName, "Test disk");
        _KS_PARTITION_INFO p{};
        p.StartSector = 2 * kCyl;
        p.SectorCount = 10 * kCyl;
        p.PartitionType = 0x07;
        p.FileSystemType = 3;
        p.Primary = 1;
        std::strcpy(p.VolumeLabel, "DATA");
        tasque.partitions.push_back(p);
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 640, 430);
    }
    void TearDown() override
    {
        if (window != nullptr)
            gtk_widget_destroy(window);
        GuiTest::TearDown();
    }
};

TEST_F(TargetPagesGui, TargetDiskPageListsTheDisks)
{
    // The disk bar reads the disks the disk map names: a small image of our own.
    char folder[] = "/tmp/target-disk-page-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string image = std::string(folder) + "/disk.img";
    ASSERT_EQ(0, std::system(("truncate -s 64M '" + image + "' && echo 'label: dos' | sfdisk --quiet '" + image +
                              "' >/dev/null 2>&1").c_str()));
    setenv("RVD_DISK_IMAGES", image.c_str(), 1);
    wizard.info.bDiskRestore = 1;
    wizard.info.nLastPage = RESTORE_PAGE_IMAGE_PARTITION;
    CSelectTargetDiskPage page(&wizard);
    gtk_container_add(GTK_CONTAINER(window), page.GetPage());
    page.InitPage();
    ASSERT_TRUE(ShowAndSettle(window));
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(page.GetListView()));
    EXPECT_EQ(1, gtk_tree_model_iter_n_children(model, nullptr));
    EXPECT_TRUE(wizard.nextEnabled) << "a 100-cylinder disk takes the image";
    SavePagePicture(window, "restore-target-disk-page.png");
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
}

// A command object whose second disk is named but not there: its record cannot be
// read, as the enumeration answers for a missing disk image.
class MissingSecondDiskTasque : public DiskTasque {
public:
    using DiskTasque::DiskTasque;
    std::vector<int> diskItemsAsked;
    unsigned long EnumGetDiskInfo(unsigned long long disk, _KS_DISK_INFO* record) override
    {
        return disk == 1 ? kFakeFailure : DiskTasque::EnumGetDiskInfo(disk, record);
    }
    unsigned long GetDiskItem(uint8_t disk, IManagerItem** item) override
    {
        diskItemsAsked.push_back(disk);
        return DiskTasque::GetDiskItem(disk, item);
    }
};

// The disk that is not there gets no row and cannot be chosen; the disk after it keeps
// its number, and choosing its row targets it.
TEST_F(TargetPagesGui, AMissingDiskIsNotListedAndTheNextDiskKeepsItsNumber)
{
    char folder[] = "/tmp/target-disk-gone-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string a = std::string(folder) + "/a.img", b = std::string(folder) + "/b.img";
    for (const std::string& image : {a, b})
        ASSERT_EQ(0, std::system(("truncate -s 64M '" + image + "' && echo 'label: dos' | sfdisk --quiet '" + image +
                                  "' >/dev/null 2>&1").c_str()));
    setenv("RVD_DISK_IMAGES", (a + ":" + std::string(folder) + "/gone.img:" + b).c_str(), 1);
    MissingSecondDiskTasque missing{disk};
    missing.diskCount = 3;
    missing.diskInfo = tasque.diskInfo;
    wizard.info.pTasque = &missing;
    wizard.info.bDiskRestore = 1;
    wizard.info.nLastPage = RESTORE_PAGE_IMAGE_PARTITION;
    CSelectTargetDiskPage page(&wizard);
    gtk_container_add(GTK_CONTAINER(window), page.GetPage());
    page.InitPage();
    ASSERT_TRUE(ShowAndSettle(window));
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(page.GetListView()));
    std::vector<std::string> rows;
    GtkTreeIter iter;
    for (gboolean more = gtk_tree_model_get_iter_first(model, &iter); more; more = gtk_tree_model_iter_next(model, &iter)) {
        gchar* text = nullptr;
        gtk_tree_model_get(model, &iter, 1, &text, -1);
        rows.push_back(text != nullptr ? text : "");
        g_free(text);
    }
    EXPECT_EQ((std::vector<std::string>{"Disk 1", "Disk 3"}), rows);
    GtkTreePath* second = gtk_tree_path_new_from_indices(1, -1);
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(page.GetListView()), second, nullptr, FALSE);
    gtk_tree_path_free(second);
    gui_wait::Settle();
    EXPECT_EQ(2, page.Logic().SelectedDisk());
    EXPECT_TRUE(wizard.nextEnabled);
    page.OnNextClicked();
    EXPECT_EQ(3u, wizard.info.nTargetDisk) << "the third named disk";
    ASSERT_FALSE(missing.diskItemsAsked.empty());
    EXPECT_EQ(2, missing.diskItemsAsked.back());
    wizard.info.pTasque = &tasque;
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
}

TEST_F(TargetPagesGui, TargetPartitionPageShowsTheDeviceList)
{
    CSelectTargetPartitionPage page(&wizard);
    gtk_container_add(GTK_CONTAINER(window), page.GetPage());
    page.InitPage();
    ASSERT_TRUE(ShowAndSettle(window));
    EXPECT_FALSE(wizard.nextEnabled) << "nothing usable selected yet";
    SavePagePicture(window, "restore-target-partition-page.png");
}

TEST_F(TargetPagesGui, ATargetTooSmallForTheVolumeIsGreyAndCannotBeChosen)
{
    // The free stretch before the partition (two cylinders) cannot take 100,000 used
    // sectors; the partition (ten cylinders) can.
    _KS_VOLUME large = MakeVolume({KS_FS_NTFS, KS_VOLFLAG_PRIMARY, 0, 63, 8 * kCyl - 64, 100000, 8});
    wizard.info.SetVolumes({&large});
    _KS_PARTITION_INFO free1{};
    free1.StartSector = 63;
    free1.SectorCount = 2 * kCyl - 63;
    free1.Primary = 1;
    tasque.partitions.insert(tasque.partitions.begin(), free1);
    CSelectTargetPartitionPage page(&wizard);
    gtk_container_add(GTK_CONTAINER(window), page.GetPage());
    page.InitPage();
    ASSERT_TRUE(ShowAndSettle(window));
    CDeviceList* list = page.GetDeviceList();
    ASSERT_EQ(list->PartitionRows(), (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}}));
    EXPECT_TRUE(list->IsRowDisabled(0, 0));
    EXPECT_FALSE(list->IsRowDisabled(0, 1));
    // Its text is drawn in grey.
    gui_wait::Settle(100);
    PixelSnapshot shot = PixelSnapshot::OfWidget(list->GetDeviceListWidget());
    ASSERT_TRUE(shot.Valid());
    EXPECT_GT(shot.Count(0x969696), 20);
    SavePagePicture(window, "restore-target-partition-too-small.png");
    // Choosing it does nothing; the partition row can be chosen.
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(list->GetDeviceListWidget()));
    GtkTreePath* tooSmall = gtk_tree_path_new_from_string("0:0");
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(list->GetDeviceListWidget()), tooSmall, nullptr, FALSE);
    gui_wait::Settle();
    EXPECT_FALSE(gtk_tree_selection_path_is_selected(selection, tooSmall));
    EXPECT_FALSE(wizard.nextEnabled);
    gtk_tree_path_free(tooSmall);
    GtkTreePath* partition = gtk_tree_path_new_from_string("0:1");
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(list->GetDeviceListWidget()), partition, nullptr, FALSE);
    gui_wait::Settle();
    EXPECT_TRUE(gtk_tree_selection_path_is_selected(selection, partition));
    gtk_tree_path_free(partition);
}

TEST_F(TargetPagesGui, EditPageShowsThePartitionBetweenItsFreeNeighbours)
{
    TagRestoreInfo& info = wizard.info;
    info.pTargetItem = made;
    info.nLastPage = RESTORE_PAGE_RESTORE_MODE;
    info.bMakePrimary = 1;
    info.targetPartition.StartSector = 2 * kCyl;
    info.targetPartition.SectorCount = 10 * kCyl;
    info.newPartition.FileSystem = 3;
    info.newPartition.FirstSector = 2 * kCyl;
    info.newPartition.LastSector = 12 * kCyl - 1;
    info.newPartition.Primary = 1;
    CEditPartitionPage page(&wizard);
    gtk_container_add(GTK_CONTAINER(window), page.GetPage());
    page.InitPage();
    ASSERT_TRUE(ShowAndSettle(window));
    const double cylinderMB = kCyl / 2048.0;
    EXPECT_NEAR(10 * cylinderMB, page.Spin(1)->GetValue(), 0.01);
    EXPECT_NEAR(2 * cylinderMB - 63 / 2048.0, page.Spin(0)->GetValue(), 0.01);
    EXPECT_NE(std::string(" "), gtk_label_get_text(GTK_LABEL(page.MinimumLabel())));
    SavePagePicture(window, "restore-edit-partition-page.png");
    // Next without a change keeps the partition where it is.
    page.OnNextClicked();
    EXPECT_EQ(2 * kCyl, uint64_t(info.newPartition.FirstSector));
    EXPECT_EQ(12 * kCyl - 1, uint64_t(info.newPartition.LastSector));
    EXPECT_EQ('*', info.targetPartition.DriveLetter);
}

} // namespace
