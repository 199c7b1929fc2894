#include "CMenuBarPlus.h"

#include "CConsoleAboutBox.h"
#include "CHelpViewerLauncher.h"
#include "COperationLauncher.h"
#include "GdkPixelPen.h"
#include "MenuStripLook.h"

namespace {

void MenuWatch(GtkWidget** slot)
{
    g_object_add_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
}

void MenuUnwatch(GtkWidget** slot)
{
    if (*slot)
        g_object_remove_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
    *slot = nullptr;
}

// Where a widget's own drawing starts on the window it draws on.
void MenuDrawOrigin(GtkWidget* widget, int* x, int* y)
{
    *x = gtk_widget_get_has_window(widget) ? 0 : widget->allocation.x;
    *y = gtk_widget_get_has_window(widget) ? 0 : widget->allocation.y;
}

gboolean DrawMenuStrip(GtkWidget* widget, GdkEventExpose* event, bool filled)
{
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(widget))->expose_event(widget, event);
    int x = 0;
    int y = 0;
    MenuDrawOrigin(widget, &x, &y);
    GdkGC* gc = gdk_gc_new(widget->window);
    GdkPixelPen pen(gc, widget->window);
    DrawMenuStripWith(pen, x, y, widget->allocation.width, widget->allocation.height, filled);
    g_object_unref(gc);
    return TRUE;
}

} // namespace

CMenuBarPlus::CMenuBarPlus()
    : m_pictureButton("../res/web-address-normal.png", "../res/web-address-hover.png",
                      "../res/web-address-click.png", "../res/web-address-normal.png"),
      m_ownAbout(new CConsoleAboutBox())
{
    m_about = m_ownAbout.get();
    m_rowBox = gtk_hbox_new(FALSE, 0);
    m_sepBox = gtk_event_box_new();
    gtk_widget_set_size_request(m_sepBox, -1, kSeparatorHeight);
    m_outerBox = gtk_vbox_new(FALSE, 0);
    MenuWatch(&m_rowBox);
    MenuWatch(&m_sepBox);
    MenuWatch(&m_outerBox);

    CreateMenuBar();

    GtkWidget* buttonBox = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_end(GTK_BOX(buttonBox), m_pictureButton.GetBtnWidget(), FALSE, TRUE, 10);
    gtk_box_pack_end(GTK_BOX(m_rowBox), buttonBox, FALSE, TRUE, 5);
    gtk_box_pack_start(GTK_BOX(m_rowBox), m_menuBar, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_outerBox), m_rowBox, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_outerBox), m_sepBox, FALSE, TRUE, 0);

    g_signal_connect(m_rowBox, "expose-event", G_CALLBACK(ExposeEventCallBack), this);
    g_signal_connect(m_menuBar, "expose-event", G_CALLBACK(MenuBarExposeEventCallBack), this);
    g_signal_connect(m_sepBox, "expose-event", G_CALLBACK(SepboxExposeEventCallBack), this);
}

CMenuBarPlus::~CMenuBarPlus()
{
    // The widgets belong to the window's tree, which may outlive this object: no
    // handler may call back into it afterwards.
    if (m_menuBar) {
        for (const auto& binding : m_bindings) {
            GtkWidget* item = Item(binding->menu, static_cast<size_t>(binding->entry - MenuBarMenu(binding->menu).items));
            if (item)
                g_signal_handlers_disconnect_matched(item, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr,
                                                     binding.get());
        }
        g_signal_handlers_disconnect_matched(m_menuBar, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
    }
    for (GtkWidget* widget : {m_rowBox, m_sepBox})
        if (widget)
            g_signal_handlers_disconnect_matched(widget, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
    MenuUnwatch(&m_menuBar);
    MenuUnwatch(&m_rowBox);
    MenuUnwatch(&m_sepBox);
    MenuUnwatch(&m_outerBox);
}

void CMenuBarPlus::CreateMenuBar()
{
    CreateOperatinMenu();
    CreateViewMenu();
    CreateToolMenu();
    CreateHelpMenu();
    m_menuBar = gtk_menu_bar_new();
    MenuWatch(&m_menuBar);
    SetMenuBarStyle(m_menuBar);
    for (int menu = 0; menu < kMenuCount; ++menu) {
        m_topItems[menu] = gtk_menu_item_new_with_mnemonic(MenuBarMenu(static_cast<MenuId>(menu)).label);
        SetMenuStyle(m_topItems[menu]);
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(m_topItems[menu]), m_menus[menu]);
        gtk_menu_shell_append(GTK_MENU_SHELL(m_menuBar), m_topItems[menu]);
    }
}

void CMenuBarPlus::CreateOperatinMenu() { CreateMenu(kMenuOperation); }
void CMenuBarPlus::CreateViewMenu() { CreateMenu(kMenuView); }
void CMenuBarPlus::CreateToolMenu() { CreateMenu(kMenuTool); }
void CMenuBarPlus::CreateHelpMenu() { CreateMenu(kMenuHelp); }

void CMenuBarPlus::CreateMenu(MenuId menu)
{
    m_menus[menu] = gtk_menu_new();
    SetMenuStyle(m_menus[menu]);
    const MenuEntry& entry = MenuBarMenu(menu);
    for (size_t i = 0; i < entry.count; ++i) {
        const MenuItemEntry& row = entry.items[i];
        GtkWidget* item = nullptr;
        if (row.kind == MenuItemKind::Separator) {
            item = gtk_separator_menu_item_new();
        } else {
            item = row.kind == MenuItemKind::Check ? gtk_check_menu_item_new_with_mnemonic(row.label)
                                                   : gtk_menu_item_new_with_mnemonic(row.label);
            SetMenuStyle(item);
            if (row.kind == MenuItemKind::Check)
                gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), row.active ? TRUE : FALSE);
            m_bindings.emplace_back(new ItemBinding{this, menu, &row});
            ItemBinding* binding = m_bindings.back().get();
            g_signal_connect(item, "activate", G_CALLBACK(OnItemActivate), binding);
            g_signal_connect(item, "select", G_CALLBACK(OnItemSelect), binding);
            g_signal_connect(item, "deselect", G_CALLBACK(OnItemDeselect), binding);
            if (!row.sensitive)
                gtk_widget_set_sensitive(item, FALSE);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(m_menus[menu]), item);
        m_items[menu].push_back(item);
    }
}

