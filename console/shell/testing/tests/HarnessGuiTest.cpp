// The harness itself: real clicks arrive, pixels come back, modal dialogs are
// answered, and an unanswerable dialog cannot hang a test.
#include <gtest/gtest-spi.h>

#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "GuiWorkspace.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"

#include <climits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class HarnessGuiTest : public GuiTest {};

TEST_F(HarnessGuiTest, WorkingDirectoryHasThePicturesBesideIt)
{
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(cwd), GuiWorkspace::Shared().BinDir());
    struct stat info;
    EXPECT_EQ(stat("../res", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

void CountClick(GtkButton*, gpointer counter)
{
    ++*static_cast<int*>(counter);
}

TEST_F(HarnessGuiTest, RealClicksReachAButton)
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* button = gtk_button_new_with_label("Press");
    gtk_widget_set_size_request(button, 100, 40);
    gtk_container_add(GTK_CONTAINER(window), button);
    int clicks = 0;
    g_signal_connect(button, "clicked", G_CALLBACK(CountClick), &clicks);
    ASSERT_TRUE(ShowAndSettle(window));

    gui_events::Click(button);
    EXPECT_TRUE(gui_wait::Until([&] { return clicks == 1; }));

    // Pressed inside, released outside: GTK gives no click.
    gui_events::MovePointer(gui_events::CentreOf(button));
    gui_events::PressButton(1);
    gui_events::MovePointerAway();
    gui_events::ReleaseButton(1);
    gui_wait::Settle();
    EXPECT_EQ(clicks, 1);
}

gboolean PaintRed(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, widget->allocation.x + 5, widget->allocation.y + 5, 10, 10);
    cairo_fill(cr);
    cairo_destroy(cr);
    return TRUE;
}

TEST_F(HarnessGuiTest, PixelsComeBackFromTheScreen)
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, 40, 30);
    gtk_container_add(GTK_CONTAINER(window), area);
    g_signal_connect(area, "expose-event", G_CALLBACK(PaintRed), nullptr);
    ASSERT_TRUE(ShowAndSettle(window));

    PixelSnapshot pixels = PixelSnapshot::OfWidget(area);
    ASSERT_TRUE(pixels.Valid());
    EXPECT_EQ(pixels.At(5, 5), 0xFF0000u);
    EXPECT_EQ(pixels.At(14, 14), 0xFF0000u);
    EXPECT_NE(pixels.At(15, 15), 0xFF0000u);
    EXPECT_EQ(pixels.Count(0xFF0000u), 100);
}

TEST_F(HarnessGuiTest, ModalDialogIsAnsweredWithARealClick)
{
    GtkWidget* dialog = gtk_dialog_new_with_buttons("Question", nullptr, GTK_DIALOG_MODAL, "Yes", 7, "No", 8, nullptr);
    ModalDialogAnswerer answerer(ModalDialogAnswerer::ClickResponse(8));
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    EXPECT_EQ(response, 8);
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(answerer.TimedOut());
    EXPECT_EQ(answerer.Title(), "Question");
    gtk_widget_destroy(dialog);
}

TEST_F(HarnessGuiTest, UnansweredDialogIsClosedAtTheDeadline)
{
    GtkWidget* dialog = gtk_dialog_new_with_buttons("Stuck", nullptr, GTK_DIALOG_MODAL, "Yes", 7, nullptr);
    ModalDialogAnswerer answerer([](GtkDialog*) {}, 300);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    EXPECT_EQ(response, GTK_RESPONSE_DELETE_EVENT);
    EXPECT_TRUE(answerer.TimedOut());
    gtk_widget_destroy(dialog);
}

} // namespace

// A toolkit critical (here: a call on no widget at all) fails the test that caused it.
TEST_F(HarnessGuiTest, ToolkitCriticalFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(gtk_widget_show(nullptr), "GTK_IS_WIDGET");
}
