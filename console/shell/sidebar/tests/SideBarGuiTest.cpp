#include "CHelpViewerLauncher.h"
#include "CLogWriter.h"
#include "COperationLauncher.h"
#include "CSideBarPlus.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "PixelSnapshot.h"
#include "RecordingHelpProcesses.h"
#include "RecordingOperationDialogs.h"
#include "RowUserEventLog.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Steps = std::vector<std::string>;

class SideBarGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        g_bHelpRightPress = 0;
        COperationLauncher::Instance().UseDialogs(&dialogs);
        CHelpViewerLauncher::Instance().UseProcesses(&help);
        bar = new CSideBarPlus();
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_container_add(GTK_CONTAINER(window), *bar);
        bar->SetParent(window);
        ASSERT_TRUE(ShowAndSettle(window));
        gui_events::Focus(window);
        gui_wait::Settle();
    }
    void TearDown() override
    {
        CLogWriter::StopCapture();
        gtk_widget_destroy(window);
        delete bar;
        COperationLauncher::Instance().UseDialogs(nullptr);
        CHelpViewerLauncher::Instance().UseProcesses(nullptr);
        GuiTest::TearDown();
    }
    GtkWidget* OpRow(int row) { return bar->OperationsPanel().GetItem(row); }
    GtkWidget* HelpRowArea() { return bar->HelpPanel().GetItem(0); }
    // Real key strokes go to the focused widget of the focused window.
    void EnterOn(GtkWidget* area)
    {
        gtk_widget_grab_focus(area);
        ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_has_focus(area) != FALSE; }));
        gui_events::TapKey(GDK_Return);
        gui_wait::Settle();
    }

    RecordingOperationDialogs dialogs;
    RecordingHelpProcesses help;
    CSideBarPlus* bar = nullptr;
    GtkWidget* window = nullptr;
};

TEST_F(SideBarGuiTest, ClicksOnLiveRowsStartTheirOperationScanFirst)
{
    struct Case {
        int row;
        Steps steps;
    };
    const Case cases[] = {
        {kRowCheck, {"scan", "check"}},
        {kRowRestore, {"scan", "restore"}},
        {kRowClone, {"scan", "clone"}},
    };
    for (const Case& c : cases) {
        dialogs.steps.clear();
        gui_events::Click(OpRow(c.row));
        ASSERT_TRUE(gui_wait::Until([&] { return dialogs.steps.size() >= 2; })) << c.row;
        gui_wait::Settle();
        EXPECT_EQ(dialogs.steps, c.steps) << c.row;
        EXPECT_EQ(dialogs.lastParent, window);
    }
    // The right button starts nothing.
    dialogs.steps.clear();
    gui_events::Click(OpRow(kRowRestore), 3);
    gui_wait::Settle();
    EXPECT_TRUE(dialogs.steps.empty());
}

TEST_F(SideBarGuiTest, DisabledRowsAreInsensitiveAndStartNothing)
{
    for (int row : {kRowMount, kRowUnmount, kRowOption, kRowBackup}) {
        EXPECT_FALSE(gtk_widget_is_sensitive(OpRow(row))) << row;
        EXPECT_TRUE(bar->OperationsPanel().Row(row)->IsDisable()) << row;
        gui_events::Click(OpRow(row));
        gui_wait::Settle();
    }
    for (int row : {kRowCheck, kRowRestore, kRowClone})
        EXPECT_TRUE(gtk_widget_is_sensitive(OpRow(row))) << row;
    EXPECT_TRUE(dialogs.steps.empty());
    EXPECT_EQ(bar->OperationsPanel().Row(kRowMount)->ShownPicture(), "../res/menu-mount-disable.png");
}

TEST_F(SideBarGuiTest, EnterStartsTheRowsOperationAndOpensTheCheckWizardWithoutAScan)
{
    EnterOn(OpRow(kRowCheck));
    EXPECT_EQ(dialogs.steps, (Steps{"check"}));
    EnterOn(OpRow(kRowRestore));
    EnterOn(OpRow(kRowClone));
    EXPECT_EQ(dialogs.steps, (Steps{"check", "scan", "restore", "scan", "clone"}));
    for (GtkWidget* parent : dialogs.parents)
        EXPECT_EQ(parent, window);
}

TEST_F(SideBarGuiTest, RightClickThenEnterOnHelpStartsNothingUntilALeftClick)
{
    gui_events::Click(HelpRowArea());
    ASSERT_TRUE(gui_wait::Until([&] { return help.events.size() == 1; }));
    EXPECT_EQ(help.events.back(), "start [MainWindow]");
    ASSERT_TRUE(gtk_widget_has_focus(HelpRowArea())) << "the left click gave the row the focus";

    gui_events::Click(HelpRowArea(), 3);
    gui_wait::Settle();
    EnterOn(HelpRowArea());
    EXPECT_EQ(help.events.size(), 1u) << "Enter after a right click starts nothing";

    gui_events::Click(HelpRowArea());
    ASSERT_TRUE(gui_wait::Until([&] { return help.events.size() >= 2; }));
    EnterOn(HelpRowArea());
    ASSERT_TRUE(gui_wait::Until([&] { return help.events.size() >= 4; }));
    EXPECT_EQ(help.events.back(), "start [MainWindow]");
    EXPECT_TRUE(dialogs.steps.empty());
}

TEST_F(SideBarGuiTest, ClicksAndEnterOnRowsAreNotedInTheSharedLog)
{
    CLogWriter::StartCapture();
    gui_events::Click(OpRow(kRowRestore));
    ASSERT_TRUE(gui_wait::Until([&] { return !CLogWriter::Captured().empty(); }));
    EnterOn(OpRow(kRowClone));
    ASSERT_TRUE(gui_wait::Until([&] { return CLogWriter::Captured().size() >= 2; }));
    const std::vector<std::string> lines = CLogWriter::Captured();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(kRowUserEventText)), 2);
}

TEST_F(SideBarGuiTest, RowsShowTheirPicturesOnTheGreenColumnWithADarkStrip)
{
    GtkWidget* column = *bar;
    const PixelSnapshot shot = PixelSnapshot::OfWidget(column);
    ASSERT_TRUE(shot.Valid());
    EXPECT_EQ(shot.At(shot.Width() - 1, shot.Height() - 2), 0x000000u) << "the strip";
    EXPECT_EQ(shot.At(shot.Width() - 7, shot.Height() - 2), 0x5A7A1Cu) << "the panel green";
    EXPECT_EQ(bar->OperationsPanel().Row(kRowRestore)->ShownPicture(), "../res/menu-restore-normal.png");

    gui_events::MovePointerTo(OpRow(kRowRestore), 30, 10);
    ASSERT_TRUE(gui_wait::Until(
        [&] { return bar->OperationsPanel().Row(kRowRestore)->ShownPicture() == "../res/menu-restore-hover.png"; }));
    gui_events::MovePointerAway();
    ASSERT_TRUE(gui_wait::Until(
        [&] { return bar->OperationsPanel().Row(kRowRestore)->ShownPicture() == "../res/menu-restore-normal.png"; }));
}

} // namespace
