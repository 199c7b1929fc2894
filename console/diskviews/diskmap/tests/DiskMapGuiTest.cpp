// The disk map under Xvfb over the disk-view fixture disks and image set, through the
// real chain: disk map -> Vessmar.mo -> disk enumeration -> command builder and
// executor. Widths come from the widgets' allocations, colours from the screen.
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BlockColours.h"
#include "BlockDisplayLabel.h"
#include "CCloneDataBase.h"
#include "CDiskPanel.h"
#include "CImagePanel.h"
#include "DiskHeaderText.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ICensa.h"
#include "ITasque.h"
#include "ImageRowPlan.h"
#include "PixelSnapshot.h"
#include "ViewsChain.h"
#include "ViewsFixtures.h"
#include "ViewsSetVersions.h"

namespace {

constexpr int kPanelWidth = 640;
constexpr int kMargin = 12;
constexpr int kRowWidth = kPanelWidth - 2 * kMargin - 8;

uint32_t Rgb(const BlockRgb& c)
{
    return (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | static_cast<uint32_t>(c.b);
}

std::vector<GtkWidget*> Children(GtkWidget* container)
{
    std::vector<GtkWidget*> out;
    GList* list = gtk_container_get_children(GTK_CONTAINER(container));
    for (GList* l = list; l != nullptr; l = l->next)
        out.push_back(GTK_WIDGET(l->data));
    g_list_free(list);
    return out;
}

class DiskMapGuiTest : public GuiTest {
protected:
    static void SetUpTestSuite()
    {
        GuiTest::SetUpTestSuite();
        disks_ = MakeViewsDisks();
    }
    void SetUp() override
    {
        GuiTest::SetUp();
        ASSERT_TRUE(disks_.Complete()) << "the disk-view fixtures could not be made";
        ASSERT_TRUE(NameViewsDisks(disks_.DiskList()));
    }
    void TearDown() override
    {
        if (window_ != nullptr)
            gtk_widget_destroy(window_);
        window_ = nullptr;
        GuiTest::TearDown();
    }
    void Show(GtkWidget* widget, int width = kPanelWidth)
    {
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window_), width, -1);
        gtk_container_add(GTK_CONTAINER(window_), widget);
        ASSERT_TRUE(ShowAndSettle(window_));
    }
    // The blocks of a row: each block's allocation width, and all of them together.
    static void ExpectRowExactlyFilled(const CPanelBady& bar, int width)
    {
        int sum = 0;
        for (const auto& block : bar.Blocks()) {
            const int w = block->GetDevBlock()->allocation.width;
            EXPECT_GE(w, 15);
            EXPECT_EQ(w, block->GetBlockLength());
            sum += w;
        }
        EXPECT_EQ(sum, width);
    }

    static ViewsFixtureDisks disks_;
    GtkWidget* window_ = nullptr;
};

ViewsFixtureDisks DiskMapGuiTest::disks_;

} // namespace

TEST_F(DiskMapGuiTest, LiveRowsShowEachFixtureDiskAsTheEnumerationListsIt)
{
    ICensa* censa = CreateCensaObj();
    ASSERT_NE(censa, nullptr);
    const struct {
        int disk;
        const char* wholeDiskName;  // null: every block is its own partition or free space
    } cases[] = {{0, nullptr}, {1, "GPT Disk"}, {2, "Dynamic Disk"}, {3, "Bad Disk"}, {4, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.disk);
        CDiskPanel panel;
        panel.InitOneDiskPanel(c.disk, kMargin, kPanelWidth);
        Show(panel.GetDiskPanel());
        const CPanelBady& bar = *panel.Row()->Bady();
        unsigned long long count = 0;
        ASSERT_EQ(censa->GetPartitionCount(c.disk, &count), 0u);
        // A disk whose table lists nothing is shown as one block of the whole disk.
        ASSERT_EQ(bar.Blocks().size(), count > 0 ? count : 1);
        ExpectRowExactlyFilled(bar, kRowWidth);
        _KS_DISK_INFO info;
        std::memset(&info, 0, sizeof(info));
        censa->GetDiskInfo(c.disk, &info);
        EXPECT_EQ(panel.Row()->Header()->Text(), DiskHeaderText(c.disk + 1, info.TotalSectors));
        for (size_t p = 0; p < bar.Blocks().size(); ++p) {
            SCOPED_TRACE(p);
            const DeviceBlockLook& look = bar.Blocks()[p]->Look();
            if (c.wholeDiskName != nullptr) {
                EXPECT_TRUE(look.wholeDisk);
                EXPECT_EQ(BlockLabel(look), c.wholeDiskName);
            } else {
                EXPECT_FALSE(look.wholeDisk) << "no partition of a sound disk is drawn as a whole disk";
            }
        }
        gtk_widget_destroy(window_);
        window_ = nullptr;
    }
}

