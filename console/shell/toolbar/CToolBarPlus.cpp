#include "CToolBarPlus.h"

#include "CHelpViewerLauncher.h"
#include "COperationLauncher.h"
#include "ResPicture.h"

CToolBarPlus::CToolBarPlus()
{
    // Members in the tool bar's own order (backup first); the row order differs.
    for (int id = 0; id < kTbCount; ++id) {
        const char* op = ToolBarButtonSpecOf(static_cast<ToolBarButtonId>(id)).op;
        m_buttons[id] = new CToolBarButton(
            ToolBarPicturePath(op, "normal").c_str(), ToolBarPicturePath(op, "hover").c_str(),
            ToolBarPicturePath(op, "click").c_str(), ToolBarPicturePath(op, "disable").c_str());
    }
    m_tooltips = gtk_tooltips_new();
    g_object_ref_sink(m_tooltips);
    gtk_tooltips_enable(m_tooltips);
    gtk_tooltips_set_delay(m_tooltips, kTipDelayMs);

    m_vbox = gtk_vbox_new(FALSE, 0);
    m_hbox = gtk_hbox_new(FALSE, 0);
    m_strip = gtk_event_box_new();
    gtk_widget_set_size_request(m_strip, -1, kStripHeight);
    for (const ToolBarButtonSpec& spec : ToolBarRow())
        gtk_box_pack_start(GTK_BOX(m_hbox), m_buttons[spec.id]->GetBtnWidget(), FALSE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_vbox), m_hbox, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(m_vbox), m_strip, TRUE, TRUE, 0);
    g_signal_connect(m_hbox, "expose-event", G_CALLBACK(ExposeEventCallBack), this);
    g_signal_connect(m_strip, "expose-event", G_CALLBACK(EventBoxExposeEventCallBack), this);

    struct Handlers {
        ToolBarButtonId id;
        GCallback click;
        GCallback enter;
    };
    const Handlers handlers[] = {
        {kTbMount, G_CALLBACK(OnMount), G_CALLBACK(OnMountEnterNotifyEvent)},
        {kTbUnmount, G_CALLBACK(OnUnmount), G_CALLBACK(OnUnmountEnterNotifyEvent)},
        {kTbCheck, G_CALLBACK(OnCheck), G_CALLBACK(OnCheckEnterNotifyEvent)},
        {kTbOption, G_CALLBACK(OnOption), G_CALLBACK(OnoptEnterNotifyEvent)},
        {kTbBackup, G_CALLBACK(OnBackup), G_CALLBACK(OnbackupEnterNotifyEvent)},
        {kTbRestore, G_CALLBACK(OnRestore), G_CALLBACK(OnrestoreEnterNotifyEvent)},
        {kTbClone, G_CALLBACK(OnClone), G_CALLBACK(OncloneEnterNotifyEvent)},
        {kTbHelp, G_CALLBACK(OnHelp), G_CALLBACK(OnhelpEnterNotifyEvent)},
    };
    // After the buttons' own handlers, so that a click handler runs only for the
    // releases a button passes on.
    for (const Handlers& h : handlers)
        g_signal_connect(m_buttons[h.id]->GetBtnWidget(), "button-release-event", h.click, this);
    for (const Handlers& h : handlers)
        gtk_widget_set_events(m_buttons[h.id]->GetBtnWidget(), GDK_ENTER_NOTIFY_MASK);
    for (const Handlers& h : handlers)
        g_signal_connect(m_buttons[h.id]->GetBtnWidget(), "enter-notify-event", h.enter, this);
    for (const Handlers& h : handlers)
        g_signal_connect(m_buttons[h.id]->GetBtnWidget(), "leave_notify_event", G_CALLBACK(OnButtonLeave), this);
}

