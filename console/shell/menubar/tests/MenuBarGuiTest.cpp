#include "CHelpViewerLauncher.h"
#include "CMenuBarPlus.h"
#include "COperationLauncher.h"
#include "GuiEvents.h"
#include "GuiTest.h"
#include "GuiWait.h"
#include "ModalDialogAnswerer.h"
#include "PixelSnapshot.h"
#include "RecordingHelpProcesses.h"
#include "RecordingOperationDialogs.h"

#include <gdk/gdkkeysyms.h>

#include <string>
#include <vector>

namespace {

class RecordingController : public IMainWndController {
public:
    void SetToolBarStatus(int show) override { calls.push_back("toolbar " + std::to_string(show)); }
    void SetSideBarStatus(int show) override { calls.push_back("sidebar " + std::to_string(show)); }
    void SetMainWindowStatusText(const char* text) override { status = text ? text : "(null)"; }

    std::vector<std::string> calls;
    std::string status = " ";
};

class RecordingAboutBox : public IAboutBox {
public:
    void Run(GtkWidget* parent, const char* title, int width, int height) override
    {
        runs.push_back(std::string(title) + " " + std::to_string(width) + "x" + std::to_string(height));
        lastParent = parent;
    }
    std::vector<std::string> runs;
    GtkWidget* lastParent = nullptr;
};

class MenuBarGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        COperationLauncher::Instance().UseDialogs(&dialogs);
        CHelpViewerLauncher::Instance().UseProcesses(&help);
        bar = new CMenuBarPlus();
        bar->UseAboutBox(&about);
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 640, 120);
        GtkWidget* box = gtk_vbox_new(FALSE, 0);
        gtk_box_pack_start(GTK_BOX(box), bar->GetMenuBarWidgetInterface(), FALSE, FALSE, 0);
        gtk_container_add(GTK_CONTAINER(window), box);
        bar->SetParentWnd(window);
        bar->SetMainWndController(&controller);
        ASSERT_TRUE(ShowAndSettle(window));
    }
    void TearDown() override
    {
        gui_events::TapKey(GDK_Escape);
        gui_wait::Settle();
        gtk_widget_destroy(window);
        delete bar;
        COperationLauncher::Instance().UseDialogs(nullptr);
        CHelpViewerLauncher::Instance().UseProcesses(nullptr);
        GuiTest::TearDown();
    }

    bool OpenMenu(MenuId menu)
    {
        gui_events::Click(bar->TopItem(menu));
        GtkWidget* popup = gtk_menu_item_get_submenu(GTK_MENU_ITEM(bar->TopItem(menu)));
        return gui_wait::Until([&] { return gtk_widget_get_mapped(popup) != FALSE; }) &&
               (gui_wait::Settle(), true);
    }
    void PointAt(MenuId menu, size_t index)
    {
        GtkWidget* item = bar->Item(menu, index);
        gui_events::MovePointerTo(item, 20, item->allocation.height / 2);
        gui_wait::Settle();
    }
    bool StatusBecomes(const std::string& text)
    {
        const bool became = gui_wait::Until([&] { return controller.status == text; });
        if (!became)
            ADD_FAILURE() << "status is \"" << controller.status << "\", not \"" << text << "\"";
        return became;
    }
    bool MenuClosed(MenuId menu)
    {
        GtkWidget* popup = gtk_menu_item_get_submenu(GTK_MENU_ITEM(bar->TopItem(menu)));
        return gui_wait::Until([&] { return !gtk_widget_get_mapped(popup); });
    }
    // Opens the menu and clicks one of its items.
    void Choose(MenuId menu, size_t index)
    {
        ASSERT_TRUE(OpenMenu(menu));
        PointAt(menu, index);
        gui_events::Click(bar->Item(menu, index));
        ASSERT_TRUE(MenuClosed(menu));
        gui_wait::Settle();
    }

    RecordingOperationDialogs dialogs;
    RecordingHelpProcesses help;
    RecordingController controller;
    RecordingAboutBox about;
    CMenuBarPlus* bar = nullptr;
    GtkWidget* window = nullptr;
};

