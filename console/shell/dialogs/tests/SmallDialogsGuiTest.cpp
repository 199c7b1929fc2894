// The about box, the version notices and the wait picture on screen, with real
// clicks on their links and check button.
#include "CAboutDlg.h"
#include "CCheckingNewVersionDlg.h"
#include "CEventLock.h"
#include "CNewVersionDlg.h"
#include "CWaitDlg.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "ProductTexts.h"

#include <functional>
#include <string>

namespace {

class SmallDialogsGuiTest : public GuiTest {};

// Counts the presses that the dialog's own link handler lets through.
gboolean CountPress(GtkWidget*, GdkEventButton*, gpointer count)
{
    ++*static_cast<int*>(count);
    return FALSE;
}

// Clicks a link with each button while its dialog runs; the presses that got through.
int PressesThrough(CBaseDialog& dialog, const std::function<GtkWidget*()>& link, unsigned button)
{
    int through = 0;
    ModalDialogAnswerer answerer([&](GtkDialog* d) {
        g_signal_connect(link(), "button-press-event", G_CALLBACK(CountPress), &through);
        gui_events::MovePointerTo(link(), link()->allocation.width / 2, link()->allocation.height / 2);
        gui_events::PressButton(button);
        gui_events::ReleaseButton(button);
        gui_wait::Settle();
        gtk_dialog_response(d, DLG_RESULT_OK);
    });
    dialog.RunDlg();
    return through;
}

TEST_F(SmallDialogsGuiTest, AboutBoxTitleSizeAndLink)
{
    CAboutDlg about(nullptr, product_texts::kAboutTitle, product_texts::kAboutWidth, product_texts::kAboutHeight);
    EXPECT_STREQ(about.GetHelpName(), "AboutDlg");
    std::string title;
    int width = 0, height = 0;
    GdkCursorType cursor = GDK_X_CURSOR;
    ModalDialogAnswerer answerer([&](GtkDialog* d) {
        title = gtk_window_get_title(GTK_WINDOW(d));
        width = GTK_WIDGET(d)->allocation.width;
        height = GTK_WIDGET(d)->allocation.height;
        if (GdkCursor* c = gdk_window_get_cursor(about.GetLinkWidget()->window))
            cursor = gdk_cursor_get_cursor_type(c);
        gui_events::Click(ModalDialogAnswerer::ButtonForResponse(d, DLG_RESULT_OK));
    });
    EXPECT_EQ(about.RunDlg(), DLG_RESULT_OK);
    EXPECT_EQ(title, "About Zendrel Kivra Backup");
    EXPECT_EQ(width, 420);
    EXPECT_EQ(height, 190);
    EXPECT_EQ(cursor, GDK_HAND2);
    about.DestoryDlg();

    for (unsigned button : {3u, 1u}) {
        CAboutDlg again(nullptr, product_texts::kAboutTitle, 420, 190);
        EXPECT_EQ(PressesThrough(again, [&] { return again.GetLinkWidget(); }, button), button == 3 ? 0 : 1)
            << "button " << button;
    }
}

TEST_F(SmallDialogsGuiTest, CheckingDialogClosesItselfAfterItIsShown)
{
    CCheckingNewVersionDlg checking(nullptr, "Checking", 300, 100);
    // Answers nothing: only a dialog still open after 3 s is closed from here.
    ModalDialogAnswerer answerer([](GtkDialog*) {}, 3000);
    const gint64 start = g_get_monotonic_time();
    const int result = checking.RunDlg();
    const gint64 tookMs = (g_get_monotonic_time() - start) / 1000;
    EXPECT_LT(result, 0) << "ended by its timer, not by a button";
    EXPECT_FALSE(answerer.TimedOut());
    EXPECT_GE(tookMs, static_cast<gint64>(CCheckingNewVersionDlg::kCloseAfterMs));
    EXPECT_EQ(checking.GetDlgWidget(), nullptr);
    EXPECT_STREQ(checking.GetHelpName(), "CheckingNewVersionDlg");
}

TEST_F(SmallDialogsGuiTest, CheckingDialogEndedEarlyLeavesNoTimerBehind)
{
    {
        CCheckingNewVersionDlg checking(nullptr, "Checking", 300, 100);
        gtk_widget_show_all(checking.GetDlgWidget());
    }
    // A timer left behind would close a dialog that is gone (the sanitizer's report).
    gui_wait::Settle(300, 1000);
}

TEST_F(SmallDialogsGuiTest, NewVersionCheckButtonAndLink)
{
    for (bool initially : {false, true}) {
        CNewVersionDlg dialog(nullptr, "New version", 420, -1, "1.1", "1.2", "http://www.zendrel.example/news",
                              initially);
        EXPECT_STREQ(dialog.GetHelpName(), "NewVersionDlg");
        std::vector<bool> seen;
        ModalDialogAnswerer answerer([&](GtkDialog* d) {
            for (int i = 0; i < 2; ++i) {
                gui_events::Click(dialog.GetCheckWidget());
                gui_wait::Settle();
                seen.push_back(dialog.IsCheckAtStartup());
            }
            gtk_dialog_response(d, DLG_RESULT_OK);
        });
        EXPECT_EQ(dialog.IsCheckAtStartup(), initially);
        dialog.RunDlg();
        EXPECT_EQ(seen, (std::vector<bool>{!initially, initially})) << "initially " << initially;
    }
    CNewVersionDlg dialog(nullptr, "New version", 420, -1, "1.1", "1.2", "http://www.zendrel.example/news", true);
    EXPECT_EQ(PressesThrough(dialog, [&] { return dialog.GetLinkWidget(); }, 3), 0) << "a right click does nothing";
}

TEST_F(SmallDialogsGuiTest, WaitPictureIsABorderlessModalWindow)
{
    for (bool mount : {true, false}) {
        CWaitDlg* wait = new CWaitDlg(nullptr, mount);
        wait->ShowDlg();
        GtkWindow* window = GTK_WINDOW(wait->GetWindow());
        ASSERT_TRUE(gui_wait::Until([&] { return GTK_WIDGET_MAPPED(GTK_WIDGET(window)); }));
        EXPECT_FALSE(gtk_window_get_decorated(window));
        EXPECT_TRUE(gtk_window_get_modal(window));
        GtkWidget* destroyed = GTK_WIDGET(window);
        g_object_add_weak_pointer(G_OBJECT(destroyed), reinterpret_cast<gpointer*>(&destroyed));
        wait->DestroyDlg();
        EXPECT_EQ(destroyed, nullptr);
    }
}

TEST(EventLock, DoesNothing)
{
    CEventLock lock("console");
    lock.Lock();
    EXPECT_EQ(lock.IsLocked(), 0);
    EXPECT_EQ(lock.LockTime(1000), 0);
    lock.UnLock();
}

} // namespace