CToolBarPlus::~CToolBarPlus()
{
    for (int id = kTbCount - 1; id >= 0; --id) {
        if (GtkWidget* widget = m_buttons[id]->GetBtnWidget())
            g_signal_handlers_disconnect_matched(widget, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        delete m_buttons[id];
    }
    g_object_unref(m_tooltips);
}

void CToolBarPlus::AddToolTip(GtkWidget* widget, const char* tip)
{
    gtk_tooltips_enable(m_tooltips);
    gtk_tooltips_set_delay(m_tooltips, kAddedTipDelayMs);
    gtk_tooltips_set_tip(m_tooltips, widget, tip, nullptr);
}

gboolean CToolBarPlus::ShowTip(ToolBarButtonId id, GtkWidget* widget)
{
    const char* tip = ToolBarButtonSpecOf(id).tip;
    gtk_tooltips_enable(m_tooltips);
    gtk_tooltips_set_delay(m_tooltips, kTipDelayMs);
    gtk_tooltips_set_tip(m_tooltips, widget, tip, nullptr);
    if (m_controller)
        m_controller->SetMainWindowStatusText(tip);
    return FALSE;
}

void CToolBarPlus::Act(ToolBarAction action)
{
    switch (action) {
    case ToolBarAction::None:
        break;
    case ToolBarAction::CheckImage:
        COperationLauncher::Instance().StartCheckImage(m_parent);
        break;
    case ToolBarAction::Restore:
        COperationLauncher::Instance().StartRestore(m_parent);
        break;
    case ToolBarAction::Clone:
        COperationLauncher::Instance().StartClone(m_parent);
        break;
    case ToolBarAction::Help:
        StartHelpViewer(kToolBarHelpTopic);
        break;
    }
}

#define RVD_TOOLBAR_CLICK(Handler, Id)                                                                           \
    gboolean CToolBarPlus::Handler(GtkWidget*, GdkEventButton*, gpointer self)                                   \
    {                                                                                                            \
        static_cast<CToolBarPlus*>(self)->Act(ToolBarButtonSpecOf(Id).action);                                   \
        return FALSE;                                                                                            \
    }
RVD_TOOLBAR_CLICK(OnMount, kTbMount)
RVD_TOOLBAR_CLICK(OnUnmount, kTbUnmount)
RVD_TOOLBAR_CLICK(OnCheck, kTbCheck)
RVD_TOOLBAR_CLICK(OnOption, kTbOption)
RVD_TOOLBAR_CLICK(OnBackup, kTbBackup)
RVD_TOOLBAR_CLICK(OnRestore, kTbRestore)
RVD_TOOLBAR_CLICK(OnClone, kTbClone)
RVD_TOOLBAR_CLICK(OnHelp, kTbHelp)
#undef RVD_TOOLBAR_CLICK

#define RVD_TOOLBAR_ENTER(Handler, Id)                                                                           \
    gboolean CToolBarPlus::Handler(GtkWidget* widget, GdkEventCrossing*, gpointer self)                          \
    {                                                                                                            \
        return static_cast<CToolBarPlus*>(self)->ShowTip(Id, widget);                                            \
    }
RVD_TOOLBAR_ENTER(OnMountEnterNotifyEvent, kTbMount)
RVD_TOOLBAR_ENTER(OnUnmountEnterNotifyEvent, kTbUnmount)
RVD_TOOLBAR_ENTER(OnCheckEnterNotifyEvent, kTbCheck)
RVD_TOOLBAR_ENTER(OnoptEnterNotifyEvent, kTbOption)
RVD_TOOLBAR_ENTER(OnbackupEnterNotifyEvent, kTbBackup)
RVD_TOOLBAR_ENTER(OnrestoreEnterNotifyEvent, kTbRestore)
RVD_TOOLBAR_ENTER(OncloneEnterNotifyEvent, kTbClone)
RVD_TOOLBAR_ENTER(OnhelpEnterNotifyEvent, kTbHelp)
#undef RVD_TOOLBAR_ENTER

gboolean CToolBarPlus::OnButtonLeave(GtkWidget*, GdkEventCrossing*, gpointer self)
{
    CToolBarPlus* toolbar = static_cast<CToolBarPlus*>(self);
    if (toolbar->m_controller)
        toolbar->m_controller->SetMainWindowStatusText("");
    return FALSE;
}

gboolean CToolBarPlus::ExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer)
{
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(widget))->expose_event(widget, event);
    DrawDownShadow(widget);
    return TRUE;
}

void CToolBarPlus::DrawDownShadow(GtkWidget* row)
{
    if (!row->window)
        return;
    cairo_t* cr = gdk_cairo_create(row->window);
    PaintResPicture(cr, "../res/toolbarlog.png", row->allocation.x, row->allocation.y);
    cairo_destroy(cr);
}

gboolean CToolBarPlus::EventBoxExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer)
{
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(widget))->expose_event(widget, event);
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_rgb(cr, 43.0 / 255, 43.0 / 255, 43.0 / 255);
    cairo_rectangle(cr, 0, 0, widget->allocation.width, kStripHeight);
    cairo_fill(cr);
    cairo_destroy(cr);
    return TRUE;
}