TEST_F(MenuBarGuiTest, PointingAtItemsWritesTheirStatusTextAndLeavingClearsItExceptInHelp)
{
    ASSERT_TRUE(OpenMenu(kMenuOperation));
    PointAt(kMenuOperation, 1);
    ASSERT_TRUE(StatusBecomes("Restore a partition or a disk"));
    PointAt(kMenuOperation, 8);
    ASSERT_TRUE(StatusBecomes("Exit"));
    gui_events::MovePointerAway();
    ASSERT_TRUE(gui_wait::Until([&] { return controller.status.empty(); })) << controller.status;
    gui_events::TapKey(GDK_Escape);
    ASSERT_TRUE(MenuClosed(kMenuOperation));

    ASSERT_TRUE(OpenMenu(kMenuView));
    PointAt(kMenuView, 1);
    ASSERT_TRUE(StatusBecomes("Show or hide sidebar"));
    gui_events::MovePointerAway();
    ASSERT_TRUE(gui_wait::Until([&] { return controller.status.empty(); })) << controller.status;
    gui_events::TapKey(GDK_Escape);
    ASSERT_TRUE(MenuClosed(kMenuView));

    ASSERT_TRUE(OpenMenu(kMenuHelp));
    PointAt(kMenuHelp, 7);
    ASSERT_TRUE(StatusBecomes("Display program information,version number and copyright"));
    gui_events::MovePointerAway();
    gui_wait::Settle(150);
    EXPECT_EQ(controller.status, "Display program information,version number and copyright")
        << "leaving a Help item keeps its text";
    // The keyboard selects too.
    gui_events::TapKey(GDK_Down);
    ASSERT_TRUE(gui_wait::Until([&] { return controller.status == "Show help contents"; })) << controller.status;
}

TEST_F(MenuBarGuiTest, InsensitiveItemsCannotBeChosenAndShowNothing)
{
    for (int m = 0; m < kMenuCount; ++m) {
        const MenuEntry& entry = MenuBarMenu(static_cast<MenuId>(m));
        for (size_t i = 0; i < entry.count; ++i)
            EXPECT_EQ(gtk_widget_get_sensitive(bar->Item(static_cast<MenuId>(m), i)) != FALSE, entry.items[i].sensitive)
                << m << "/" << i;
    }
    ASSERT_TRUE(OpenMenu(kMenuOperation));
    for (size_t i : {0u, 4u, 5u}) { // Backup, Mount, Unmount
        PointAt(kMenuOperation, i);
        gui_events::Click(bar->Item(kMenuOperation, i));
        gui_wait::Settle();
    }
    EXPECT_EQ(controller.status, " ") << "no insensitive item was selected";
    EXPECT_TRUE(dialogs.steps.empty());
    gui_events::TapKey(GDK_Escape);
    ASSERT_TRUE(MenuClosed(kMenuOperation));

    ASSERT_TRUE(OpenMenu(kMenuHelp));
    for (size_t i : {2u, 4u, 5u}) {
        PointAt(kMenuHelp, i);
        gui_events::Click(bar->Item(kMenuHelp, i));
        gui_wait::Settle();
    }
    EXPECT_TRUE(help.events.empty());
    EXPECT_TRUE(about.runs.empty());
    EXPECT_FALSE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(bar->Item(kMenuHelp, 4))));
}

TEST_F(MenuBarGuiTest, OperationsStartThroughTheLauncherScanFirst)
{
    Choose(kMenuOperation, 1);
    Choose(kMenuOperation, 2);
    Choose(kMenuOperation, 6);
    EXPECT_EQ(dialogs.steps,
              (std::vector<std::string>{"scan", "restore", "scan", "clone", "scan", "check"}));
    for (GtkWidget* parent : dialogs.parents)
        EXPECT_EQ(parent, window);
}

