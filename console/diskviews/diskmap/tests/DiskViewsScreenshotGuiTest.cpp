// The disk views together in one window over the disk-view fixtures: the device list,
// the disk map's live rows and the image panel of the set's last version. The window is
// saved as artifacts/disk-views.png for people to look at.
#include <gtk/gtk.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BlockColours.h"
#include "CDeviceList.h"
#include "CDiskPanel.h"
#include "CImagePanel.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ITasque.h"
#include "PixelSnapshot.h"
#include "ViewsChain.h"
#include "ViewsFixtures.h"
#include "ViewsSetVersions.h"

namespace {

class DiskViewsScreenshotGuiTest : public GuiTest {};

GtkWidget* Titled(const char* title, GtkWidget* child)
{
    GtkWidget* frame = gtk_frame_new(title);
    gtk_container_add(GTK_CONTAINER(frame), child);
    return frame;
}

} // namespace

TEST_F(DiskViewsScreenshotGuiTest, DeviceListDiskMapAndImagePanelInOneWindow)
{
    const ViewsFixtureDisks disks = MakeViewsDisks();
    ASSERT_TRUE(disks.Complete());
    const std::string set = MakeViewsSet(VIEWS_BACKUP_TOOL_FILE);
    ASSERT_FALSE(set.empty());
    ASSERT_TRUE(NameViewsDisks(disks.DiskList()));
    ITasque* command = CreateTasqueObj();
    ASSERT_NE(command, nullptr);
    command->EnumInit();

    // The device list across the top, the live disk map and the image panel side by
    // side under it: the whole window fits the test screen.
    constexpr int kMapWidth = 520;
    constexpr int kImageWidth = 460;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Disk views");
    GtkWidget* column = gtk_vbox_new(FALSE, 6);
    gtk_container_add(GTK_CONTAINER(window), column);

    std::unique_ptr<CDeviceList> list(new CDeviceList(false, true, false));
    list->SetTasque(command);
    list->InitDeviceList();
    gtk_widget_set_size_request(list->GetDeviceListWidgetInterface(), kMapWidth + kImageWidth, 250);
    gtk_box_pack_start(GTK_BOX(column), Titled("Device list", list->GetDeviceListWidgetInterface()), FALSE, TRUE, 0);
    GtkWidget* lower = gtk_hbox_new(FALSE, 6);
    gtk_box_pack_start(GTK_BOX(column), lower, FALSE, TRUE, 0);

    GtkWidget* map = gtk_vbox_new(FALSE, 0);
    std::vector<std::unique_ptr<CDiskPanel>> rows;
    for (size_t d = 0; d < disks.DiskList().size(); ++d) {
        rows.emplace_back(new CDiskPanel);
        rows.back()->InitOneDiskPanel(d, 12, kMapWidth);
        gtk_box_pack_start(GTK_BOX(map), rows.back()->GetDiskPanel(), FALSE, TRUE, 0);
    }
    gtk_box_pack_start(GTK_BOX(lower), Titled("Disk map", map), FALSE, TRUE, 0);

    std::vector<_KS_VERSION> versions = ViewsSetVersions(*command, set);
    ASSERT_EQ(versions.size(), 3u);
    CImagePanel image;
    ASSERT_EQ(image.InitImagePanel(command, set.c_str(), &versions[2], 0, kImageWidth - 24), 1);
    GtkWidget* imageBox = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(imageBox), image.GetImagePanel(), TRUE, TRUE, 12);
    GtkWidget* imageColumn = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(imageColumn), imageBox, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(lower), Titled("Image file, third version", imageColumn), TRUE, TRUE, 0);

    ASSERT_TRUE(ShowAndSettle(window));
    gui_wait::Settle(200);
    const PixelSnapshot shot = PixelSnapshot::OfWidget(window);
    ASSERT_TRUE(shot.Valid());
    EXPECT_GE(shot.Width(), kMapWidth + kImageWidth);
    EXPECT_LE(shot.Height(), 768) << "the window fits the screen it is read back from";
    // Seven live rows and image rows each show a green header.
    EXPECT_GT(shot.Count(0x669014), 7 * 200);
    // The NTFS, FAT and free-space blocks are there.
    EXPECT_GT(shot.Count(0x9D49DC), 50);
    EXPECT_GT(shot.Count(0x40BB3E), 50);
    EXPECT_GT(shot.Count(0xB4B4B4), 50);

    mkdir(RVD_ARTIFACTS_DIR, 0755);
    const std::string path = std::string(RVD_ARTIFACTS_DIR) + "/disk-views.png";
    std::remove(path.c_str());
    shot.SaveForInspection(path.c_str());
    struct stat st;
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;

    // Each view lets go of its widgets while they still stand.
    list.reset();
    rows.clear();
    gtk_widget_destroy(window);
    command->Release();
}
