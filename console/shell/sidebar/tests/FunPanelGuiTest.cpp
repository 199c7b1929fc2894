#include "CSideBarPlus.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"

#include <gdk/gdkkeysyms.h>

#include <vector>

namespace {

class FunPanelGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        bar = new CSideBarPlus();
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_container_add(GTK_CONTAINER(window), *bar);
        ASSERT_TRUE(ShowAndSettle(window));
        gui_events::Focus(window);
        gui_wait::Settle();
    }
    void TearDown() override
    {
        gtk_widget_destroy(window);
        delete bar;
        GuiTest::TearDown();
    }

    // Records every tick of the next fold of the panel and whether the live and the
    // disabled rows took input while it ran.
    struct FoldRecord {
        std::vector<int> heights;
        bool liveRowsTookInput = false;
        bool disabledRowsTookInput = false;
    };
    void Watch(CFunPanel& panel, FoldRecord& record)
    {
        panel.SetFoldObserver([&panel, &record](const FoldTick& tick) {
            record.heights.push_back(tick.height);
            if (!tick.goOn)
                return;
            for (int i = 0; i < panel.RowCount(); ++i) {
                const bool sensitive = gtk_widget_is_sensitive(panel.GetItem(i)) != FALSE;
                (panel.Row(i)->IsDisable() ? record.disabledRowsTookInput : record.liveRowsTookInput) |= sensitive;
            }
        });
    }
    // A fold has run to its end once it has ticked and runs no more. (Under a slow
    // machine one pump of the toolkit may run a whole fold, so a running fold is not
    // waited for.)
    bool FoldEnds(CFunPanel& panel, const std::vector<int>& heights)
    {
        return gui_wait::Until([&] { return !heights.empty() && !panel.IsFolding(); }) && (gui_wait::Settle(), true);
    }

    CSideBarPlus* bar = nullptr;
    GtkWidget* window = nullptr;
};

TEST_F(FunPanelGuiTest, AHeadClickFoldsTheSevenRowsOverTwentyFourTicks)
{
    CFunPanel& panel = bar->OperationsPanel();
    ASSERT_EQ(panel.BodyHeight(), 280);
    ASSERT_TRUE(panel.IsExpanded());

    FoldRecord in;
    Watch(panel, in);
    gui_events::Click(panel.Head());
    ASSERT_TRUE(FoldEnds(panel, in.heights));
    EXPECT_EQ(in.heights, (std::vector<int>{275, 273, 270, 266, 261, 255, 248, 240, 231, 221, 210, 198, 185, 171,
                                            156, 140, 123, 105, 86, 66, 45, 23, 0, 0}));
    EXPECT_FALSE(panel.IsExpanded());
    EXPECT_FALSE(gtk_widget_get_visible(panel.Body()));
    EXPECT_FALSE(in.liveRowsTookInput) << "live rows are insensitive during the fold";
    EXPECT_FALSE(in.disabledRowsTookInput);
    EXPECT_EQ(panel.ShownHeadPicture(), "../res/down_press.png");

    FoldRecord out;
    Watch(panel, out);
    gui_events::Click(panel.Head());
    ASSERT_TRUE(FoldEnds(panel, out.heights));
    EXPECT_EQ(out.heights, (std::vector<int>{5, 7, 10, 14, 19, 25, 32, 40, 49, 59, 70, 82, 95, 109, 124, 140, 157,
                                             175, 194, 214, 235, 257, 280, 295}));
    EXPECT_TRUE(panel.IsExpanded());
    EXPECT_TRUE(gtk_widget_get_visible(panel.Body()));
    gint height = 0;
    gtk_widget_get_size_request(panel.Body(), nullptr, &height);
    EXPECT_EQ(height, 295);
    // After the fold the live rows take input again; the disabled ones never do.
    for (int row = 0; row < panel.RowCount(); ++row)
        EXPECT_EQ(gtk_widget_is_sensitive(panel.GetItem(row)) != FALSE, !OperationRow(row).disabled) << row;
}

TEST_F(FunPanelGuiTest, EnterOnTheHelpHeadFoldsItsOneRowOverNineTicks)
{
    CFunPanel& panel = bar->HelpPanel();
    ASSERT_EQ(panel.BodyHeight(), 40);
    FoldRecord in;
    Watch(panel, in);
    gtk_widget_grab_focus(panel.Head());
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_has_focus(panel.Head()) != FALSE; }));
    gui_events::TapKey(GDK_Return);
    ASSERT_TRUE(FoldEnds(panel, in.heights));
    EXPECT_EQ(in.heights, (std::vector<int>{35, 33, 30, 26, 21, 15, 8, 0, 0}));

    FoldRecord out;
    Watch(panel, out);
    gui_events::TapKey(' ');
    ASSERT_TRUE(FoldEnds(panel, out.heights));
    EXPECT_EQ(out.heights, (std::vector<int>{5, 7, 10, 14, 19, 25, 32, 40, 55}));
    EXPECT_EQ(panel.ShownHeadPicture(), "../res/menu-help-up-normal.png") << "a key fold leaves the normal picture";
}

TEST_F(FunPanelGuiTest, ClicksDuringAFoldDoNotReverseIt)
{
    CFunPanel& panel = bar->OperationsPanel();
    std::vector<int> heights;
    struct PressCount {
        CFunPanel* panel;
        int duringFold = 0;
    } presses{&panel};
    g_signal_connect(panel.Head(), "button-press-event", G_CALLBACK(+[](GtkWidget*, GdkEventButton* event, gpointer data) {
                         // Quick clicks also bring double- and triple-press events.
                         PressCount* count = static_cast<PressCount*>(data);
                         if (event->type == GDK_BUTTON_PRESS && count->panel->IsFolding())
                             ++count->duringFold;
                         return FALSE;
                     }),
                     &presses);
    // Two more clicks are sent from inside the fold, after its second tick; the
    // toolkit takes input before the next tick's timer.
    panel.SetFoldObserver([&](const FoldTick& tick) {
        heights.push_back(tick.height);
        if (heights.size() == 2) {
            gui_events::Click(panel.Head());
            gui_events::Click(panel.Head());
        }
    });
    gui_events::Click(panel.Head());
    ASSERT_TRUE(FoldEnds(panel, heights));
    gui_wait::Settle(150);
    EXPECT_FALSE(panel.IsFolding());
    EXPECT_FALSE(panel.IsExpanded());
    EXPECT_EQ(heights.size(), 24u) << "one fold, not reversed";
    EXPECT_EQ(heights.back(), 0);
    EXPECT_EQ(presses.duringFold, 2) << "the two clicks came while the fold ran";
}

TEST_F(FunPanelGuiTest, ReleasingOffTheHeadDoesNotFold)
{
    CFunPanel& panel = bar->OperationsPanel();
    gui_events::MovePointer(gui_events::CentreOf(panel.Head()));
    gui_events::PressButton(1);
    gui_wait::Settle();
    EXPECT_EQ(panel.ShownHeadPicture(), "../res/up_hover.png") << "held: the hover picture";
    gui_events::MovePointerAway();
    gui_events::ReleaseButton(1);
    gui_wait::Settle(150);
    EXPECT_FALSE(panel.IsFolding());
    EXPECT_TRUE(panel.IsExpanded());
    EXPECT_EQ(panel.ShownHeadPicture(), "../res/up_normal.png");
}

} // namespace
