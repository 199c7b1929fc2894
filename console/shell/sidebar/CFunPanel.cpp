#include "CFunPanel.h"

#include "ResPicture.h"
#include "SideBarColours.h"

namespace {

constexpr int kBodyWidth = 200;
constexpr int kPanelPadding = 6;
constexpr int kFooterRowHeight = 39;

void PanelSetCursor(GtkWidget* widget, GdkCursorType type)
{
    if (!widget->window)
        return;
    GdkCursor* cursor = gdk_cursor_new(type);
    gdk_window_set_cursor(widget->window, cursor);
    gdk_cursor_unref(cursor);
}

int RequestedHeight(GtkWidget* widget)
{
    gint height = 0;
    gtk_widget_get_size_request(widget, nullptr, &height);
    return height;
}

} // namespace

CFunPanel::CFunPanel()
{
    const GdkColor green = PanelGreen();
    m_head = gtk_drawing_area_new();
    gtk_widget_set_size_request(m_head, kHeadWidth, kHeadHeight);
    gtk_widget_modify_bg(m_head, GTK_STATE_NORMAL, &green);
    gtk_widget_set_can_focus(m_head, TRUE);
    gtk_widget_add_events(m_head, GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK | GDK_BUTTON_PRESS_MASK |
                                      GDK_BUTTON_RELEASE_MASK | GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK);
    g_signal_connect(m_head, "expose-event", G_CALLBACK(OnHeadExpose), this);
    g_signal_connect(m_head, "enter-notify-event", G_CALLBACK(OnHeadEnter), this);
    g_signal_connect(m_head, "leave-notify-event", G_CALLBACK(OnHeadLeave), this);
    g_signal_connect(m_head, "button-press-event", G_CALLBACK(OnHeadPress), this);
    g_signal_connect(m_head, "button-release-event", G_CALLBACK(OnHeadRelease), this);
    g_signal_connect(m_head, "focus-in-event", G_CALLBACK(OnHeadFocusIn), this);
    g_signal_connect(m_head, "focus-out-event", G_CALLBACK(OnHeadFocusOut), this);
    g_signal_connect(m_head, "key-press-event", G_CALLBACK(OnHeadKeyPress), this);
    g_signal_connect(m_head, "key-release-event", G_CALLBACK(OnHeadKeyRelease), this);

    m_body = gtk_event_box_new();
    gtk_widget_set_size_request(m_body, kBodyWidth, 0);
    gtk_widget_modify_bg(m_body, GTK_STATE_NORMAL, &green);
    g_signal_connect(m_body, "expose-event", G_CALLBACK(OnBodyExpose), this);
    g_signal_connect(m_body, "show", G_CALLBACK(OnBodyShow), this);
    m_bodyBox = gtk_vbox_new(FALSE, 0);
    gtk_container_set_border_width(GTK_CONTAINER(m_bodyBox), 0);
    gtk_container_add(GTK_CONTAINER(m_body), m_bodyBox);

    m_frame = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(m_frame), GTK_SHADOW_NONE);
    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_head, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_body, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(m_frame), column);
    m_outerBox = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_outerBox), m_frame, FALSE, FALSE, kPanelPadding);
    g_object_add_weak_pointer(G_OBJECT(m_outerBox), reinterpret_cast<gpointer*>(&m_outerBox));
}