TEST_F(DiskMapGuiTest, BlocksAndHeaderDrawTheirColoursOnScreen)
{
    CDiskPanel panel;
    panel.InitOneDiskPanel(0, kMargin, kPanelWidth);
    Show(panel.GetDiskPanel());
    int checked = 0;
    for (const auto& block : panel.Row()->Bady()->Blocks()) {
        const DeviceBlockLook& look = block->Look();
        SCOPED_TRACE(BlockLabel(look));
        BlockShades shades;
        ASSERT_TRUE(BlockShadesOf(look.wholeDisk, look.unallocated, static_cast<int>(look.record.FileSystemType),
                                  shades));
        // Labels reach the screen through the text module; ASCII ones as they are.
        const std::string label = BlockLabel(look);
        const bool ascii = std::all_of(label.begin(), label.end(), [](char c) { return (c & 0x80) == 0; });
        if (ascii) {
            EXPECT_EQ(BlockDisplayLabel(look, 600), label);
        }
        const std::vector<GtkWidget*> parts = Children(block->GetDevBlock());
        ASSERT_EQ(parts.size(), 5u);
        PixelSnapshot gap = PixelSnapshot::OfWidget(parts[0]);
        EXPECT_EQ(gap.At(0, 20), Rgb(kBlockGapColour));
        PixelSnapshot bar = PixelSnapshot::OfWidget(parts[1]);
        EXPECT_EQ(bar.Width(), 5);
        EXPECT_EQ(bar.At(2, 5), Rgb(shades.light));
        EXPECT_EQ(bar.At(2, 30), Rgb(shades.dark));
        PixelSnapshot body = PixelSnapshot::OfWidget(parts[2]);
        EXPECT_EQ(body.Height(), 40);
        EXPECT_EQ(body.At(body.Width() - 2, 1), Rgb(shades.light));
        EXPECT_EQ(body.At(body.Width() - 2, 38), Rgb(shades.dark));
        // Left of the text, inside the frame: the used bar, free-space grey or white.
        const uint32_t inside = body.At(3, 8);
        if (look.unallocated)
            EXPECT_EQ(inside, Rgb(kBlockUnallocatedFill));
        else if (ShowsUsedBar(look) && body.Width() * look.usedShare - 6 >= 1)
            EXPECT_EQ(inside, Rgb(kBlockUsedFill));
        else
            EXPECT_EQ(inside, 0xFFFFFFu);
        ++checked;
    }
    EXPECT_GE(checked, 5);

    PixelSnapshot header = PixelSnapshot::OfWidget(panel.Row()->Header()->GetHeader());
    ASSERT_EQ(header.Height(), 20);
    EXPECT_EQ(header.At(header.Width() / 2, 1), 0xA0C951u) << "light line along the top";
    EXPECT_EQ(header.At(1, 18), 0xA0C951u) << "light line along the left";
    EXPECT_EQ(header.At(header.Width() - 1, 10), 0x1E261Au) << "dark line along the right";
    EXPECT_EQ(header.At(header.Width() / 2, 19), 0x1E261Au) << "dark line along the bottom";
    EXPECT_EQ(header.At(header.Width() - 10, 8), 0x669014u) << "the header's green";
}

