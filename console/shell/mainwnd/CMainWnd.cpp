#include "CMainWnd.h"

#include "CHelpViewerLauncher.h"
#include "COperationLauncher.h"
#include "DrawPrimitives.h"
#include "ResPicture.h"
#include "StartPageLayout.h"

CMainWnd::CMainWnd()
    : m_backupButton("../res/backup_normal.png", "../res/backup_hover.png", "../res/backup_click.png",
                     "../res/backup_disable.png"),
      m_restoreButton("../res/restore_normal.png", "../res/restore_hover.png", "../res/restore_click.png",
                      "../res/restore_click.png"),
      m_cloneButton("../res/clone_normal.png", "../res/clone_hover.png", "../res/clone_click.png",
                    "../res/clone_click.png")
{
    InitMainWnd();
    InitMainSroWnd();

    GtkWidget* middle = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(middle), m_sideBar, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(middle), m_startPageBox, TRUE, TRUE, 0);

    InitStateBar();
    GtkWidget* outer = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(outer), m_menuBar.GetMenuBarWidgetInterface(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(outer), m_toolBar.GetToolBarPlusWidget(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(outer), middle, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(outer), m_statusBar, FALSE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(m_window), outer);

    m_toolBar.SetParentWnd(m_window);
    m_toolBar.SetMainWndController(this);
    m_menuBar.SetParentWnd(m_window);
    m_menuBar.SetMainWndController(this);
}

CMainWnd::~CMainWnd()
{
    // The console keeps its window for the whole run; tests build and drop several.
    if (m_window) {
        g_signal_handlers_disconnect_matched(m_window, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        GtkWidget* window = m_window;
        g_object_remove_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&m_window));
        m_window = nullptr;
        gtk_widget_destroy(window);
    }
}

void CMainWnd::InitMainWnd()
{
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_add_weak_pointer(G_OBJECT(m_window), reinterpret_cast<gpointer*>(&m_window));
    GtkWindow* window = GTK_WINDOW(m_window);
    if (GdkPixbuf* icon = gdk_pixbuf_new_from_file("../res/main16.ico", nullptr)) {
        gtk_window_set_icon(window, icon);
        g_object_unref(icon);
    }
    gtk_window_set_title(window, kTitle);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    gtk_window_set_default_size(window, kDefaultWidth, kDefaultHeight);
    const GdkColor white = {0, 0xFFFF, 0xFFFF, 0xFFFF};
    gtk_widget_modify_bg(m_window, GTK_STATE_NORMAL, &white);
    m_sideBar.SetParent(m_window);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(OnWndDestroyed), this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(OnKeyPress), this);
}

void CMainWnd::InitMainSroWnd()
{
    m_startPageBox = gtk_event_box_new();
    const GdkColor white = {0, 0xFFFF, 0xFFFF, 0xFFFF};
    gtk_widget_modify_bg(m_startPageBox, GTK_STATE_NORMAL, &white);
    m_startPageVbox = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(m_startPageBox), m_startPageVbox);
    g_signal_connect(m_startPageVbox, "expose-event", G_CALLBACK(MainVboxExposeEventCallBack), this);

    GtkWidget* rows[kStartCount];
    CToolBarButton* buttons[kStartCount] = {&m_backupButton, &m_restoreButton, &m_cloneButton};
    for (int i = 0; i < kStartCount; ++i) {
        // The pictures' rounded corners show the page's white, not the toolkit's grey.
        gtk_widget_modify_bg(buttons[i]->GetBtnWidget(), GTK_STATE_NORMAL, &white);
        rows[i] = gtk_hbox_new(FALSE, 0);
        gtk_box_pack_start(GTK_BOX(rows[i]), buttons[i]->GetBtnWidget(), FALSE, FALSE, 24);
    }
    GtkWidget* top = gtk_hbox_new(FALSE, 0);
    gtk_widget_set_size_request(top, -1, 130);
    gtk_box_pack_start(GTK_BOX(m_startPageVbox), top, FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_startPageVbox), rows[kStartBackup], FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_startPageVbox), rows[kStartRestore], FALSE, TRUE, 10);
    gtk_box_pack_start(GTK_BOX(m_startPageVbox), rows[kStartClone], FALSE, TRUE, 0);
    GtkWidget* bottom = gtk_hbox_new(FALSE, 0);
    gtk_widget_set_size_request(bottom, -1, 35);
    gtk_box_pack_end(GTK_BOX(m_startPageVbox), bottom, FALSE, TRUE, 0);

    // After the buttons' own handlers: only completed clicks arrive here.
    g_signal_connect(m_restoreButton.GetBtnWidget(), "button_release_event", G_CALLBACK(OnRecoveryBtnRelease),
                     this);
    g_signal_connect(m_cloneButton.GetBtnWidget(), "button_release_event", G_CALLBACK(OnCloneBtnRelease), this);
}