TEST_F(MenuBarGuiTest, ViewItemsHideAndShowTheBars)
{
    Choose(kMenuView, 0);
    Choose(kMenuView, 0);
    Choose(kMenuView, 1);
    EXPECT_EQ(controller.calls, (std::vector<std::string>{"toolbar 0", "toolbar 1", "sidebar 0"}));
    EXPECT_TRUE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(bar->Item(kMenuView, 0))));
    EXPECT_FALSE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(bar->Item(kMenuView, 1))));
}

TEST_F(MenuBarGuiTest, HelpContentsStartsTheViewerAndAboutOpensTheBox)
{
    Choose(kMenuHelp, 0);
    EXPECT_EQ(help.events, (std::vector<std::string>{"start [MainWindow]"}));
    Choose(kMenuHelp, 7);
    EXPECT_EQ(about.runs, (std::vector<std::string>{"About Zendrel Kivra Backup 420x190"}));
    EXPECT_EQ(about.lastParent, window);
    EXPECT_TRUE(dialogs.steps.empty());
}

// The console's own About box, opened from the menu: a modal dialog over the window
// with its title, closed with its OK button.
TEST_F(MenuBarGuiTest, AboutOpensTheConsolesAboutBoxOverTheWindow)
{
    bar->UseAboutBox(nullptr);
    GtkWidget* dialogParent = nullptr;
    ModalDialogAnswerer answerer([&](GtkDialog* dialog) {
        dialogParent = GTK_WIDGET(gtk_window_get_transient_for(GTK_WINDOW(dialog)));
        gtk_dialog_response(dialog, 0);
    });
    Choose(kMenuHelp, 7);
    ASSERT_TRUE(gui_wait::Until([&] { return answerer.Answered(); }));
    EXPECT_FALSE(answerer.TimedOut());
    EXPECT_EQ(answerer.Title(), "About Zendrel Kivra Backup");
    EXPECT_EQ(dialogParent, window);
    gui_wait::Settle();
    EXPECT_EQ(ModalDialogAnswerer::FindModalDialog(), nullptr) << "the box is destroyed after its run";
}

struct ExitRun {
    MenuBarGuiTest* test;
    GtkWidget* exitItem;
    bool gaveUp = false;
};

gboolean ClickExit(gpointer data)
{
    gui_events::Click(static_cast<ExitRun*>(data)->exitItem);
    return FALSE;
}

gboolean GiveUpOnExit(gpointer data)
{
    static_cast<ExitRun*>(data)->gaveUp = true;
    gtk_main_quit();
    return FALSE;
}

TEST_F(MenuBarGuiTest, ExitEndsTheMainLoop)
{
    ASSERT_TRUE(OpenMenu(kMenuOperation));
    PointAt(kMenuOperation, 8);
    ExitRun run{this, bar->Item(kMenuOperation, 8)};
    g_timeout_add(50, ClickExit, &run);
    const guint giveUp = g_timeout_add(10000, GiveUpOnExit, &run);
    gtk_main();
    EXPECT_FALSE(run.gaveUp) << "Exit did not end the main loop";
    if (!run.gaveUp)
        g_source_remove(giveUp);
    EXPECT_TRUE(dialogs.steps.empty());
}

TEST_F(MenuBarGuiTest, StripAndSeparatorAreDrawn)
{
    const PixelSnapshot strip = PixelSnapshot::OfWidget(bar->GetMenuBarWidgetInterface());
    ASSERT_TRUE(strip.Valid());
    const int h = strip.Height();
    // Top shadow, the dark separator line and its light one under the strip.
    EXPECT_EQ(strip.At(strip.Width() - 4, 0), 0xC6CABCu);
    EXPECT_EQ(strip.At(strip.Width() - 4, 3), 0xE0E7D7u);
    EXPECT_EQ(strip.At(strip.Width() / 2, h - 2), 0x575757u);
    EXPECT_EQ(strip.At(strip.Width() / 2, h - 1), 0xE8FFA7u);
    EXPECT_EQ(strip.At(2, 0), 0xC6CABCu) << "the menu bar's own strip";
    EXPECT_EQ(strip.At(2, h - 3), 0xEEF1E5u) << "the menu bar's base line";
}

} // namespace
