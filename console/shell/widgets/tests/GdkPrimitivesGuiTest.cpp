// The frames drawn by real GDK calls match the pixel-exact reference pen.
#include "CairoPixelPen.h"
#include "DrawPrimitives.h"
#include "GuiTest.h"
#include "PixelSnapshot.h"

namespace {

class GdkPrimitivesGuiTest : public GuiTest {};

constexpr int kW = 40;
constexpr int kH = 30;
constexpr uint32_t kBackground = 0x204060;

struct Pixmap {
    Pixmap()
    {
        pixmap = gdk_pixmap_new(gdk_get_default_root_window(), kW, kH, -1);
        gc = gdk_gc_new(pixmap);
        const GdkColor background = {0, 0x2020, 0x4040, 0x6060};
        gdk_gc_set_rgb_fg_color(gc, &background);
        gdk_draw_rectangle(pixmap, gc, TRUE, 0, 0, kW, kH);
    }
    ~Pixmap()
    {
        g_object_unref(gc);
        g_object_unref(pixmap);
    }
    GdkPixmap* pixmap;
    GdkGC* gc;
};

struct Reference {
    Reference()
    {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
        cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0x20 / 255.0, 0x40 / 255.0, 0x60 / 255.0);
        cairo_paint(cr);
    }
    ~Reference()
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    uint32_t At(int x, int y)
    {
        cairo_surface_flush(surface);
        const unsigned char* p = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + 4 * x;
        return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
    cairo_surface_t* surface;
    cairo_t* cr;
};

void ExpectSame(GdkPixmap* pixmap, Reference& reference)
{
    PixelSnapshot real = PixelSnapshot::OfDrawable(pixmap, 0, 0, kW, kH);
    ASSERT_TRUE(real.Valid());
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(real.At(x, y), reference.At(x, y)) << "pixel (" << x << ", " << y << ")";
}

TEST_F(GdkPrimitivesGuiTest, XpFrameAndFrameMatchTheReference)
{
    Pixmap target;
    GdkRectangle xp = {3, 2, 30, 20};
    DrawXpFrame(target.gc, target.pixmap, &xp);
    GdkRectangle thin = {20, 24, 15, 5};
    DrawFrame(target.gc, target.pixmap, &thin);
    DrawLine(target.pixmap, target.gc, 0xFFFF, 0, 0xFFFF, 0, 29, 12, 25);

    Reference reference;
    CairoPixelPen pen(reference.cr);
    DrawXpFrameWith(pen, 3, 2, 30, 20);
    DrawFrameWith(pen, 20, 24, 15, 5);
    pen.SetColor16(0xFFFF, 0, 0xFFFF);
    pen.Line(0, 29, 12, 25);
    ExpectSame(target.pixmap, reference);
}

TEST_F(GdkPrimitivesGuiTest, TinyFrameLeavesTheRestOfTheDrawableAlone)
{
    Pixmap target;
    GdkRectangle tiny = {5, 5, 2, 2};
    DrawFrame(target.gc, target.pixmap, &tiny);
    PixelSnapshot real = PixelSnapshot::OfDrawable(target.pixmap, 0, 0, kW, kH);
    EXPECT_EQ(real.Count(0xFFFFFF), 0);
    EXPECT_EQ(real.Count(0x7F9DB9), 4);
    EXPECT_EQ(real.Count(kBackground), kW * kH - 4);
}

TEST_F(GdkPrimitivesGuiTest, ScrollBarStyleSetsThreeBackgrounds)
{
    GtkWidget* plain = gtk_vscrollbar_new(nullptr);
    GtkWidget* styled = gtk_vscrollbar_new(nullptr);
    g_object_ref_sink(plain);
    g_object_ref_sink(styled);
    SetScrollBarStyle(styled);
    const GtkStyle* before = gtk_widget_get_style(plain);
    const GtkStyle* after = gtk_widget_get_style(styled);
    struct {
        GtkStateType state;
        guint16 red, green, blue;
    } cases[] = {
        {GTK_STATE_NORMAL, 0xE9E9, 0xE6E6, 0xD1D1},
        {GTK_STATE_ACTIVE, 0xFAFA, 0xFAFA, 0xF5F5},
        {GTK_STATE_PRELIGHT, 0xE3E3, 0xE0E0, 0xC6C6},
    };
    for (const auto& c : cases) {
        const GdkColor& bg = after->bg[c.state];
        EXPECT_EQ(bg.red, c.red) << c.state;
        EXPECT_EQ(bg.green, c.green) << c.state;
        EXPECT_EQ(bg.blue, c.blue) << c.state;
    }
    // The other states and colours stay the widget's own.
    EXPECT_TRUE(gdk_color_equal(&after->bg[GTK_STATE_SELECTED], &before->bg[GTK_STATE_SELECTED]));
    EXPECT_TRUE(gdk_color_equal(&after->fg[GTK_STATE_NORMAL], &before->fg[GTK_STATE_NORMAL]));
    gtk_widget_destroy(plain);
    gtk_widget_destroy(styled);
    g_object_unref(plain);
    g_object_unref(styled);
}

} // namespace
