// The main window's menu bar: Operation, View, Tool and Help menus on a drawn strip,
// a picture button at the right end and a two-line separator under it. Selecting an
// item shows its description in the status bar; activating it starts an operation
// through the shared launcher, shows or hides a bar, opens help or the About box,
// or ends the program. The items are described in MenuBarItems.
#pragma once

#include "CToolBarButton.h"
#include "IAboutBox.h"
#include "IMainWndController.h"
#include "MenuBarItems.h"
#include "SchemeInfo.h"

#include <gtk/gtk.h>

#include <memory>
#include <vector>

class CMenuBarPlus {
public:
    CMenuBarPlus();
    ~CMenuBarPlus();
    CMenuBarPlus(const CMenuBarPlus&) = delete;
    CMenuBarPlus& operator=(const CMenuBarPlus&) = delete;

    // The outer box the main window packs.
    GtkWidget* GetMenuBarWidgetInterface() const { return m_outerBox; }
    GtkWidget* GetMenuBarWidget() const { return m_menuBar; }
    void SetParentWnd(GtkWidget* parent) { m_parent = parent; }
    void SetMainWndController(IMainWndController* controller) { m_controller = controller; }
    void SetToolMenu(int active);
    void SetSideMenu(int active);
    // Partition schemes do not change the menu bar.
    void SetPartitionSchemeName(tagSCHEME_INFO info);

    // The top item of a menu, and the widget of item i of that menu (separators count).
    GtkWidget* TopItem(MenuId menu) const { return m_topItems[menu]; }
    GtkWidget* Item(MenuId menu, size_t index) const;
    CToolBarButton& PictureButton() { return m_pictureButton; }

    // Tests replace the About box; null restores the console's own.
    void UseAboutBox(IAboutBox* about);

    static gboolean ExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean MenuBarExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    static gboolean SepboxExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self);

    static constexpr int kSeparatorHeight = 2;

private:
    // What each item's handlers are given: the menu bar and the item's row of the table.
    struct ItemBinding {
        CMenuBarPlus* bar;
        MenuId menu;
        const MenuItemEntry* entry;
    };

    void CreateMenuBar();
    void CreateOperatinMenu();
    void CreateViewMenu();
    void CreateToolMenu();
    void CreateHelpMenu();
    void CreateMenu(MenuId menu);
    void Act(const MenuItemEntry& entry, GtkWidget* item);

    static void SetMenuBarStyle(GtkWidget* menuBar);
    static void SetMenuStyle(GtkWidget* widget);
    static void OnItemActivate(GtkMenuItem* item, gpointer binding);
    static void OnItemSelect(GtkItem* item, gpointer binding);
    static void OnItemDeselect(GtkItem* item, gpointer binding);

    GtkWidget* m_rowBox = nullptr;
    GtkWidget* m_sepBox = nullptr;
    GtkWidget* m_outerBox = nullptr;
    GtkWidget* m_parent = nullptr;
    GtkWidget* m_menuBar = nullptr;
    GtkWidget* m_menus[kMenuCount] = {};
    GtkWidget* m_topItems[kMenuCount] = {};
    std::vector<GtkWidget*> m_items[kMenuCount];
    CToolBarButton m_pictureButton;
    int m_toolBarActive = 1;
    int m_sideBarActive = 1;
    IMainWndController* m_controller = nullptr;
    std::vector<std::unique_ptr<ItemBinding>> m_bindings;
    std::unique_ptr<IAboutBox> m_ownAbout;
    IAboutBox* m_about = nullptr;
};
