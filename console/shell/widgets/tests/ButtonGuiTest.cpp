#include "CButtonPlus.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"

namespace {

constexpr uint32_t kHoverTop = 0xFDD889;
constexpr uint32_t kFrameEdge = 0x003B73;

class ButtonGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* box = gtk_fixed_new();
        gtk_container_add(GTK_CONTAINER(window), box);
        button = new CButtonPlus("_Restore");
        gtk_fixed_put(GTK_FIXED(box), button->GetButtonWidget(), 20, 20);
        gtk_widget_set_size_request(box, 120, 70);
        g_signal_connect(button->GetButtonWidget(), "clicked", G_CALLBACK(CountClick), &clicks);
        ASSERT_TRUE(ShowAndSettle(window));
    }
    void TearDown() override
    {
        gtk_widget_destroy(window);
        delete button;
        GuiTest::TearDown();
    }
    static void CountClick(GtkButton*, gpointer counter) { ++*static_cast<int*>(counter); }

    PixelSnapshot Pixels() { return PixelSnapshot::OfWidget(button->GetButtonWidget()); }
    GtkWidget* Widget() { return button->GetButtonWidget(); }

    GtkWidget* window = nullptr;
    CButtonPlus* button = nullptr;
    int clicks = 0;
};

TEST_F(ButtonGuiTest, DrawsItsFrameAndHoverHighlight)
{
    EXPECT_EQ(Widget()->allocation.width, CButtonPlus::kDefaultWidth);
    EXPECT_EQ(Widget()->allocation.height, CButtonPlus::kDefaultHeight);
    {
        PixelSnapshot normal = Pixels();
        EXPECT_EQ(normal.At(0, 0), 0xD6D3C7u);
        EXPECT_EQ(normal.At(10, 0), kFrameEdge);
        EXPECT_NE(normal.At(10, 1), kHoverTop);
    }
    gui_events::MovePointer(gui_events::CentreOf(Widget()));
    ASSERT_TRUE(gui_wait::Until([&] { return button->GetState() == kPointerHover; }));
    gui_wait::Settle();
    PixelSnapshot hover = Pixels();
    EXPECT_EQ(hover.At(10, 1), kHoverTop);
    EXPECT_EQ(hover.At(2, 22), 0xE59700u);
    EXPECT_EQ(hover.At(10, 0), kFrameEdge);
}

TEST_F(ButtonGuiTest, SizeAndBackgroundPictures)
{
    struct {
        int width, height;
        int wantWidth, wantHeight;
    } sizes[] = {{90, -1, 90, 24}, {-1, 30, 68, 30}, {-1, -1, 68, 24}};
    for (const auto& s : sizes) {
        button->SetSize(s.width, s.height);
        int w = 0, h = 0;
        gtk_widget_get_size_request(Widget(), &w, &h);
        EXPECT_EQ(w, s.wantWidth) << s.width << " x " << s.height;
        EXPECT_EQ(h, s.wantHeight) << s.width << " x " << s.height;
    }

    // btn_normal behind the normal, hover and selected states; btn_down behind the
    // held and the insensitive ones.
    GtkStyle* style = gtk_widget_get_style(Widget());
    GdkPixmap* normal = style->bg_pixmap[GTK_STATE_NORMAL];
    GdkPixmap* down = style->bg_pixmap[GTK_STATE_ACTIVE];
    ASSERT_NE(normal, nullptr);
    ASSERT_NE(down, nullptr);
    EXPECT_NE(normal, down);
    EXPECT_EQ(style->bg_pixmap[GTK_STATE_PRELIGHT], normal);
    EXPECT_EQ(style->bg_pixmap[GTK_STATE_SELECTED], normal);
    EXPECT_EQ(style->bg_pixmap[GTK_STATE_INSENSITIVE], down);
    int w = 0, h = 0;
    gdk_drawable_get_size(normal, &w, &h);
    EXPECT_EQ(w, CButtonPlus::kDefaultWidth);
    EXPECT_EQ(h, CButtonPlus::kDefaultHeight);
}

TEST_F(ButtonGuiTest, PressLeaveAndReleaseOutsideGivesNormalAndNoClick)
{
    gui_events::MovePointer(gui_events::CentreOf(Widget()));
    gui_events::PressButton(1);
    ASSERT_TRUE(gui_wait::Until([&] { return button->GetState() == kPointerPressed; }));
    gui_events::MovePointerAway();
    gui_events::ReleaseButton(1);
    gui_wait::Settle();
    EXPECT_EQ(button->GetState(), kPointerNormal);
    EXPECT_EQ(clicks, 0);
    EXPECT_NE(Pixels().At(10, 1), kHoverTop);
}

TEST_F(ButtonGuiTest, LeftClickInsideEndsInHoverAndClicks)
{
    gui_events::Click(Widget());
    ASSERT_TRUE(gui_wait::Until([&] { return clicks == 1; }));
    EXPECT_EQ(button->GetState(), kPointerHover);
}

TEST_F(ButtonGuiTest, RightButtonKeepsThePressedStateUntilThePointerMoves)
{
    gui_events::MovePointer(gui_events::CentreOf(Widget()));
    ASSERT_TRUE(gui_wait::Until([&] { return button->GetState() == kPointerHover; }));
    gui_events::PressButton(3);
    gui_events::ReleaseButton(3);
    gui_wait::Settle();
    EXPECT_EQ(button->GetState(), kPointerPressed);
    EXPECT_NE(Pixels().At(10, 1), kHoverTop);
    gui_events::MovePointerAway();
    ASSERT_TRUE(gui_wait::Until([&] { return button->GetState() == kPointerNormal; }));
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonGuiTest, WrapperDeletedBeforeItsWidgetIsSafe)
{
    // The widget outlives the wrapper; its handlers must not call into freed memory.
    delete button;
    button = nullptr;
    gui_events::MovePointer(gui_events::CentreOf(window));
    gtk_widget_queue_draw(window);
    gui_wait::Settle();
    gui_events::MovePointerAway();
    gui_wait::Settle();
    SUCCEED();
}

} // namespace
