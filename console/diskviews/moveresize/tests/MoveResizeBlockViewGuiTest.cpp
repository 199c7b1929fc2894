// The strip's blocks as disk panel rows show them, over real partitions and free space
// of a disk image: names, tooltips, widths and the colours read back from the screen.
#include <gtk/gtk.h>

#include <string>

#include "CMoveResizeDeviceBlock.h"
#include "CMoveResizeManager.h"
#include "FakeDeviceTree.h"
#include "FixtureImage.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"
#include "VessmarFixture.h"

using namespace gui_events;
using namespace gui_wait;

namespace {
uint32_t ViewRgb(int r, int g, int b)
{
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

std::string ViewDisk()
{
    return MakeFixtureImage("layout/move-resize-disk.sh", "layout-move-resize-disk.img");
}

// The listed item (partition or free space) that starts at sector start.
IManagerItem* ItemStartingAt(unsigned long long start)
{
    for (IManagerItem* disk : Disks())
        for (IManagerItem* item : Items(PartitionsOf(disk)))
            if (EntryOf(item)->GetStartSector() == start)
                return item;
    return nullptr;
}

class MoveResizeBlockViewGuiTest : public GuiTest {
protected:
    void Show(CMoveResizeDeviceBlock& block, int width)
    {
        block.SetLength(width);
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_container_add(GTK_CONTAINER(window_), block.GetDeviceBlock());
        ASSERT_TRUE(ShowAndSettle(window_));
    }
    void TearDown() override
    {
        if (window_ != nullptr)
            gtk_widget_destroy(window_);
        GuiTest::TearDown();
    }
    GtkWidget* window_ = nullptr;
};

TEST_F(MoveResizeBlockViewGuiTest, PartitionsAndFreeSpaceShowTheirNamesAndTooltips)
{
    DiskImages images({ViewDisk()});
    struct Case {
        unsigned long long start;
        bool partition;
        int fileSystem;
        const char* name;
        const char* label;
        const char* tooltipHead;  // the tooltip up to its used size
        uint32_t outline;         // the main block's edge colour
    };
    const Case cases[] = {
        {96453, true, 1, "FAT16", "DATA", "FAT16\n*: DATA\nSize: 31 MB\nUsed size: ", ViewRgb(0, 182, 80)},
        {401625, true, 4, "Other", "", "Other\n*: \nSize: 15 MB\nUsed size: ", ViewRgb(64, 64, 64)},
        {160650, false, 3, "Unallocated", "", "Unallocated\nSize: 31 MB", ViewRgb(188, 188, 188)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IManagerItem* item = ItemStartingAt(c.start);
        ASSERT_NE(nullptr, item);
        CMoveResizeDeviceBlock block;
        block.Init(item);
        EXPECT_EQ(c.partition, block.IsPartition());
        EXPECT_EQ(c.name, block.GetFileSystemName());
        EXPECT_EQ(c.label, block.GetVolumeLabel());
        EXPECT_EQ(ImproperDiskKind::None, block.GetImproperKind());
        std::string tooltip = c.tooltipHead;
        if (c.partition) {
            EXPECT_EQ(c.fileSystem, block.GetFileSystem());
            const unsigned long long used =
                As<IFileSystemPartitionExtendInfo>(item)->GetUsedSectors() / 2048;
            EXPECT_EQ(used, block.GetUsedMB());
            tooltip += std::to_string(used) + " MB";
        }
        EXPECT_EQ(tooltip, block.GetTooltipText());
        gchar* shown = gtk_widget_get_tooltip_text(block.GetMainBlock());
        ASSERT_NE(nullptr, shown);
        EXPECT_EQ(tooltip, shown);
        g_free(shown);

        Show(block, 200);
        PixelSnapshot shot = PixelSnapshot::OfWidget(block.GetMainBlock());
        ASSERT_TRUE(shot.Valid());
        EXPECT_EQ(c.outline, shot.At(1, 20));
        if (!c.partition) {
            EXPECT_EQ(ViewRgb(144, 144, 144), shot.At(shot.Width() - 10, 20)) << "inactive free space";
            block.SetBloclActive(1);
            block.UpdateDeviceBlock();
            Settle(60);
            PixelSnapshot active = PixelSnapshot::OfWidget(block.GetMainBlock());
            EXPECT_EQ(ViewRgb(219, 213, 204), active.At(active.Width() - 10, 20)) << "free space taking drags";
        }
        gtk_widget_destroy(window_);
        window_ = nullptr;
    }
}

TEST_F(MoveResizeBlockViewGuiTest, FreeSpaceOfAGptDiskIsDrawnAsAnImproperDisk)
{
    // The device manager lists no free space on disks it cannot lay out: an in-memory
    // disk stands in for one.
    FakeDisk disk(10 * 16065);
    disk.diskType = 1;  // GPT
    FakePartitionData space;
    space.start = 0;
    space.count = 10 * 16065;
    FakePartition* item = disk.Add(space);
    CMoveResizeDeviceBlock block;
    block.Init(item);
    EXPECT_EQ(ImproperDiskKind::Gpt, block.GetImproperKind());
    EXPECT_FALSE(block.IsPartition());
    EXPECT_EQ("Unallocated\nSize: 78 MB", block.GetTooltipText());
    disk.bad = true;
    CMoveResizeDeviceBlock bad;
    bad.Init(item);
    EXPECT_EQ(ImproperDiskKind::Bad, bad.GetImproperKind()) << "the last test wins";

    Show(block, 300);
    PixelSnapshot shot = PixelSnapshot::OfWidget(block.GetMainBlock());
    ASSERT_TRUE(shot.Valid());
    EXPECT_EQ(ViewRgb(255, 255, 128), shot.At(2, 20));                 // the wide outline
    EXPECT_EQ(ViewRgb(255, 255, 204), shot.At(shot.Width() - 20, 20));  // the fill, clear of the title
    EXPECT_GT(shot.Count(ViewRgb(0, 0, 0)), 20) << "the title is drawn";
}

TEST_F(MoveResizeBlockViewGuiTest, ActiveFatPartitionIsNeverLaidOutPastTheLoadersLimit)
{
    DiskImages images({ViewDisk()});
    struct Case {
        unsigned long long start;
        bool capped;
    };
    for (const Case& c : {Case{63, true}, Case{96453, false}}) {
        SCOPED_TRACE(c.start);
        IManagerItem* item = ItemStartingAt(c.start);
        ASSERT_NE(nullptr, item);
        CMoveResizeDeviceBlock block;
        block.Init(item);
        EXPECT_EQ(c.capped, block.HasActiveFatCap());
        block.SetBlockLength(10, 40, 5, 20);
        const StripWidths laid = block.Widths();
        EXPECT_GT(laid.main, 0);
        block.SetBlockLength(10, 400000, 5, 20);
        EXPECT_EQ(c.capped, block.Widths().main == laid.main);
        EXPECT_EQ(c.capped ? 40.0 : 400000.0, block.GetSize());
    }
}
TEST_F(MoveResizeBlockViewGuiTest, ParentWindowAndBlockMayGoInEitherOrder)
{
    DiskImages images({ViewDisk()});
    IManagerItem* item = ItemStartingAt(96453);
    ASSERT_NE(nullptr, item);
    GtkWidget* parent = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    {
        CMoveResizeDeviceBlock block;
        block.Init(item);
        block.SetParentWnd(parent);
        ASSERT_TRUE(ShowAndSettle(parent));
    }
    gtk_widget_queue_draw(parent);  // the block that went took its handler along
    Settle(60);
    CMoveResizeDeviceBlock last;
    last.Init(item);
    last.SetParentWnd(parent);
    gtk_widget_destroy(parent);  // the block outlives the window it drew beside
}
}  // namespace
