// The strip over a real partition of a disk image: real pointer drags, the manager
// following, and the colours read back from the screen.
#include <gtk/gtk.h>

#include <string>
#include <sys/stat.h>

#include "CMoveResizeDeviceBlock.h"
#include "CMoveResizeManager.h"
#include "FixtureImage.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"
#include "VessmarFixture.h"
#include "vessmar/IPartitionTableChainWriter.h"

using namespace gui_events;
using namespace gui_wait;

namespace {
uint32_t Rgb(int r, int g, int b)
{
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

IManagerItem* PartitionAt(unsigned long long start)
{
    for (IManagerItem* disk : Disks())
        for (IManagerItem* item : Items(PartitionsOf(disk))) {
            IPartitionEntry* entry = EntryOf(item);
            if (entry != nullptr && entry->GetPartitionType() != 0 && entry->GetStartSector() == start)
                return item;
        }
    return nullptr;
}

class MoveResizeStripGuiTest : public GuiTest {
protected:
    void Show(CMoveResizeManager& manager, CMoveResizeDeviceBlock& block, IManagerItem* item)
    {
        manager.InitManager(item);
        block.SetMoveResizeManager(&manager);
        block.InitMoveResizeDlg(item);
        block.SetMoveReSizeDlgBlockSize();
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_container_add(GTK_CONTAINER(window_), block.GetDeviceBlock());
        ASSERT_TRUE(ShowAndSettle(window_));
    }
    void TearDown() override
    {
        // The strip was destroyed with its block at the end of the test.
        if (window_ != nullptr)
            gtk_widget_destroy(window_);
        GuiTest::TearDown();
    }
    // Presses at x of the widget, moves by dx in steps, releases.
    static void Drag(GtkWidget* widget, int x, int dx)
    {
        const int y = widget->allocation.height / 2;
        MovePointerTo(widget, x, y);
        Settle(30);
        PressButton(1);
        Settle(30);
        const RootPoint from = ToRoot(widget, x, y);
        for (int i = 1; i <= 4; ++i) {
            MovePointer(RootPoint{from.x + dx * i / 4, from.y});
            Settle(30);
        }
        ReleaseButton(1);
        Settle(60);
    }
    GtkWidget* window_ = nullptr;
};

std::string Disk()
{
    return MakeFixtureImage("layout/move-resize-disk.sh", "layout-move-resize-disk.img");
}

MOVERESIZE_MANAGER_PARAM Out(CMoveResizeManager& manager)
{
    MOVERESIZE_MANAGER_PARAM p{};
    manager.GetOutParam(p);
    return p;
}

TEST_F(MoveResizeStripGuiTest, DragsMoveTheWidthsAndTheManagerAlike)
{
    DiskImages images({Disk()});
    IManagerItem* item = PartitionAt(224973);  // FAT16 with free space on both sides
    ASSERT_NE(nullptr, item);
    CMoveResizeManager manager(true);
    CMoveResizeDeviceBlock block;
    Show(manager, block, item);

    PixelSnapshot shot = PixelSnapshot::OfWidget(block.GetDeviceBlock());
    ASSERT_TRUE(shot.Valid());
    EXPECT_EQ(Rgb(144, 144, 144), shot.At(2, 25));                                  // free space before
    EXPECT_EQ(Rgb(0, 182, 80), shot.At(block.Widths().leftFree + 6 + 1, 25));       // the outline, FAT16
    EXPECT_EQ(Rgb(255, 255, 204), shot.At(block.Widths().leftFree + 6 + 5, 45));    // the used share
    std::string artifacts = RVD_ARTIFACTS_DIR;
    mkdir(artifacts.c_str(), 0755);
    shot.SaveForInspection((artifacts + "/move-resize-strip.png").c_str());

    // The right bar dragged right: the partition grows into the space after.
    const StripWidths before = block.Widths();
    const double sizeBefore = Out(manager).dCurSize;
    Drag(block.GetRightBar(), 3, 60);
    EXPECT_GT(block.Widths().main, before.main);
    EXPECT_LT(block.Widths().rightFree, before.rightFree);
    EXPECT_GT(Out(manager).dCurSize, sizeBefore + 10);

    // The middle dragged left: the partition moves into the space before.
    const StripWidths grown = block.Widths();
    const double gapBefore = Out(manager).dPreSize;
    Drag(block.GetMainBlock(), 40, -50);
    EXPECT_LT(block.Widths().leftFree, grown.leftFree);
    EXPECT_EQ(grown.main, block.Widths().main);
    EXPECT_LT(Out(manager).dPreSize, gapBefore);
}

TEST_F(MoveResizeStripGuiTest, DraggedSizeIsWrittenOnCylinderBoundaries)
{
    DiskImages images({Disk()});
    IManagerItem* item = PartitionAt(224973);  // the second logical FAT16
    ASSERT_NE(nullptr, item);
    IManagerItem* disk = item->GetParent();
    CMoveResizeManager manager(true);
    CMoveResizeDeviceBlock block;
    Show(manager, block, item);
    Drag(block.GetRightBar(), 3, 80);
    ASSERT_TRUE(block.MoveResizeSign());
    const double dragged = Out(manager).dCurSize;
    ASSERT_TRUE(manager.UpdateManagerItem());
    ASSERT_EQ(0ul, As<IPartitionTableChainWriter>(disk)->Write());

    bool seen = false;
    for (const DumpLine& line : SfdiskDump(images.Path(0))) {
        if (line.number != 6) {
            // The other entries are as the fixture made them.
            const bool kept = (line.number == 1 && line.start == 63 && line.size == 96327 && line.bootable) ||
                              (line.number == 2 && line.start == 96390 && line.size == 305235) ||
                              (line.number == 3 && line.start == 401625 && line.type == 0x83) ||
                              (line.number == 5 && line.start == 96453 && line.size == 64197);
            EXPECT_TRUE(kept) << line.number;
            continue;
        }
        seen = true;
        EXPECT_EQ(224973ull, line.start);
        EXPECT_EQ(0ull, (line.start + line.size) % 16065) << "ends on a cylinder";
        EXPECT_GT(line.size, 64197ull);
        EXPECT_NEAR(dragged, line.size / 2048.0, 16065 / 2048.0) << "the size the strip showed, to a cylinder";
        EXPECT_EQ(6u, line.type);
        EXPECT_FALSE(line.bootable);
    }
    EXPECT_TRUE(seen);
}

TEST_F(MoveResizeStripGuiTest, RefusedDragsChangeNothing)
{
    DiskImages images({Disk()});
    IManagerItem* item = PartitionAt(63);  // the active primary: no free space after it
    ASSERT_NE(nullptr, item);
    CMoveResizeManager manager(true);
    CMoveResizeDeviceBlock block;
    Show(manager, block, item);
    const StripWidths start = block.Widths();
    const MOVERESIZE_MANAGER_PARAM param = Out(manager);
    Drag(block.GetMainBlock(), 40, 60);   // nothing free on the right
    Drag(block.GetRightBar(), 3, 60);     // nothing to grow into
    EXPECT_EQ(start.leftFree, block.Widths().leftFree);
    EXPECT_EQ(start.main, block.Widths().main);
    EXPECT_EQ(start.rightFree, block.Widths().rightFree);
    EXPECT_DOUBLE_EQ(param.dCurSize, Out(manager).dCurSize);
    EXPECT_DOUBLE_EQ(param.dPreSize, Out(manager).dPreSize);
}

TEST_F(MoveResizeStripGuiTest, StopSignsHoldTheStripUntilCleared)
{
    DiskImages images({Disk()});
    IManagerItem* item = PartitionAt(224973);  // free space on both sides
    ASSERT_NE(nullptr, item);
    CMoveResizeManager manager(true);
    CMoveResizeDeviceBlock block;
    Show(manager, block, item);
    const StripWidths start = block.Widths();
    const MOVERESIZE_MANAGER_PARAM param = Out(manager);

    block.SetMoveStopSign(1);
    block.SetEstopSign(1);
    Drag(block.GetMainBlock(), 40, -50);
    EXPECT_FALSE(block.MoveResizeSign());
    Drag(block.GetRightBar(), 3, 40);
    Drag(block.GetLeftBar(), 3, -40);
    EXPECT_FALSE(block.MoveResizeSign());
    EXPECT_EQ(start.leftFree, block.Widths().leftFree);
    EXPECT_EQ(start.main, block.Widths().main);
    EXPECT_DOUBLE_EQ(param.dPreSize, Out(manager).dPreSize);
    EXPECT_DOUBLE_EQ(param.dCurSize, Out(manager).dCurSize);

    // The middle moves again once its sign is cleared; the bars still hold.
    block.SetMoveStopSign(0);
    Drag(block.GetRightBar(), 3, 40);
    EXPECT_EQ(start.main, block.Widths().main);
    Drag(block.GetMainBlock(), 40, -50);
    EXPECT_TRUE(block.MoveResizeSign());
    EXPECT_LT(block.Widths().leftFree, start.leftFree);
    EXPECT_LT(Out(manager).dPreSize, param.dPreSize);
    EXPECT_DOUBLE_EQ(param.dCurSize, Out(manager).dCurSize);
}

TEST_F(MoveResizeStripGuiTest, LinuxPartitionShowsOtherAndKeepsItsSize)
{
    DiskImages images({Disk()});
    IManagerItem* item = PartitionAt(401625);  // type 0x83
    ASSERT_NE(nullptr, item);
    CMoveResizeManager manager(true);
    CMoveResizeDeviceBlock block;
    Show(manager, block, item);
    EXPECT_EQ(4, block.GetFileSystem());
    EXPECT_EQ("Other", block.GetFileSystemName());
    const StripWidths start = block.Widths();
    Drag(block.GetRightBar(), 3, 40);
    Drag(block.GetLeftBar(), 3, -40);
    EXPECT_EQ(start.main, block.Widths().main);
    PixelSnapshot shot = PixelSnapshot::OfWidget(block.GetDeviceBlock());
    EXPECT_EQ(Rgb(64, 64, 64), shot.At(block.Widths().leftFree + 6 + 1, 25));  // outline of a foreign kind
}
}  // namespace
