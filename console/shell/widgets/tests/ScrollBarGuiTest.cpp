#include "CScrollBar.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PictureProbe.h"
#include "PixelSnapshot.h"

#include <string>

namespace {

constexpr uint32_t kVNormalFirst = 0xF0F0F1;  // line 0 in the normal look
constexpr uint32_t kVHoverFirst = 0xDBEFFA;   // line 0 in the hover look
constexpr uint32_t kVPressedFirst = 0xBFE6F8; // line 0 in the pressed look

class ScrollBarGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        bars = new CScrollBar();
        GtkWidget* scrolled = bars->GetScrollBarWidget();
        bars->SetScrollBarPolicy(scrolled, GTK_POLICY_ALWAYS, GTK_POLICY_ALWAYS);
        GtkWidget* content = gtk_drawing_area_new();
        gtk_widget_set_size_request(content, 900, 900);
        gtk_scrolled_window_add_with_viewport(GTK_SCROLLED_WINDOW(scrolled), content);
        gtk_widget_set_size_request(scrolled, 240, 200);
        gtk_container_add(GTK_CONTAINER(window), scrolled);
        ASSERT_TRUE(ShowAndSettle(window));
    }
    void TearDown() override
    {
        gtk_widget_destroy(window);
        delete bars;
        GuiTest::TearDown();
    }

    // A row of the vertical slider clear of the grip and the arrows, relative to the bar.
    int SliderRow() const
    {
        gint start = 0;
        gint end = 0;
        gtk_range_get_slider_range(GTK_RANGE(bars->GetVScrollBar()), &start, &end);
        return end - 2;
    }
    // The vertical bar's column c on the slider row.
    uint32_t VColumn(int c)
    {
        const PixelSnapshot shot = PixelSnapshot::OfWidget(bars->GetVScrollBar());
        return shot.At(c, SliderRow());
    }
    uint32_t HSliderPixel(int row)
    {
        gint start = 0;
        gint end = 0;
        gtk_range_get_slider_range(GTK_RANGE(bars->GetHScrollBar()), &start, &end);
        const PixelSnapshot shot = PixelSnapshot::OfWidget(bars->GetHScrollBar());
        return shot.At(end - 2, row);
    }

    GtkWidget* window = nullptr;
    CScrollBar* bars = nullptr;
};

TEST_F(ScrollBarGuiTest, NormalLookShadesTheSliderAndPaintsBothArrows)
{
    ASSERT_GT(SliderRow(), 20) << "the slider row must lie clear of the arrow";
    EXPECT_EQ(VColumn(1), kVNormalFirst);
    EXPECT_EQ(VColumn(2), 0xE9E9EAu); // line 1
    EXPECT_EQ(HSliderPixel(1), kVNormalFirst);

    GtkWidget* v = bars->GetVScrollBar();
    const PixelSnapshot shot = PixelSnapshot::OfWidget(v);
    std::string why;
    EXPECT_TRUE(PictureShownAt(shot, "../res/scroll_up_normal.png", 0, 0, &why)) << why;
    EXPECT_TRUE(PictureShownAt(shot, "../res/scroll_down_normal.png", 0, v->allocation.height - 18, &why)) << why;
    const PixelSnapshot h = PixelSnapshot::OfWidget(bars->GetHScrollBar());
    EXPECT_TRUE(PictureShownAt(h, "../res/scroll_left_normal.png", 0, 0, &why)) << why;

    // The grip: three two-pixel lines at the slider's middle, columns 4 to 11.
    gint start = 0;
    gint end = 0;
    gtk_range_get_slider_range(GTK_RANGE(v), &start, &end);
    const int mid = start + (end - start) / 2;
    for (int row : {mid - 4, mid - 3, mid - 1, mid, mid + 2, mid + 3})
        EXPECT_EQ(shot.At(6, row), 0xB0B0B0u) << "row " << row;
    EXPECT_NE(shot.At(6, mid + 1), 0xB0B0B0u);
}

TEST_F(ScrollBarGuiTest, HoverOnOneBarShowsBothBarsInTheHoverLook)
{
    GtkWidget* v = bars->GetVScrollBar();
    gui_events::MovePointerTo(v, v->allocation.width / 2, SliderRow());
    ASSERT_TRUE(gui_wait::Until([&] { return bars->GetState() == kScrollHover; }));
    gui_wait::Settle();
    EXPECT_EQ(VColumn(0), kVHoverFirst);
    gtk_widget_queue_draw(bars->GetHScrollBar());
    gui_wait::Settle();
    EXPECT_EQ(HSliderPixel(1), kVHoverFirst);
    std::string why;
    EXPECT_TRUE(PictureShownAt(PixelSnapshot::OfWidget(v), "../res/scroll_up_active.png", 0, 0, &why)) << why;

    gui_events::MovePointerAway();
    ASSERT_TRUE(gui_wait::Until([&] { return bars->GetState() == kScrollNormal; }));
    gui_wait::Settle();
    EXPECT_EQ(VColumn(1), kVNormalFirst);
}

TEST_F(ScrollBarGuiTest, DraggingOutKeepsTheHoverLookUntilAReleaseOutside)
{
    GtkWidget* v = bars->GetVScrollBar();
    gui_events::MovePointerTo(v, v->allocation.width / 2, SliderRow());
    ASSERT_TRUE(gui_wait::Until([&] { return bars->GetState() == kScrollHover; }));
    gui_events::PressButton(1);
    ASSERT_TRUE(gui_wait::Until([&] { return bars->GetState() == kScrollPressed; }));
    gui_wait::Settle();
    EXPECT_TRUE(bars->IsPressed());
    EXPECT_EQ(VColumn(0), kVPressedFirst);

    // Out of the bar sideways with the button held.
    gui_events::MovePointer(gui_events::ToRoot(v, -120, SliderRow()));
    ASSERT_TRUE(gui_wait::Until([&] { return bars->GetState() == kScrollHover; }));
    gui_events::ReleaseButton(1);
    ASSERT_TRUE(gui_wait::Until([&] { return !bars->IsPressed(); }));
    gui_wait::Settle();
    EXPECT_EQ(bars->GetState(), kScrollNormal);
    EXPECT_EQ(VColumn(1), kVNormalFirst);
}

TEST_F(ScrollBarGuiTest, RightReleaseClearsThePressButKeepsThePressedLook)
{
    GtkWidget* v = bars->GetVScrollBar();
    gui_events::MovePointerTo(v, v->allocation.width / 2, SliderRow());
    ASSERT_TRUE(gui_wait::Until([&] { return bars->GetState() == kScrollHover; }));
    gui_events::PressButton(3);
    ASSERT_TRUE(gui_wait::Until([&] { return bars->IsPressed(); }));
    gui_events::ReleaseButton(3);
    ASSERT_TRUE(gui_wait::Until([&] { return !bars->IsPressed(); }));
    gui_wait::Settle();
    EXPECT_EQ(bars->GetState(), kScrollPressed);
    gui_events::MovePointerAway();
    ASSERT_TRUE(gui_wait::Until([&] { return bars->GetState() == kScrollNormal; }));
}

} // namespace