CFunPanel::~CFunPanel()
{
    if (m_timer)
        g_source_remove(m_timer);
    // Rows first: they take their handlers off their own widgets.
    for (CItem* item : m_items)
        delete item;
    if (m_outerBox) {
        for (GtkWidget* widget : {m_head, m_body})
            g_signal_handlers_disconnect_matched(widget, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        g_object_remove_weak_pointer(G_OBJECT(m_outerBox), reinterpret_cast<gpointer*>(&m_outerBox));
    }
}

void CFunPanel::SetHead(const char* en, const char* cn, const char* eh, const char* ch, const char* ep,
                        const char* cp)
{
    const char* paths[6] = {en, cn, eh, ch, ep, cp};
    for (int i = 0; i < 6; ++i)
        m_heads[i] = paths[i] ? paths[i] : "";
}

void CFunPanel::SetFooter(const char* path)
{
    m_footer = path ? path : "";
}

int CFunPanel::AddItem(const char* normal, const char* hover, const char* pressed, const char* disabled,
                       bool disabledAtStart)
{
    const int n = RowCount();
    const PanelGrowth growth = GrowPanelForRow(m_fold.Height(), RequestedHeight(m_body), n);
    if (growth.height != m_fold.Height())
        gtk_widget_set_size_request(m_body, kBodyWidth, growth.requested);
    m_fold.SetHeight(growth.height);
    CItem* item = new CItem(n, normal, hover, pressed, disabled, disabledAtStart);
    gtk_box_pack_start(GTK_BOX(m_bodyBox), *item, FALSE, FALSE, 0);
    m_items.push_back(item);
    return n;
}

GtkWidget* CFunPanel::GetItem(int index) const
{
    CItem* item = Row(index);
    return item ? item->GetWidget() : nullptr;
}

CItem* CFunPanel::Row(int index) const
{
    return index >= 0 && index < RowCount() ? m_items[static_cast<size_t>(index)] : nullptr;
}

void CFunPanel::SetTitle(const char* text)
{
    if (text)
        m_title += text;
}

void CFunPanel::SetHeight(int height)
{
    m_fold.SetHeight(height);
    gtk_widget_set_size_request(m_body, kBodyWidth, height);
}

void CFunPanel::Expand()
{
    if (!m_expanded)
        StartFold();
}

void CFunPanel::Collapse()
{
    if (m_expanded)
        StartFold();
}

void CFunPanel::ShowItem(int index)
{
    if (CItem* item = Row(index))
        gtk_widget_show(*item);
}

void CFunPanel::HideItem(int index)
{
    if (CItem* item = Row(index))
        gtk_widget_hide(*item);
}

void CFunPanel::Show()
{
    if (m_outerBox)
        gtk_widget_show_all(m_outerBox);
}

void CFunPanel::EnableItem(int index)
{
    if (CItem* item = Row(index))
        item->SetEnable(true);
}

void CFunPanel::DisableItem(int index)
{
    if (CItem* item = Row(index))
        item->SetEnable(false);
}

void CFunPanel::EnableAllItem()
{
    for (CItem* item : m_items)
        item->SetEnable(true);
}

void CFunPanel::PopItem()
{
    if (m_items.empty())
        return;
    CItem* item = m_items.back();
    m_items.pop_back();
    GtkWidget* box = *item;
    delete item;
    gtk_widget_destroy(box);
}

void CFunPanel::SetPending()
{
    m_pending = true;
}

void CFunPanel::SetRowsSensitive(bool sensitive)
{
    // Disabled rows keep their own state whatever the fold does.
    for (CItem* item : m_items)
        if (!item->IsDisable())
            gtk_widget_set_sensitive(item->GetWidget(), sensitive ? TRUE : FALSE);
}

void CFunPanel::StartFold()
{
    if (!m_fold.Start(!m_expanded))
        return;
    SetRowsSensitive(false);
    m_expanded = !m_expanded;
    m_timer = g_timeout_add(kFoldIntervalMs, OnFoldTick, this);
}

bool CFunPanel::FoldTickOnce()
{
    const FoldTick tick = m_fold.Tick();
    if (tick.showBody)
        gtk_widget_show(m_body);
    if (tick.goOn) {
        gtk_widget_set_size_request(m_body, m_body->allocation.width, tick.height);
        m_alpha = tick.alpha;
        for (CItem* item : m_items) {
            item->SetAlpha(m_alpha);
            gtk_widget_queue_draw(item->GetWidget());
        }
    } else if (tick.hideBody) {
        gtk_widget_hide(m_body);
        SetRowsSensitive(true);
    } else {
        SetRowsSensitive(true);
        gint width = 0;
        gtk_widget_get_size_request(m_body, &width, nullptr);
        gtk_widget_set_size_request(m_body, width, tick.height);
    }
    if (m_observer)
        m_observer(tick);
    return tick.goOn;
}

gboolean CFunPanel::OnFoldTick(gpointer self)
{
    CFunPanel* panel = static_cast<CFunPanel*>(self);
    // A window closed in the middle of a fold takes the body with it.
    if (panel->m_outerBox && panel->FoldTickOnce())
        return TRUE;
    panel->m_timer = 0;
    return FALSE;
}

bool CFunPanel::PointerOverHead() const
{
    if (!m_head->window)
        return false;
    int x = 0;
    int y = 0;
    gdk_window_get_pointer(m_head->window, &x, &y, nullptr);
    return x >= 0 && y >= 0 && x < m_head->allocation.width && y < m_head->allocation.height;
}

void CFunPanel::SetHeadBg(int state)
{
    m_headState = state;
    m_shownHead = m_heads[HeadPictureIndex(state, m_expanded)];
    if (!m_head->window || !gtk_widget_is_drawable(m_head))
        return;
    cairo_t* cr = gdk_cairo_create(m_head->window);
    PaintResPicture(cr, m_shownHead.c_str(), 0, 0);
    if (gtk_widget_has_focus(m_head)) {
        const double dash = 1.0;
        cairo_set_dash(cr, &dash, 1, 0);
        cairo_set_line_width(cr, 0.8);
        cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        cairo_rectangle(cr, 3, 2, m_head->allocation.width - 6, m_head->allocation.height - 4);
        cairo_stroke(cr);
    }
    cairo_destroy(cr);
}

void CFunPanel::Apply(const HeadReaction& reaction)
{
    if (reaction.grabFocus)
        gtk_widget_grab_focus(m_head);
    if (reaction.fold)
        StartFold();
    if (reaction.redraw)
        SetHeadBg(reaction.state);
}

gboolean CFunPanel::OnHeadExpose(GtkWidget*, GdkEventExpose*, gpointer self)
{
    static_cast<CFunPanel*>(self)->SetHeadBg(kHeadNormal);
    return TRUE;
}

gboolean CFunPanel::OnHeadEnter(GtkWidget* head, GdkEventCrossing*, gpointer self)
{
    CFunPanel* panel = static_cast<CFunPanel*>(self);
    panel->SetHeadBg(kHeadReleased);
    panel->SetHeadBg(kHeadNormal);
    PanelSetCursor(head, GDK_HAND2);
    return FALSE;
}

gboolean CFunPanel::OnHeadLeave(GtkWidget* head, GdkEventCrossing*, gpointer self)
{
    CFunPanel* panel = static_cast<CFunPanel*>(self);
    if (panel->m_headMachine.Held())
        return FALSE;
    panel->SetHeadBg(kHeadNormal);
    PanelSetCursor(head, GDK_LEFT_PTR);
    return FALSE;
}

gboolean CFunPanel::OnHeadPress(GtkWidget*, GdkEventButton*, gpointer self)
{
    CFunPanel* panel = static_cast<CFunPanel*>(self);
    panel->Apply(panel->m_headMachine.OnButtonPress());
    return FALSE;
}

gboolean CFunPanel::OnHeadRelease(GtkWidget*, GdkEventButton*, gpointer self)
{
    CFunPanel* panel = static_cast<CFunPanel*>(self);
    panel->Apply(panel->m_headMachine.OnButtonRelease(panel->PointerOverHead()));
    return FALSE;
}

gboolean CFunPanel::OnHeadFocusIn(GtkWidget*, GdkEventFocus*, gpointer self)
{
    static_cast<CFunPanel*>(self)->SetHeadBg(kHeadNormal);
    return FALSE;
}

gboolean CFunPanel::OnHeadFocusOut(GtkWidget* head, GdkEventFocus*, gpointer)
{
    gtk_widget_queue_draw(head);
    return FALSE;
}

gboolean CFunPanel::OnHeadKeyPress(GtkWidget*, GdkEventKey* event, gpointer self)
{
    CFunPanel* panel = static_cast<CFunPanel*>(self);
    const HeadReaction reaction = panel->m_headMachine.OnKeyPress(event->keyval);
    panel->Apply(reaction);
    return reaction.handled ? TRUE : FALSE;
}

gboolean CFunPanel::OnHeadKeyRelease(GtkWidget*, GdkEventKey*, gpointer self)
{
    CFunPanel* panel = static_cast<CFunPanel*>(self);
    const HeadReaction reaction = panel->m_headMachine.OnKeyRelease();
    panel->Apply(reaction);
    return reaction.handled ? TRUE : FALSE;
}

gboolean CFunPanel::OnBodyExpose(GtkWidget* body, GdkEventExpose* event, gpointer self)
{
    CFunPanel* panel = static_cast<CFunPanel*>(self);
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(body))->expose_event(body, event);
    cairo_t* cr = gdk_cairo_create(body->window);
    PaintResPicture(cr, panel->m_footer.c_str(), 0, kFooterRowHeight * panel->RowCount());
    cairo_destroy(cr);
    return TRUE;
}

void CFunPanel::OnBodyShow(GtkWidget* body, gpointer)
{
    gint width = 0;
    gint height = 0;
    gtk_widget_get_size_request(body, &width, &height);
    gtk_widget_set_size_request(body, width, height + FoldAnimation::kFooterHeight);
}
