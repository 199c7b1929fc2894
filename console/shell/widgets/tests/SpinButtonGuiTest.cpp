#include "CSpinBtn.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"

#include <gdk/gdkkeysyms.h>

#include <string>

namespace {

class SpinButtonGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        EXPECT_EQ(spin.GetSpinWidget(), nullptr) << "nothing but the event box before Init";
        EXPECT_EQ(spin.GetValue(), 0.0);
        spin.Init(5.0, 0.0, 100.0, 1.0, 10.0, 0.0);
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_container_add(GTK_CONTAINER(window), spin.GetEventBoxWidget());
        g_signal_connect(spin.GetSpinWidget(), "value-changed", G_CALLBACK(CountChange), &changes);
        ASSERT_TRUE(ShowAndSettle(window));
        gui_events::Focus(window);
        gui_wait::Settle();
    }
    void TearDown() override
    {
        gtk_widget_destroy(window);
        GuiTest::TearDown();
    }
    static void CountChange(GtkSpinButton*, gpointer counter) { ++*static_cast<int*>(counter); }
    std::string Text() const { return gtk_entry_get_text(GTK_ENTRY(spin.GetSpinWidget())); }

    CSpinBtn spin;
    GtkWidget* window = nullptr;
    int changes = 0;
};

TEST_F(SpinButtonGuiTest, ShowsOneDecimalDigitAndKeepsItsBounds)
{
    EXPECT_EQ(Text(), "5.0");
    spin.SetValue(42.0);
    EXPECT_EQ(changes, 1);
    EXPECT_DOUBLE_EQ(spin.GetValue(), 42.0);
    EXPECT_EQ(Text(), "42.0");
    spin.SetValue(500.0);
    EXPECT_DOUBLE_EQ(spin.GetValue(), 100.0) << "no wrapping past the upper bound";
    spin.SetValue(-3.0);
    EXPECT_DOUBLE_EQ(spin.GetValue(), 0.0);
}

TEST_F(SpinButtonGuiTest, RefusesLettersFromTheKeyboard)
{
    gtk_widget_grab_focus(spin.GetSpinWidget());
    gtk_editable_select_region(GTK_EDITABLE(spin.GetSpinWidget()), 0, -1);
    gui_events::TapKey('x');
    gui_events::TapKey('7');
    ASSERT_TRUE(gui_wait::Until([&] { return Text() == "7"; })) << Text();
    gui_events::TapKey(GDK_Return);
    ASSERT_TRUE(gui_wait::Until([&] { return spin.GetValue() == 7.0; }));
}

// The frame is drawn and the handler returns false, so handlers connected after it
// (and the toolkit's own) still draw.
TEST_F(SpinButtonGuiTest, LaterExposeHandlersStillRunAndThePointerIsFollowed)
{
    int laterExposes = 0;
    g_signal_connect(spin.GetSpinWidget(), "expose-event", G_CALLBACK(+[](GtkWidget*, GdkEventExpose*, gpointer n) {
                         ++*static_cast<int*>(n);
                         return FALSE;
                     }),
                     &laterExposes);
    gtk_widget_queue_draw(spin.GetSpinWidget());
    ASSERT_TRUE(gui_wait::Until([&] { return laterExposes > 0; }));
    const PixelSnapshot shot = PixelSnapshot::OfWidget(spin.GetSpinWidget());
    ASSERT_TRUE(shot.Valid());
    EXPECT_EQ(shot.Width(), spin.GetSpinWidget()->allocation.width);
    EXPECT_GT(shot.Count(CSpinBtn::kBackground), 20) << "the arrow panel in the spin button's background colour";

    gui_events::MovePointer(gui_events::CentreOf(spin.GetSpinWidget()));
    ASSERT_TRUE(gui_wait::Until([&] { return spin.GetState() == 1; }));
    gui_events::MovePointerAway();
    ASSERT_TRUE(gui_wait::Until([&] { return spin.GetState() == 0; }));
}

} // namespace
