#include "CHelpViewerLauncher.h"
#include "CMainWnd.h"
#include "COperationLauncher.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"
#include "RecordingHelpProcesses.h"
#include "RecordingOperationDialogs.h"

#include <gdk/gdkkeysyms.h>

#include <string>
#include <vector>

namespace {

class MainWindowGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        COperationLauncher::Instance().UseDialogs(&dialogs);
        CHelpViewerLauncher::Instance().UseProcesses(&help);
        wnd = new CMainWnd();
        ASSERT_FALSE(gtk_widget_get_visible(wnd->GetWindow())) << "built hidden";
        wnd->ShowWnd();
        ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_get_mapped(wnd->GetWindow()) != FALSE; }));
        gui_wait::Settle();
    }
    void TearDown() override
    {
        delete wnd;
        COperationLauncher::Instance().UseDialogs(nullptr);
        CHelpViewerLauncher::Instance().UseProcesses(nullptr);
        GuiTest::TearDown();
    }

    RecordingOperationDialogs dialogs;
    RecordingHelpProcesses help;
    CMainWnd* wnd = nullptr;
};

TEST_F(MainWindowGuiTest, F1StartsTheViewerWithItsTopicAndEndsThePreviousOne)
{
    gui_events::Focus(wnd->GetWindow());
    gui_wait::Settle();
    gui_events::TapKey(GDK_F1);
    ASSERT_TRUE(gui_wait::Until([&] { return !help.events.empty(); }));
    const pid_t first = help.lastPid;
    EXPECT_EQ(help.events.back(), "start [ MainWindow]");
    EXPECT_EQ(help.paths.back(), HelpViewerPath());

    gui_events::TapKey(GDK_F1);
    ASSERT_TRUE(gui_wait::Until([&] { return help.lastPid != first; }));
    const size_t n = help.events.size();
    ASSERT_GE(n, 3u);
    EXPECT_EQ(help.events[n - 2], "signal " + std::to_string(first) + " 6");
    EXPECT_EQ(help.events[n - 1], "start [ MainWindow]");

    // Other keys start nothing.
    const size_t before = help.events.size();
    gui_events::TapKey(GDK_F2);
    gui_wait::Settle();
    EXPECT_EQ(help.events.size(), before);
}

TEST_F(MainWindowGuiTest, StartPageButtonsRunScanThenTheirWizardAndBackupDoesNothing)
{
    gui_events::Click(wnd->StartPageButton(kStartBackup).GetBtnWidget());
    gui_wait::Settle();
    EXPECT_TRUE(dialogs.steps.empty());
    EXPECT_EQ(wnd->StartPageButton(kStartBackup).GetShownPicture(), "../res/backup_disable.png");

    gui_events::Click(wnd->StartPageButton(kStartRestore).GetBtnWidget());
    ASSERT_TRUE(gui_wait::Until([&] { return dialogs.steps.size() >= 2; }));
    gui_events::Click(wnd->StartPageButton(kStartClone).GetBtnWidget());
    ASSERT_TRUE(gui_wait::Until([&] { return dialogs.steps.size() >= 4; }));
    gui_wait::Settle();
    EXPECT_EQ(dialogs.steps, (std::vector<std::string>{"scan", "restore", "scan", "clone"}));
    EXPECT_EQ(dialogs.lastParent, wnd->GetWindow());
}

TEST_F(MainWindowGuiTest, StatusLineFollowsTheToolBarAndTheToolBarCanBeHidden)
{
    EXPECT_STREQ(wnd->GetStatusText(), " ");
    gui_events::MovePointerTo(wnd->ToolBar().Button(kTbClone).GetBtnWidget(), 3, 3);
    gui_wait::Settle();
    EXPECT_STREQ(wnd->GetStatusText(), "Clone a disk");
    gui_events::MovePointerAway();
    gui_wait::Settle();
    EXPECT_STREQ(wnd->GetStatusText(), "");

    GtkWidget* toolbar = wnd->ToolBar().GetToolBarPlusWidget();
    wnd->SetToolBarStatus(0);
    gui_wait::Settle();
    EXPECT_FALSE(gtk_widget_get_visible(toolbar));
    wnd->SetToolBarStatus(1);
    gui_wait::Settle();
    EXPECT_TRUE(gtk_widget_get_mapped(toolbar));
}

TEST_F(MainWindowGuiTest, StatusBarDrawsItsFourTopLines)
{
    // The status bar is the last child of the window's outer box.
    GList* children = gtk_container_get_children(GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(wnd->GetWindow()))));
    GtkWidget* statusBar = GTK_WIDGET(g_list_last(children)->data);
    g_list_free(children);
    gtk_widget_queue_draw(statusBar);
    gui_wait::Settle();
    const PixelSnapshot shot = PixelSnapshot::OfWidget(statusBar);
    ASSERT_TRUE(shot.Valid());
    const uint32_t expected[] = {0x575757, 0xBEC0B5, 0xCDD1C3, 0xDEE2D3};
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(shot.At(1, y), expected[y]) << "line " << y;
        EXPECT_EQ(shot.At(shot.Width() - 2, y), expected[y]) << "line " << y;
    }
    EXPECT_EQ(shot.At(shot.Width() / 2, 10) & 0xFFFFFF, 0xE6EADCu) << "background under the lines";
}

} // namespace

namespace {

struct CloseRun {
    CMainWnd* wnd;
    bool gaveUp = false;
};

gboolean SendClose(gpointer data)
{
    GtkWidget* window = static_cast<CloseRun*>(data)->wnd->GetWindow();
    GdkEvent* close = gdk_event_new(GDK_DELETE);
    close->any.window = GDK_WINDOW(g_object_ref(window->window));
    close->any.send_event = TRUE;
    gtk_main_do_event(close);
    gdk_event_free(close);
    return FALSE;
}

gboolean GiveUp(gpointer data)
{
    static_cast<CloseRun*>(data)->gaveUp = true;
    gtk_main_quit();
    return FALSE;
}

TEST_F(MainWindowGuiTest, ClosingTheWindowDestroysItAndEndsTheMainLoop)
{
    CloseRun run{wnd};
    g_timeout_add(100, SendClose, &run);
    const guint giveUp = g_timeout_add(10000, GiveUp, &run);
    gtk_main();
    EXPECT_FALSE(run.gaveUp) << "the main loop did not end";
    if (!run.gaveUp)
        g_source_remove(giveUp);
    EXPECT_EQ(wnd->GetWindow(), nullptr);
}

} // namespace