TEST_F(DiskMapGuiTest, PlannedRowsLayTheTargetDiskOutFromThePlan)
{
    CCloneDataBase::Instance()->SetCloneTargetDisk(0);
    ICensa* censa = CreateCensaObj();
    _KS_DISK_INFO target;
    std::memset(&target, 0, sizeof(target));
    censa->GetDiskInfo(0, &target);
    ASSERT_GT(target.TotalSectors, 100000u);
    auto planned = [](unsigned long long first, unsigned long long last, uint32_t fs, uint32_t type) {
        TagRSPartitionInfo p;
        std::memset(&p, 0, sizeof(p));
        p.addParam.FileSystem = fs;
        p.addParam.FirstSector = first;
        p.addParam.LastSector = last;
        p.s64UseSector = static_cast<int64_t>((last - first + 1) / 3);
        p.u32PartitionType = type;
        return p;
    };
    std::vector<TagRSPartitionInfo> parts = {planned(2048, 40959, 1, 0x06), planned(40960, 81919, 3, 0x07),
                                             planned(81983, 100000, 2, 0x0B)};
    CDiskPanel panel;
    panel.InitOneVisualDiskPanel(0, parts, kMargin, kPanelWidth, 0, 0);
    Show(panel.GetDiskPanel());
    const CPanelBady& bar = *panel.Row()->Bady();
    // A leading free block, three partitions (gaps of 0 and 63 get none), the room left.
    ASSERT_EQ(bar.Blocks().size(), 5u);
    const bool free[] = {true, false, false, false, true};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(bar.Blocks()[i]->Look().unallocated, free[i]) << i;
    EXPECT_EQ(uint64_t{bar.Blocks()[0]->Look().record.SectorCount}, 2047u);
    EXPECT_EQ(uint64_t{bar.Blocks()[4]->Look().record.SectorCount},
              target.TotalSectors - (2047 + 38912 + 40960 + 18018));
    ExpectRowExactlyFilled(bar, kRowWidth);
    EXPECT_EQ(panel.Row()->Header()->Text(), DiskHeaderText(1, target.TotalSectors));

    // Drawn for the GPT disk, the plan's blocks ask the disk only when told to.
    for (int checkDisk : {0, 1}) {
        SCOPED_TRACE(checkDisk);
        CDiskPanel gpt;
        gpt.InitOneVisualDiskPanel(1, parts, kMargin, kPanelWidth, 0, checkDisk);
        for (const auto& block : gpt.Row()->Bady()->Blocks()) {
            EXPECT_EQ(block->IsDynamic(), checkDisk);
            if (checkDisk != 0) {
                EXPECT_EQ(BlockLabel(block->Look()), "GPT Disk");
            }
        }
    }
}

TEST_F(DiskMapGuiTest, ImageRowsShowTheVersionsDisksWithTheirOwnSizes)
{
    const std::string set = MakeViewsSet(VIEWS_BACKUP_TOOL_FILE);
    ASSERT_FALSE(set.empty()) << "the disk-view image set could not be made";
    ITasque* command = CreateTasqueObj();
    ASSERT_NE(command, nullptr);
    std::vector<_KS_VERSION> versions = ViewsSetVersions(*command, set);
    ASSERT_EQ(versions.size(), 3u);
    CImagePanel panel;
    ASSERT_EQ(panel.InitImagePanel(command, set.c_str(), &versions[2], 0, kRowWidth), 1);
    Show(panel.GetImagePanel(), kRowWidth);
    ASSERT_EQ(panel.Rows().size(), 2u) << "rows for disks 0 and 2 only";
    _KS_VOLUME volumes[16];
    unsigned long volumeCount = 0;
    ASSERT_EQ(command->RestoreGetImgVolumes(volumes, 16, &volumeCount, &versions[2]), 0u);
    const int records = static_cast<int>(volumeCount);
    const struct {
        int disk;
        size_t blocks;
    } rows[] = {{0, 3}, {2, 1}};
    for (size_t r = 0; r < 2; ++r) {
        SCOPED_TRACE(rows[r].disk);
        const COneDiskPanel& row = *panel.Rows()[r];
        EXPECT_EQ(row.Bady()->Blocks().size(), rows[r].blocks);
        ExpectRowExactlyFilled(*row.Bady(), kRowWidth);
        // The header tells the image disk's size, not the live disk's of that number.
        EXPECT_EQ(row.Header()->Text(),
                  DiskHeaderText(rows[r].disk + 1, ImageRowSectors(volumes, records, rows[r].disk)));
        for (const auto& block : row.Bady()->Blocks()) {
            EXPECT_FALSE(block->Look().unallocated);
            EXPECT_NE(block->Look().record.FileSystemType, 0u) << "no volume of the set is FAT12";
        }
    }
    EXPECT_EQ(panel.Rows()[1]->Header()->Text(), "Disk 3  16MB") << "the 16 MB volume, not the 48 MB disk";

    CImagePanel missing;
    EXPECT_EQ(missing.InitImagePanel(command, "/nonexistent/NONE.RVD", &versions[2], 0, kRowWidth), 0);
    EXPECT_TRUE(missing.Rows().empty());
    // A path longer than the panel hands on is cut, never written past its buffer.
    const std::string longPath = "/" + std::string(400, 'x') + ".RVD";
    CImagePanel cut;
    EXPECT_EQ(cut.InitImagePanel(command, longPath.c_str(), &versions[2], 0, kRowWidth), 0);
    command->Release();
}
