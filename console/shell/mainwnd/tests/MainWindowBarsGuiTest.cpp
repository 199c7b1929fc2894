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

class MainWindowBarsGuiTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        COperationLauncher::Instance().UseDialogs(&dialogs);
        CHelpViewerLauncher::Instance().UseProcesses(&help);
        wnd = new CMainWnd();
        wnd->ShowWnd();
        ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_get_mapped(wnd->GetWindow()) != FALSE; }));
        gui_events::Focus(wnd->GetWindow());
        gui_wait::Settle();
    }
    void TearDown() override
    {
        gui_events::TapKey(GDK_Escape);
        gui_wait::Settle();
        delete wnd;
        COperationLauncher::Instance().UseDialogs(nullptr);
        CHelpViewerLauncher::Instance().UseProcesses(nullptr);
        GuiTest::TearDown();
    }

    static std::vector<GtkWidget*> Children(GtkWidget* container)
    {
        std::vector<GtkWidget*> out;
        GList* list = gtk_container_get_children(GTK_CONTAINER(container));
        for (GList* it = list; it; it = it->next)
            out.push_back(GTK_WIDGET(it->data));
        g_list_free(list);
        return out;
    }
    static void ExpectPacking(GtkWidget* box, GtkWidget* child, bool expand, bool fill, const char* what)
    {
        gboolean e = FALSE;
        gboolean f = FALSE;
        gtk_box_query_child_packing(GTK_BOX(box), child, &e, &f, nullptr, nullptr);
        EXPECT_EQ(e != FALSE, expand) << what;
        EXPECT_EQ(f != FALSE, fill) << what;
    }
    void ChooseMenuItem(MenuId menu, size_t index)
    {
        CMenuBarPlus& bar = wnd->MenuBar();
        GtkWidget* popup = gtk_menu_item_get_submenu(GTK_MENU_ITEM(bar.TopItem(menu)));
        gui_events::Click(bar.TopItem(menu));
        ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_get_mapped(popup) != FALSE; }));
        gui_wait::Settle();
        GtkWidget* item = bar.Item(menu, index);
        gui_events::MovePointerTo(item, 20, item->allocation.height / 2);
        gui_wait::Settle();
        gui_events::Click(item);
        ASSERT_TRUE(gui_wait::Until([&] { return !gtk_widget_get_mapped(popup); }));
        gui_wait::Settle();
    }

    RecordingOperationDialogs dialogs;
    RecordingHelpProcesses help;
    CMainWnd* wnd = nullptr;
};

TEST_F(MainWindowBarsGuiTest, MenuToolSideAndStatusBarsArePackedInOrder)
{
    GtkWidget* outer = gtk_bin_get_child(GTK_BIN(wnd->GetWindow()));
    const std::vector<GtkWidget*> rows = Children(outer);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], wnd->MenuBar().GetMenuBarWidgetInterface());
    EXPECT_EQ(rows[1], wnd->ToolBar().GetToolBarPlusWidget());
    ExpectPacking(outer, rows[0], false, false, "menu bar");
    ExpectPacking(outer, rows[1], false, false, "tool bar");
    ExpectPacking(outer, rows[2], true, true, "middle");
    ExpectPacking(outer, rows[3], false, true, "status bar");

    const std::vector<GtkWidget*> middle = Children(rows[2]);
    ASSERT_EQ(middle.size(), 2u) << "side bar and start page only: no explorer";
    EXPECT_EQ(middle[0], wnd->SideBar().GetWidget());
    EXPECT_EQ(middle[1], wnd->StartPage());
    ExpectPacking(rows[2], middle[0], false, true, "side bar");
    ExpectPacking(rows[2], middle[1], true, true, "start page");

    // On screen: the menu bar above the tool bar, the side bar left of the start page.
    EXPECT_LT(rows[0]->allocation.y, rows[1]->allocation.y);
    EXPECT_LT(wnd->SideBar().GetWidget()->allocation.x, wnd->StartPage()->allocation.x);
    EXPECT_TRUE(gtk_widget_get_mapped(wnd->MenuBar().GetMenuBarWidget()));
    EXPECT_TRUE(gtk_widget_get_mapped(wnd->SideBar().GetWidget()));
}

TEST_F(MainWindowBarsGuiTest, ViewMenuHidesAndShowsTheToolBarAndTheSideBar)
{
    GtkWidget* toolbar = wnd->ToolBar().GetToolBarPlusWidget();
    GtkWidget* sidebar = wnd->SideBar().GetWidget();
    const int pageWidth = wnd->StartPage()->allocation.width;

    ChooseMenuItem(kMenuView, 0);
    EXPECT_FALSE(gtk_widget_get_visible(toolbar));
    ChooseMenuItem(kMenuView, 0);
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_get_mapped(toolbar) != FALSE; }));

    ChooseMenuItem(kMenuView, 1);
    EXPECT_FALSE(gtk_widget_get_visible(sidebar));
    ASSERT_TRUE(gui_wait::Until([&] { return wnd->StartPage()->allocation.width > pageWidth; }))
        << "the start page fills the freed width";
    ChooseMenuItem(kMenuView, 1);
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_get_mapped(sidebar) != FALSE; }));
    ASSERT_TRUE(gui_wait::Until([&] { return wnd->StartPage()->allocation.width == pageWidth; }));
    EXPECT_TRUE(dialogs.steps.empty());
}

TEST_F(MainWindowBarsGuiTest, MenuItemsWriteTheStatusBarAndEveryStartReachesTheLauncher)
{
    CMenuBarPlus& bar = wnd->MenuBar();
    GtkWidget* popup = gtk_menu_item_get_submenu(GTK_MENU_ITEM(bar.TopItem(kMenuOperation)));
    gui_events::Click(bar.TopItem(kMenuOperation));
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_get_mapped(popup) != FALSE; }));
    GtkWidget* restore = bar.Item(kMenuOperation, 1);
    gui_events::MovePointerTo(restore, 20, restore->allocation.height / 2);
    ASSERT_TRUE(gui_wait::Until([&] { return std::string(wnd->GetStatusText()) == "Restore a partition or a disk"; }))
        << wnd->GetStatusText();
    gui_events::TapKey(GDK_Escape);
    ASSERT_TRUE(gui_wait::Until([&] { return !gtk_widget_get_mapped(popup); }));

    ChooseMenuItem(kMenuOperation, 2);                             // menu clone
    gui_events::Click(wnd->SideBar().OperationsPanel().GetItem(kRowRestore)); // side bar restore
    ASSERT_TRUE(gui_wait::Until([&] { return dialogs.steps.size() >= 4; }));
    GtkWidget* check = wnd->SideBar().OperationsPanel().GetItem(kRowCheck);
    gtk_widget_grab_focus(check);
    ASSERT_TRUE(gui_wait::Until([&] { return gtk_widget_has_focus(check) != FALSE; }));
    gui_events::TapKey(GDK_Return);                                // Enter on check image
    ASSERT_TRUE(gui_wait::Until([&] { return dialogs.steps.size() >= 5; }));
    gui_wait::Settle();
    EXPECT_EQ(dialogs.steps, (std::vector<std::string>{"scan", "clone", "scan", "restore", "check"}));
    for (GtkWidget* parent : dialogs.parents)
        EXPECT_EQ(parent, wnd->GetWindow());
}

} // namespace
