#include "CEntryPlus.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"

#include <gdk/gdkkeysyms.h>

namespace {

constexpr uint32_t kEntryFrameOuter = 0x7F9DB9;

class EntryGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* fixed = gtk_fixed_new();
        gtk_container_add(GTK_CONTAINER(window), fixed);
        gtk_widget_set_size_request(entry.GetEntryWidget(), 160, 24);
        gtk_fixed_put(GTK_FIXED(fixed), entry.GetEntryWidget(), 10, 10);
        gtk_widget_set_size_request(fixed, 200, 60);
        g_signal_connect(entry.GetEntryWidget(), "changed", G_CALLBACK(CountChange), &changes);
        ASSERT_TRUE(ShowAndSettle(window));
        gui_events::Focus(window);
        gui_wait::Settle();
    }
    void TearDown() override
    {
        gtk_widget_destroy(window);
        GuiTest::TearDown();
    }
    static void CountChange(GtkEditable*, gpointer counter) { ++*static_cast<int*>(counter); }

    static bool AMenuIsUp()
    {
        bool up = false;
        GList* toplevels = gtk_window_list_toplevels();
        for (GList* it = toplevels; it; it = it->next) {
            GtkWidget* top = GTK_WIDGET(it->data);
            GtkWidget* child = gtk_bin_get_child(GTK_BIN(top));
            if (gtk_widget_get_mapped(top) && child && GTK_IS_MENU(child))
                up = true;
        }
        g_list_free(toplevels);
        return up;
    }

    CEntryPlus entry;
    GtkWidget* window = nullptr;
    int changes = 0;
};

TEST_F(EntryGuiTest, DrawsTheFlatFrameAroundTheField)
{
    const PixelSnapshot shot = PixelSnapshot::OfWidget(entry.GetEntryWidget());
    ASSERT_EQ(shot.Width(), 160);
    EXPECT_EQ(shot.At(0, 0), kEntryFrameOuter);
    EXPECT_EQ(shot.At(80, 0), kEntryFrameOuter);
    EXPECT_EQ(shot.At(159, 23), kEntryFrameOuter);
    EXPECT_EQ(shot.At(1, 12), 0xFFFFFFu) << "white inner ring";
    EXPECT_EQ(shot.At(158, 1), 0xFFFFFFu);
}

TEST_F(EntryGuiTest, TextGoesInAndOutAndEditingCanBeTurnedOff)
{
    entry.SetEntryText("backup-1");
    EXPECT_EQ(changes, 1) << "setting the text emits changed";
    EXPECT_STREQ(entry.GetEntryText(), "backup-1");

    gui_events::Click(entry.GetEntryWidget());
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_has_focus(entry.GetEntryWidget()) != FALSE; }));
    gtk_editable_set_position(GTK_EDITABLE(entry.GetEntryWidget()), -1);
    gui_events::TapKey('x');
    ASSERT_TRUE(gui_wait::Until([&] { return std::string(entry.GetEntryText()) == "backup-1x"; }));

    entry.CanEdit(0);
    gui_events::TapKey('y');
    gui_wait::Settle();
    EXPECT_STREQ(entry.GetEntryText(), "backup-1x");
}

TEST_F(EntryGuiTest, RightClickOpensNoMenuWhileLeftClickStillFocuses)
{
    entry.SetEntryText("image");
    gui_events::Click(entry.GetEntryWidget(), 3);
    gui_wait::Settle(150);
    EXPECT_FALSE(AMenuIsUp());

    gui_events::Click(entry.GetEntryWidget(), 1);
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_has_focus(entry.GetEntryWidget()) != FALSE; }));
    EXPECT_FALSE(AMenuIsUp());
}

} // namespace
