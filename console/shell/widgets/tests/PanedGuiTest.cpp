#include "CPlusHpanedCtrl.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"

namespace {

class PanedGuiTest : public GuiTest {};

TEST_F(PanedGuiTest, DraggingTheHandleMovesWidthBetweenThePanes)
{
    CPlusHpanedCtrl paned;
    ASSERT_TRUE(GTK_IS_HBOX(paned.GetHpanedCtrl()));
    GtkWidget* left = gtk_drawing_area_new();
    GtkWidget* right = gtk_drawing_area_new();
    gtk_widget_set_size_request(left, 150, 80);
    gtk_widget_set_size_request(right, 150, 80);
    paned.InitHpanedCtrl(left, right);
    ASSERT_TRUE(GTK_IS_HPANED(paned.GetHpanedCtrl()));
    EXPECT_EQ(gtk_paned_get_child1(GTK_PANED(paned.GetHpanedCtrl())), left);
    EXPECT_EQ(gtk_paned_get_child2(GTK_PANED(paned.GetHpanedCtrl())), right);
    EXPECT_EQ(gtk_widget_get_events(paned.GetEventBox()), CPlusHpanedCtrl::kHandleEventMask);

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_add(GTK_CONTAINER(window), paned.GetHpanedCtrl());
    ASSERT_TRUE(ShowAndSettle(window));
    const int leftWidth = left->allocation.width;
    const int rightWidth = right->allocation.width;

    // The handlers read the real pointer from the event's window.
    GdkEventMotion motion = {};
    motion.type = GDK_MOTION_NOTIFY;
    motion.window = gtk_widget_get_window(window);
    gui_events::MovePointerTo(window, 100, 20);
    gui_wait::Settle();
    CPlusHpanedCtrl::on_bar_motion_notify(paned.GetEventBox(), &motion, &paned);
    CPlusHpanedCtrl::on_bar_press_notify(paned.GetEventBox(), nullptr, &paned);
    EXPECT_TRUE(paned.IsDragging());
    gui_events::MovePointerTo(window, 130, 20);
    gui_wait::Settle();
    CPlusHpanedCtrl::on_bar_motion_notify(paned.GetEventBox(), &motion, &paned);
    CPlusHpanedCtrl::on_bar_release_notify(paned.GetEventBox(), nullptr, &paned);
    EXPECT_FALSE(paned.IsDragging());

    int w = 0, h = 0;
    gtk_widget_get_size_request(left, &w, &h);
    EXPECT_EQ(w, leftWidth + 30);
    gtk_widget_get_size_request(right, &w, &h);
    EXPECT_EQ(w, rightWidth - 30);

    // Motion without a press changes nothing.
    gui_events::MovePointerTo(window, 60, 20);
    gui_wait::Settle();
    CPlusHpanedCtrl::on_bar_motion_notify(paned.GetEventBox(), &motion, &paned);
    gtk_widget_get_size_request(left, &w, &h);
    EXPECT_EQ(w, leftWidth + 30);

    gtk_widget_destroy(window);
    // The event box is not packed anywhere by the control; its owner releases it.
    // It is still floating: destroying alone would leave the floating reference.
    GtkWidget* eventBox = g_object_ref_sink(paned.GetEventBox());
    gtk_widget_destroy(eventBox);
    g_object_unref(eventBox);
}

} // namespace
