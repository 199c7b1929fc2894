// The block's drawing functions on an image surface: bars in the file system's shades,
// the body's edges, frame, free-space fill and used bar, read back pixel by pixel.
#include <gtest/gtest.h>

#include <cstring>

#include "BlockDrawing.h"

// Fontconfig and pango's font map keep their caches for the life of the process on
// purpose; those one-time allocations are not leaks of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libpangoft2\n";
}

namespace {

class Canvas {
public:
    Canvas(int w, int h) : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)), cr_(cairo_create(surface_))
    {
        // A background no drawing step uses, to see what was left alone.
        cairo_set_source_rgb(cr_, 1.0, 0, 1.0);
        cairo_paint(cr_);
    }
    ~Canvas()
    {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    cairo_t* Cr() { return cr_; }
    BlockRgb At(int x, int y)
    {
        cairo_surface_flush(surface_);
        const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
        uint32_t px;
        std::memcpy(&px, row + 4 * x, 4);
        return {static_cast<int>((px >> 16) & 0xFF), static_cast<int>((px >> 8) & 0xFF), static_cast<int>(px & 0xFF)};
    }

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

constexpr BlockRgb kBackground{255, 0, 255};

} // namespace

void PrintTo(const BlockRgb& c, std::ostream* os)
{
    *os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

namespace {

DeviceBlockLook Look(unsigned type, unsigned kind, unsigned long long total, unsigned long long used)
{
    __PARTITION_INFO_CMD r;
    std::memset(&r, 0, sizeof(r));
    r.PartitionType = static_cast<uint8_t>(type);
    r.FileSystemType = kind;
    r.SectorCount = total;
    r.UsedSectors = used;
    return MakeBlockLook(r);
}

} // namespace

TEST(BlockDrawing, BarsAreLightInTheirTopTenRowsAndDarkBelow)
{
    const struct {
        const char* what;
        DeviceBlockLook look;
        BlockRgb top, bottom;
    } cases[] = {
        {"FAT16", Look(0x06, 1, 100, 0), {64, 187, 62}, {2, 153, 0}},
        {"NTFS", Look(0x07, 3, 100, 0), {157, 73, 220}, {115, 0, 203}},
        {"free space", Look(0, 7, 100, 0), {180, 180, 180}, {180, 180, 180}},
        {"kind 6 draws nothing", Look(0x07, 6, 100, 0), kBackground, kBackground},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas canvas(5, 40);
        DrawBlockBar(canvas.Cr(), 5, 40, c.look);
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(canvas.At(x, 0), c.top);
            EXPECT_EQ(canvas.At(x, 9), c.top);
            EXPECT_EQ(canvas.At(x, 10), c.bottom);
            EXPECT_EQ(canvas.At(x, 39), c.bottom);
        }
    }
}

TEST(BlockDrawing, GapsAreFilledWithTheRowColour)
{
    Canvas canvas(1, 40);
    DrawBlockGap(canvas.Cr(), 1, 40);
    EXPECT_EQ(canvas.At(0, 0), kBlockGapColour);
    EXPECT_EQ(canvas.At(0, 39), kBlockGapColour);
}

TEST(BlockDrawing, TheBodyShowsEdgesFrameAndTheUsedShare)
{
    Canvas canvas(200, 40);
    DrawBlockBody(canvas.Cr(), 200, 40, Look(0x07, 3, 1000, 500), "");
    EXPECT_EQ(canvas.At(100, 0), (BlockRgb{157, 73, 220})) << "light edge along the top";
    EXPECT_EQ(canvas.At(100, 39), (BlockRgb{115, 0, 203})) << "dark edge along the bottom";
    EXPECT_EQ(canvas.At(150, 3), (BlockRgb{189, 189, 189})) << "outer frame";
    EXPECT_EQ(canvas.At(150, 35), (BlockRgb{200, 200, 200}));
    EXPECT_EQ(canvas.At(150, 34), (BlockRgb{217, 217, 217}));
    EXPECT_EQ(canvas.At(150, 20), (BlockRgb{255, 255, 255})) << "white inside";
    // Used share 0.5 of 200 px: the bar's edge from x 2 to 98, its fill from 3 to 97.
    EXPECT_EQ(canvas.At(2, 20), kBlockUsedEdge);
    EXPECT_EQ(canvas.At(97, 20), kBlockUsedEdge);
    EXPECT_EQ(canvas.At(50, 20), kBlockUsedFill);
    EXPECT_EQ(canvas.At(96, 20), kBlockUsedFill);
    EXPECT_EQ(canvas.At(98, 20), (BlockRgb{255, 255, 255}));
}

TEST(BlockDrawing, FreeSpaceIsGreyAndSmallSharesDrawNoUsedBar)
{
    const struct {
        const char* what;
        DeviceBlockLook look;
        BlockRgb inside;
    } cases[] = {
        {"free space", Look(0, 7, 1000, 0), kBlockUnallocatedFill},
        {"1 % used", Look(0x07, 3, 1000, 10), {255, 255, 255}},
        // 2 % of 100 px is 2 px: the bar's rectangles have negative widths and are left
        // out rather than filled to the left of their start.
        {"2 % of a narrow block", Look(0x07, 3, 1000, 20), {255, 255, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas canvas(100, 40);
        DrawBlockBody(canvas.Cr(), 100, 40, c.look, "");
        EXPECT_EQ(canvas.At(50, 20), c.inside);
        for (int x = 0; x < 8; ++x) {
            EXPECT_NE(canvas.At(x, 20), kBlockUsedEdge) << x;
            EXPECT_NE(canvas.At(x, 20), kBlockUsedFill) << x;
        }
    }
}

TEST(BlockDrawing, AWholeDiskIsYellowAndFullyUsed)
{
    DeviceBlockLook look = Look(0, 7, 4096, 0);
    MarkBadDisk(look);
    Canvas canvas(100, 40);
    DrawBlockBody(canvas.Cr(), 100, 40, look, "");
    EXPECT_EQ(canvas.At(50, 0), (BlockRgb{255, 255, 80}));
    EXPECT_EQ(canvas.At(50, 20), kBlockUsedFill) << "no grey fill: the mark wins over free space";
    EXPECT_EQ(canvas.At(97, 20), kBlockUsedEdge);
}
