// Swatch colours, check pictures, the key filter and the scroll-back path of the
// lists, and their drawing read back from an image surface.
#include <gtest/gtest.h>

#include <gdk/gdkkeysyms.h>

#include <cairo.h>
#include <cstdint>

#include "ListColours.h"
#include "ListDrawing.h"
#include "ListKeys.h"
#include "ListScrollBack.h"

// Fontconfig and pango's font map keep their caches for the life of the process on
// purpose; those one-time allocations are not leaks of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libpangoft2\n";
}

namespace {

struct Canvas {
    Canvas(int w, int h) : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)), cr(cairo_create(surface))
    {
        cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
        cairo_paint(cr);
    }
    ~Canvas()
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    ListRgb At(int x, int y)
    {
        cairo_surface_flush(surface);
        const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
        return ListRgb{static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255), static_cast<int>(p & 255)};
    }
    cairo_surface_t* surface;
    cairo_t* cr;
};

std::string Str(ListRgb c)
{
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

} // namespace

TEST(ListSwatch, DeviceAndImageListsColourEachKind)
{
    struct Case {
        bool bad;
        int kind, type;
        ListRgb device, image;
    };
    const Case cases[] = {
        {false, 0, 0x01, {0, 182, 80}, {0, 182, 80}},
        {false, 1, 0x06, {0, 182, 80}, {0, 182, 80}},
        {false, 2, 0x0C, {0, 143, 222}, {0, 143, 222}},
        {false, 3, 0x07, {115, 0, 203}, {102, 0, 204}},
        {false, 4, 0x83, {64, 64, 64}, {64, 64, 64}},
        {false, 9, 0x07, {64, 64, 64}, {64, 64, 64}},
        {false, 7, 0x00, {140, 140, 140}, {140, 140, 140}},
        {false, 7, 0x06, {127, 127, 0}, {127, 127, 0}},
        {false, 7, 0x83, {64, 64, 64}, {64, 64, 64}},
        {false, -1, 0x06, {255, 255, 128}, {140, 140, 140}},
        {false, 6, 0x06, {255, 255, 128}, {140, 140, 140}},
        {true, 1, 0x06, {255, 255, 128}, {0, 182, 80}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Str(c.device), Str(DeviceListSwatchColour(c.bad, c.kind, c.type))) << c.kind << " " << c.type;
        EXPECT_EQ(Str(c.image), Str(ImageListSwatchColour(c.kind, c.type))) << c.kind << " " << c.type;
    }
}

TEST(ListKeys, OnlyUpDownTabAndSpaceReachTheTree)
{
    for (unsigned key : {GDK_Up, GDK_Down, GDK_Tab, GDK_space})
        EXPECT_TRUE(ListKeyReachesTree(key)) << key;
    for (unsigned key : {GDK_Return, GDK_Left, GDK_Right, GDK_Page_Down, GDK_Home, GDK_a, GDK_plus, GDK_slash})
        EXPECT_FALSE(ListKeyReachesTree(key)) << key;
    EXPECT_TRUE(ListKeyIsSpace(GDK_space));
    EXPECT_FALSE(ListKeyIsSpace(GDK_Tab));
}

TEST(ListCheckPictures, FourStates)
{
    EXPECT_STREQ("../res/check_checked_hover.png", CheckPicturePath(true, true));
    EXPECT_STREQ("../res/check_checked_normal.png", CheckPicturePath(true, false));
    EXPECT_STREQ("../res/check_hover.png", CheckPicturePath(false, true));
    EXPECT_STREQ("../res/check_normal.png", CheckPicturePath(false, false));
}

TEST(ListScrollBack, ScrollsOnThreeRedrawsThenForgets)
{
    ListScrollBack back;
    int scrolls = 0;
    auto scroll = [&](GtkTreePath* path) {
        gchar* text = gtk_tree_path_to_string(path);
        EXPECT_STREQ("1:2", text);
        g_free(text);
        ++scrolls;
    };
    back.OnExpose(scroll);
    EXPECT_EQ(0, scrolls);
    GtkTreePath* path = gtk_tree_path_new_from_string("1:2");
    back.Remember(path);
    gtk_tree_path_free(path); // the list keeps its own copy
    for (int i = 0; i < 5; ++i)
        back.OnExpose(scroll);
    EXPECT_EQ(3, scrolls);
    EXPECT_EQ(nullptr, back.Path());

    GtkTreePath* again = gtk_tree_path_new_from_string("1:2");
    back.Remember(again);
    gtk_tree_path_free(again);
    back.OnExpose(scroll);
    back.Clear(); // space forgets the path
    back.OnExpose(scroll);
    EXPECT_EQ(4, scrolls);
}

TEST(ListDrawing, HeaderCellSwatchAndDiskRow)
{
    Canvas canvas(300, 40);
    DrawListHeaderCell(canvas.cr, ListRect{10, 0, 80, 24}, "", 0.0, 0);
    EXPECT_EQ(Str({235, 234, 219}), Str(canvas.At(40, 5)));
    EXPECT_EQ(Str({226, 222, 205}), Str(canvas.At(40, 21)));
    EXPECT_EQ(Str({214, 210, 194}), Str(canvas.At(40, 22)));
    EXPECT_EQ(Str({203, 199, 184}), Str(canvas.At(40, 23)));
    EXPECT_EQ(Str({255, 255, 255}), Str(canvas.At(10, 10)));
    EXPECT_EQ(Str({199, 197, 178}), Str(canvas.At(89, 10)));
    EXPECT_EQ(Str({128, 128, 128}), Str(canvas.At(95, 10))); // nothing outside the cell

    Canvas swatch(40, 20);
    DrawTypeSwatch(swatch.cr, 0, 0, 20, ListRgb{0, 143, 222});
    EXPECT_EQ(Str({255, 255, 255}), Str(swatch.At(1, 2)));
    EXPECT_EQ(Str({0, 0, 0}), Str(swatch.At(3, 4)));
    EXPECT_EQ(Str({0, 143, 222}), Str(swatch.At(9, 10)));
    EXPECT_EQ(Str({128, 128, 128}), Str(swatch.At(25, 10)));

    Canvas row(400, 30);
    DrawDiskTitleRow(row.cr, 0, 0, 300, "", true);
    EXPECT_EQ(Str(kListSelectedRow), Str(row.At(150, 10)));
    EXPECT_EQ(Str({128, 128, 128}), Str(row.At(150, 3)));
    EXPECT_EQ(Str({128, 128, 128}), Str(row.At(350, 10))); // the band ends at the width
}
