#include "CProgressBar.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"

#include <cmath>

namespace {

class ProgressBarGuiTest : public GuiTest {
protected:
    void Show(double fraction, const char* text)
    {
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* fixed = gtk_fixed_new();
        gtk_container_add(GTK_CONTAINER(window), fixed);
        gtk_widget_set_size_request(bar.GetWidget(), 300, 22);
        gtk_fixed_put(GTK_FIXED(fixed), bar.GetWidget(), 0, 0);
        bar.SetPos(fraction);
        bar.SetText(text);
        ASSERT_TRUE(ShowAndSettle(window));
    }
    void TearDown() override
    {
        if (window)
            gtk_widget_destroy(window);
        GuiTest::TearDown();
    }
    // The block picture's colour at its centre column and the middle row.
    static uint32_t BlockColour()
    {
        GdkPixbuf* block = gdk_pixbuf_new_from_file("../res/Pro.png", nullptr);
        if (!block)
            return 0xFF000000u;
        const guchar* p = gdk_pixbuf_get_pixels(block) + 9 * gdk_pixbuf_get_rowstride(block) +
                          3 * gdk_pixbuf_get_n_channels(block);
        const uint32_t rgb = static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
        g_object_unref(block);
        return rgb;
    }

    // Text pixels, antialiased edges included; the frame's colours are lighter.
    static bool IsInk(uint32_t rgb)
    {
        return (rgb >> 16) < 0x90 && ((rgb >> 8) & 0xFF) < 0x90 && (rgb & 0xFF) < 0x90;
    }

    CProgressBar bar;
    GtkWidget* window = nullptr;
};

TEST_F(ProgressBarGuiTest, EmptyBarShowsOnlyWhiteAndTheFrame)
{
    Show(0.0, nullptr);
    EXPECT_EQ(bar.GetText(), nullptr);
    PixelSnapshot pixels = PixelSnapshot::OfWidget(bar.GetWidget());
    ASSERT_EQ(pixels.Width(), 300);
    EXPECT_EQ(pixels.Count(BlockColour()), 0);
    EXPECT_EQ(pixels.At(0, 0), 0xD6D3C7u);
    EXPECT_EQ(pixels.At(150, 0), 0x003B73u);
    EXPECT_EQ(pixels.At(150, 11), 0xFFFFFFu);
    EXPECT_EQ(pixels.At(299, 11), 0x003B73u);
}

TEST_F(ProgressBarGuiTest, FullBarShowsThirtyBlocks)
{
    Show(1.0, nullptr);
    EXPECT_DOUBLE_EQ(bar.GetPos(), 1.0);
    PixelSnapshot pixels = PixelSnapshot::OfWidget(bar.GetWidget());
    const uint32_t block = BlockColour();
    ASSERT_NE(block, 0xFFFFFFu);
    // Every block's column 3 on the middle row (h/2 - 9 + 9 = 11).
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(pixels.At(4 + 10 * i + 3, 11), block) << "block " << i;
    EXPECT_EQ(pixels.At(4 + 10 * 5 - 1, 11), 0xFFFFFFu); // the gap between blocks
}

TEST_F(ProgressBarGuiTest, FractionIsHeldWithinZeroAndOne)
{
    struct {
        double set;
        double held;
    } cases[] = {
        {0.3, 0.3}, {1.1, 1.0}, {0.3, 0.3}, {-0.5, 0.0}, {0.7, 0.7}, {std::nan(""), 0.0}, {HUGE_VAL, 1.0},
    };
    for (const auto& c : cases) {
        bar.SetPos(c.set);
        EXPECT_DOUBLE_EQ(bar.GetPos(), c.held) << "set " << c.set;
    }
    // A bar given more than full draws full.
    Show(1.25, nullptr);
    PixelSnapshot pixels = PixelSnapshot::OfWidget(bar.GetWidget());
    EXPECT_EQ(pixels.At(4 + 10 * 29 + 3, 11), BlockColour());
}

TEST_F(ProgressBarGuiTest, TextIsDrawnInTheMiddle)
{
    Show(0.0, "50%");
    EXPECT_STREQ(bar.GetText(), "50%");
    PixelSnapshot pixels = PixelSnapshot::OfWidget(bar.GetWidget());
    int left = 300, right = -1;
    for (int y = 2; y < 20; ++y)
        for (int x = 2; x < 298; ++x)
            if (IsInk(pixels.At(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, left);
    EXPECT_NEAR((left + right) / 2.0, 150.0, 3.0);
}

} // namespace