GtkWidget* CMenuBarPlus::Item(MenuId menu, size_t index) const
{
    if (menu < 0 || menu >= kMenuCount || index >= m_items[menu].size())
        return nullptr;
    return m_items[menu][index];
}

void CMenuBarPlus::SetMenuBarStyle(GtkWidget* menuBar)
{
    const GdkColor strip = {0, 0xE6E6, 0xEAEA, 0xDBDB};
    gtk_widget_modify_bg(menuBar, GTK_STATE_NORMAL, &strip);
}

void CMenuBarPlus::SetMenuStyle(GtkWidget* widget)
{
    const GdkColor white = {0, 0xFFFF, 0xFFFF, 0xFFFF};
    const GdkColor hover = {0, 0xCECE, 0xE3E3, 0x9494};
    gtk_widget_modify_bg(widget, GTK_STATE_NORMAL, &white);
    gtk_widget_modify_bg(widget, GTK_STATE_PRELIGHT, &hover);
}

void CMenuBarPlus::SetToolMenu(int active)
{
    m_toolBarActive = active;
    if (GtkWidget* item = Item(kMenuView, 0))
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), active ? TRUE : FALSE);
}

void CMenuBarPlus::SetSideMenu(int active)
{
    m_sideBarActive = active;
    if (GtkWidget* item = Item(kMenuView, 1))
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), active ? TRUE : FALSE);
}

void CMenuBarPlus::SetPartitionSchemeName(tagSCHEME_INFO) {}

void CMenuBarPlus::UseAboutBox(IAboutBox* about)
{
    m_about = about ? about : m_ownAbout.get();
}

void CMenuBarPlus::Act(const MenuItemEntry& entry, GtkWidget* item)
{
    switch (entry.action) {
    case MenuAction::Restore:
        COperationLauncher::Instance().StartRestore(m_parent);
        break;
    case MenuAction::Clone:
        // The shared clone start: scan first, then one wizard run that is always ended.
        COperationLauncher::Instance().StartClone(m_parent);
        break;
    case MenuAction::CheckImage:
        COperationLauncher::Instance().StartCheckImage(m_parent);
        break;
    case MenuAction::Exit:
        if (gtk_main_level() > 0)
            gtk_main_quit();
        break;
    case MenuAction::ToggleToolBar:
    case MenuAction::ToggleSideBar: {
        const int active = gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)) ? 1 : 0;
        const bool toolBar = entry.action == MenuAction::ToggleToolBar;
        (toolBar ? m_toolBarActive : m_sideBarActive) = active;
        if (m_controller) {
            if (toolBar)
                m_controller->SetToolBarStatus(active);
            else
                m_controller->SetSideBarStatus(active);
        }
        break;
    }
    case MenuAction::HelpContents:
        StartHelpViewer(kMenuHelpTopic);
        break;
    case MenuAction::About:
        m_about->Run(m_parent, kAboutTitle, kAboutWidth, kAboutHeight);
        break;
    case MenuAction::None:
        break;
    }
}

void CMenuBarPlus::OnItemActivate(GtkMenuItem* item, gpointer data)
{
    ItemBinding* binding = static_cast<ItemBinding*>(data);
    binding->bar->Act(*binding->entry, GTK_WIDGET(item));
}

void CMenuBarPlus::OnItemSelect(GtkItem*, gpointer data)
{
    ItemBinding* binding = static_cast<ItemBinding*>(data);
    if (binding->bar->m_controller)
        binding->bar->m_controller->SetMainWindowStatusText(binding->entry->status);
}

void CMenuBarPlus::OnItemDeselect(GtkItem*, gpointer data)
{
    ItemBinding* binding = static_cast<ItemBinding*>(data);
    const char* text = MenuDeselectText(binding->menu);
    if (text && binding->bar->m_controller)
        binding->bar->m_controller->SetMainWindowStatusText(text);
}

gboolean CMenuBarPlus::ExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer)
{
    return DrawMenuStrip(widget, event, true);
}

gboolean CMenuBarPlus::MenuBarExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer)
{
    return DrawMenuStrip(widget, event, false);
}

gboolean CMenuBarPlus::SepboxExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer)
{
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(widget))->expose_event(widget, event);
    int x = 0;
    int y = 0;
    MenuDrawOrigin(widget, &x, &y);
    GdkGC* gc = gdk_gc_new(widget->window);
    GdkPixelPen pen(gc, widget->window);
    DrawMenuSeparatorWith(pen, x, y, widget->allocation.width);
    g_object_unref(gc);
    return TRUE;
}
