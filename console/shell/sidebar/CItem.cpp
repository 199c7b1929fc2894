#include "CItem.h"

#include "RowUserEventLog.h"
#include "SideBarColours.h"

namespace {
constexpr guint kItemLeftButton = 1;
constexpr guint kItemRightButton = 3;
constexpr guint kItemEnterKey = 0xFF0D;
} // namespace

CItem::CItem(int index, const char* normal, const char* hover, const char* pressed, const char* disabled,
             bool disabledAtStart)
    : m_pictures{normal ? normal : "", hover ? hover : "", disabled ? disabled : "", pressed ? pressed : ""},
      m_index(index)
{
    m_area = gtk_drawing_area_new();
    g_object_add_weak_pointer(G_OBJECT(m_area), reinterpret_cast<gpointer*>(&m_area));
    gtk_widget_set_size_request(m_area, kWidth, kHeight);
    const GdkColor green = PanelGreen();
    gtk_widget_modify_bg(m_area, GTK_STATE_NORMAL, &green);
    gtk_widget_modify_bg(m_area, GTK_STATE_INSENSITIVE, &green);
    gtk_widget_set_can_focus(m_area, TRUE);
    gtk_widget_add_events(m_area, GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK | GDK_BUTTON_PRESS_MASK |
                                      GDK_BUTTON_RELEASE_MASK | GDK_KEY_RELEASE_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(m_area, "expose-event", G_CALLBACK(OnExpose), this);
    g_signal_connect(m_area, "enter-notify-event", G_CALLBACK(OnEnter), this);
    g_signal_connect(m_area, "leave-notify-event", G_CALLBACK(OnLeave), this);
    g_signal_connect(m_area, "button-release-event", G_CALLBACK(OnButtonRelease), this);
    g_signal_connect(m_area, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(m_area, "key-release-event", G_CALLBACK(OnKeyRelease), this);
    m_box = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_box), m_area, FALSE, FALSE, 0);
    gtk_widget_show(m_box);
    if (disabledAtStart) {
        gtk_widget_set_sensitive(m_area, FALSE);
        m_disabled = true;
        m_createdDisabled = true;
    }
}

CItem::~CItem()
{
    if (m_area) {
        g_signal_handlers_disconnect_matched(m_area, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        g_object_remove_weak_pointer(G_OBJECT(m_area), reinterpret_cast<gpointer*>(&m_area));
    }
}

void CItem::SetAlpha(double alpha)
{
    m_alpha = alpha;
}

void CItem::SetEnable(bool enable)
{
    m_disabled = !enable;
    if (m_area)
        gtk_widget_set_sensitive(m_area, enable ? TRUE : FALSE);
}

bool CItem::PointerOver() const
{
    if (!m_area || !m_area->window)
        return false;
    int x = 0;
    int y = 0;
    gdk_window_get_pointer(m_area->window, &x, &y, nullptr);
    return x >= 0 && y >= 0 && x < m_area->allocation.width && y < m_area->allocation.height;
}

void CItem::SetCursor(GtkWidget* area, GdkCursorType type)
{
    if (!area->window)
        return;
    GdkCursor* cursor = gdk_cursor_new(type);
    gdk_window_set_cursor(area->window, cursor);
    gdk_cursor_unref(cursor);
}

gboolean CItem::OnExpose(GtkWidget* area, GdkEventExpose*, gpointer self)
{
    CItem* item = static_cast<CItem*>(self);
    const std::string* picture =
        ItemPictureFor(item->m_pictures, item->m_disabled, item->m_pressed, item->PointerOver() && item->m_hover);
    item->m_shown = picture ? *picture : std::string();
    if (!picture)
        return FALSE;
    cairo_t* cr = gdk_cairo_create(area->window);
    cairo_surface_t* surface = cairo_image_surface_create_from_png(picture->c_str());
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_paint_with_alpha(cr, item->m_alpha);
    }
    cairo_surface_destroy(surface);
    if (gtk_widget_has_focus(area)) {
        const double dash = 1.0;
        cairo_set_dash(cr, &dash, 1, 0);
        cairo_set_line_width(cr, 0.8);
        cairo_set_source_rgba(cr, 0, 0, 0, item->m_alpha);
        cairo_rectangle(cr, 2, 2, area->allocation.width - 4, area->allocation.height - 4);
        cairo_stroke(cr);
    }
    cairo_destroy(cr);
    return FALSE;
}

gboolean CItem::OnEnter(GtkWidget* area, GdkEventCrossing*, gpointer self)
{
    static_cast<CItem*>(self)->m_hover = true;
    gtk_widget_queue_draw(area);
    SetCursor(area, GDK_HAND2);
    return FALSE;
}

gboolean CItem::OnLeave(GtkWidget* area, GdkEventCrossing*, gpointer self)
{
    CItem* item = static_cast<CItem*>(self);
    item->m_hover = false;
    gtk_widget_queue_draw(area);
    if (!item->m_pressed) {
        SetCursor(area, GDK_LEFT_PTR);
        return TRUE;
    }
    item->m_pressed = false;
    gtk_widget_queue_draw(area);
    return FALSE;
}

gboolean CItem::OnButtonPress(GtkWidget* area, GdkEventButton* event, gpointer self)
{
    if (event->button == kItemRightButton)
        return FALSE;
    static_cast<CItem*>(self)->m_pressed = true;
    gtk_widget_queue_draw(area);
    gtk_widget_grab_focus(area);
    return FALSE; // the side bar's handler runs next
}

gboolean CItem::OnButtonRelease(GtkWidget* area, GdkEventButton* event, gpointer self)
{
    if (event->button == kItemRightButton)
        return FALSE;
    CItem* item = static_cast<CItem*>(self);
    if (item->PointerOver() && event->button == kItemLeftButton)
        LogRowUserEvent();
    item->m_pressed = false;
    gtk_widget_queue_draw(area);
    return FALSE;
}

gboolean CItem::OnKeyRelease(GtkWidget*, GdkEventKey* event, gpointer)
{
    if (event->keyval != kItemEnterKey)
        return FALSE;
    LogRowUserEvent();
    return TRUE;
}
