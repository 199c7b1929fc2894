// The pictures drawn by the build: every name the console reads exists, loads, and
// has the size the widgets lay it out at.
#include "PictureCatalog.h"
#include "BlockColours.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

const std::string kFolder = RVD_PICTURES_DIR;

struct Size {
    int width;
    int height;
};

Size LoadedSize(const std::string& name)
{
    GdkPixbuf* picture = gdk_pixbuf_new_from_file((kFolder + "/" + name).c_str(), nullptr);
    if (!picture)
        return {-1, -1};
    const Size size = {gdk_pixbuf_get_width(picture), gdk_pixbuf_get_height(picture)};
    g_object_unref(picture);
    return size;
}

TEST(DrawnPictures, EveryCatalogPictureLoadsAtItsSize)
{
    std::set<std::string> names;
    for (const PictureEntry& picture : PictureCatalog()) {
        EXPECT_TRUE(names.insert(picture.name).second) << "drawn twice: " << picture.name;
        const Size size = LoadedSize(picture.name);
        EXPECT_EQ(size.width, picture.width) << picture.name;
        EXPECT_EQ(size.height, picture.height) << picture.name;
    }
}

TEST(DrawnPictures, NamesTheConsoleReadsAreAllThere)
{
    // A sample across the console, spelled as its code spells them (case included).
    const char* names[] = {
        "btn_normal.png", "btn_down.png", "check_checked_press.png", "radio_hover.png", "Pro.png",
        "Right.PNG", "StartBottom.PNG", "wait-mount.PNG", "wait-unmount.PNG", "FileColse.png", "MyCputer.png",
        "CDRow.png", "nav-help-disable.png", "nav-check-click.png", "menu-backup-disable.png",
        "menu-help-down-click.png", "second-help-icon-24x24.png", "RVD-icon-32x32.png", "main16.ico",
        "CBbtn_hover.png", "scroll_right_active.png", "web-address-click.png", "backup_disable.png",
    };
    for (const char* name : names)
        EXPECT_GT(LoadedSize(name).width, 0) << name;
}

TEST(DrawnPictures, SizesFitWhereTheWidgetsPaintThem)
{
    struct {
        const char* name;
        int maxWidth;
        int maxHeight;
    } limits[] = {
        {"Pro.png", 8, 18},               // 10-pixel pitch, 2 pixels in; 9 above the middle
        {"check_normal.png", 17, 17},     // inside the 19 x 20 indicator square from (2, 3)
        {"radio_checked_press.png", 17, 17},
        {"btn_normal.png", 68, 24},       // the push button's size
        {"CBbtn_normal.png", 18, 16},     // painted 18 from the right edge
        {"scroll_up_normal.png", 18, 18},
        {"main16.ico", 16, 16},
    };
    for (const auto& l : limits) {
        const Size size = LoadedSize(l.name);
        EXPECT_GT(size.width, 0) << l.name;
        EXPECT_LE(size.width, l.maxWidth) << l.name;
        EXPECT_LE(size.height, l.maxHeight) << l.name;
    }
}

} // namespace

// The legend beside the disk maps shows each kind of partition in the colour its
// blocks have there.
TEST(DrawnPictures, TheLegendUsesTheDiskMapsColours)
{
    GdkPixbuf* legend = gdk_pixbuf_new_from_file((kFolder + "/partition-color.png").c_str(), nullptr);
    ASSERT_NE(legend, nullptr);
    const int stride = gdk_pixbuf_get_rowstride(legend);
    const int channels = gdk_pixbuf_get_n_channels(legend);
    const guchar* pixels = gdk_pixbuf_get_pixels(legend);
    const int height = gdk_pixbuf_get_height(legend);
    const struct {
        int kind;
        bool unallocated, wholeDisk;
    } kinds[] = {{0, false, false}, {1, false, false}, {2, false, false}, {3, false, false},
                 {7, false, false}, {7, true, false},  {7, false, true}};
    for (const auto& k : kinds) {
        BlockShades shades{};
        ASSERT_TRUE(BlockShadesOf(k.wholeDisk, k.unallocated, k.kind, shades));
        bool shown = false;
        for (const LegendSwatch& swatch : PartitionLegendSwatches()) {
            BlockShades own{};
            BlockShadesOf(swatch.wholeDisk, swatch.unallocated, swatch.kind, own);
            if (!(own.dark == shades.dark))
                continue;
            const guchar* p = pixels + (height / 2) * stride + (swatch.x + (height - 4) / 2) * channels;
            EXPECT_EQ((BlockRgb{p[0], p[1], p[2]}), shades.dark) << swatch.label;
            shown = true;
        }
        EXPECT_TRUE(shown) << "kind " << k.kind;
    }
    g_object_unref(legend);
}