void CMainWnd::InitStateBar()
{
    m_statusBar = gtk_event_box_new();
    const GdkColor background = {0, 0xE6E6, 0xEAEA, 0xDCDC};
    gtk_widget_modify_bg(m_statusBar, GTK_STATE_NORMAL, &background);
    GtkWidget* box = gtk_hbox_new(FALSE, 0);
    gtk_widget_set_size_request(box, -1, 22);
    m_statusLabel = gtk_label_new(" ");
    gtk_misc_set_alignment(GTK_MISC(m_statusLabel), 0.0f, 0.8f);
    gtk_box_pack_start(GTK_BOX(box), m_statusLabel, FALSE, FALSE, 10);
    gtk_container_add(GTK_CONTAINER(m_statusBar), box);
    g_signal_connect(m_statusBar, "expose-event", G_CALLBACK(StateBarExposeEventCallBack), this);
}

void CMainWnd::ShowWnd()
{
    if (m_window)
        gtk_widget_show_all(m_window);
}

void CMainWnd::SetToolBarStatus(int show)
{
    GtkWidget* toolbar = m_toolBar.GetToolBarPlusWidget();
    if (show)
        gtk_widget_show(toolbar);
    else
        gtk_widget_hide(toolbar);
}

void CMainWnd::SetSideBarStatus(int show)
{
    GtkWidget* sideBar = m_sideBar;
    if (show)
        gtk_widget_show(sideBar);
    else
        gtk_widget_hide(sideBar);
}

void CMainWnd::SetMainWindowStatusText(const char* text)
{
    gtk_label_set_text(GTK_LABEL(m_statusLabel), text ? text : "");
}

const char* CMainWnd::GetStatusText() const
{
    return gtk_label_get_text(GTK_LABEL(m_statusLabel));
}

CToolBarButton& CMainWnd::StartPageButton(StartPageButtonId id)
{
    switch (id) {
    case kStartRestore:
        return m_restoreButton;
    case kStartClone:
        return m_cloneButton;
    default:
        return m_backupButton;
    }
}

gboolean CMainWnd::OnWndDestroyed(GtkWidget* widget, GdkEvent*, gpointer)
{
    gtk_widget_destroy(widget);
    if (gtk_main_level() > 0)
        gtk_main_quit();
    return FALSE;
}

gboolean CMainWnd::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer)
{
    if (event->keyval == kHelpKey)
        StartHelpViewer(kHelpTopic);
    return FALSE; // the key goes on to the focused widget
}

gboolean CMainWnd::OnRecoveryBtnRelease(GtkWidget*, GdkEventButton*, gpointer self)
{
    COperationLauncher::Instance().StartRestore(static_cast<CMainWnd*>(self)->m_window);
    return FALSE;
}

gboolean CMainWnd::OnCloneBtnRelease(GtkWidget*, GdkEventButton*, gpointer self)
{
    COperationLauncher::Instance().StartClone(static_cast<CMainWnd*>(self)->m_window);
    return FALSE;
}

gboolean CMainWnd::MainVboxExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer)
{
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(widget))->expose_event(widget, event);
    const GtkAllocation& a = widget->allocation;
    PicturePlace places[3];
    StartPagePictures(a.x, a.y, a.width, a.height, places);
    cairo_t* cr = gdk_cairo_create(widget->window);
    for (const PicturePlace& place : places)
        PaintResPicture(cr, place.path, place.x, place.y);
    cairo_destroy(cr);
    return TRUE;
}

gboolean CMainWnd::StateBarExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer)
{
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(widget))->expose_event(widget, event);
    struct Line {
        int red, green, blue;
    };
    static const Line lines[] = {
        {0x5757, 0x5757, 0x5757}, {0xBEBE, 0xC0C0, 0xB5B5}, {0xCDCD, 0xD1D1, 0xC3C3}, {0xDEDE, 0xE2E2, 0xD3D3}};
    GdkGC* gc = gdk_gc_new(widget->window);
    const int width = widget->allocation.width;
    for (int y = 0; y < 4; ++y)
        DrawLine(widget->window, gc, lines[y].red, lines[y].green, lines[y].blue, 0, y, width, y);
    g_object_unref(gc);
    return TRUE;
}
