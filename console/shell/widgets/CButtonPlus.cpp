#include "CButtonPlus.h"

#include "ButtonHover.h"
#include "DrawPrimitives.h"
#include "GdkPixelPen.h"

namespace {

GdkPixmap* RenderPicture(const char* path)
{
    GdkPixbuf* picture = gdk_pixbuf_new_from_file(path, nullptr);
    if (!picture)
        return nullptr;
    GdkPixmap* pixmap = nullptr;
    gdk_pixbuf_render_pixmap_and_mask(picture, &pixmap, nullptr, 0);
    g_object_unref(picture);
    return pixmap;
}

void SetBackgroundPixmap(GtkStyle* style, GtkStateType state, GdkPixmap* pixmap)
{
    if (style->bg_pixmap[state] && style->bg_pixmap[state] != reinterpret_cast<GdkPixmap*>(GDK_PARENT_RELATIVE))
        g_object_unref(style->bg_pixmap[state]);
    style->bg_pixmap[state] = GDK_PIXMAP(g_object_ref(pixmap));
}

} // namespace

CButtonPlus::CButtonPlus(const char* label)
{
    m_button = gtk_button_new_with_mnemonic(label ? label : "");
    g_object_add_weak_pointer(G_OBJECT(m_button), reinterpret_cast<gpointer*>(&m_button));
    gtk_widget_set_size_request(m_button, kDefaultWidth, kDefaultHeight);
    UpdateWidgetBg(m_button);
    g_signal_connect(m_button, "expose-event", G_CALLBACK(ExposeEventCallBack), this);
    g_signal_connect(m_button, "enter_notify_event", G_CALLBACK(OnButtonEnter), this);
    g_signal_connect(m_button, "leave_notify_event", G_CALLBACK(OnButtonLeave), this);
    g_signal_connect(m_button, "button_release_event", G_CALLBACK(OnButtonRelease), this);
    g_signal_connect(m_button, "button_press_event", G_CALLBACK(OnButtonPress), this);
}

CButtonPlus::~CButtonPlus()
{
    // A button that outlives this wrapper must not call back into freed memory.
    if (m_button) {
        g_signal_handlers_disconnect_matched(m_button, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        g_object_remove_weak_pointer(G_OBJECT(m_button), reinterpret_cast<gpointer*>(&m_button));
    }
}

void CButtonPlus::SetDefualt()
{
    if (m_button)
        gtk_widget_grab_focus(m_button);
}

void CButtonPlus::SetSize(int width, int height)
{
    if (m_button)
        gtk_widget_set_size_request(m_button, width == -1 ? kDefaultWidth : width,
                                    height == -1 ? kDefaultHeight : height);
}

void CButtonPlus::UpdateWidgetBg(GtkWidget* widget)
{
    if (!widget)
        return;
    GdkPixmap* normal = RenderPicture("../res/btn_normal.png");
    GdkPixmap* down = RenderPicture("../res/btn_down.png");
    if (normal || down) {
        GtkStyle* style = gtk_style_copy(gtk_widget_get_style(widget));
        if (normal) {
            SetBackgroundPixmap(style, GTK_STATE_NORMAL, normal);
            SetBackgroundPixmap(style, GTK_STATE_PRELIGHT, normal);
            SetBackgroundPixmap(style, GTK_STATE_SELECTED, normal);
        }
        if (down) {
            SetBackgroundPixmap(style, GTK_STATE_ACTIVE, down);
            SetBackgroundPixmap(style, GTK_STATE_INSENSITIVE, down);
        }
        gtk_widget_set_style(widget, style);
        g_object_unref(style);
    }
    if (normal)
        g_object_unref(normal);
    if (down)
        g_object_unref(down);
}

void CButtonPlus::DrawHover(GdkGC* gc, GdkDrawable* drawable, GdkRectangle* rect)
{
    if (!gc || !drawable || !rect)
        return;
    GdkPixelPen pen(gc, drawable);
    DrawHoverWith(pen, rect->x, rect->y, rect->width, rect->height);
}

gboolean CButtonPlus::ExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self)
{
    CButtonPlus* button = static_cast<CButtonPlus*>(self);
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(widget))->expose_event(widget, event);
    GdkWindow* window = gtk_widget_get_window(widget);
    GdkGC* gc = gdk_gc_new(window);
    GdkRectangle rect = widget->allocation;
    DrawXpFrame(gc, window, &rect);
    if (button->m_state.State() == kPointerHover)
        button->DrawHover(gc, window, &rect);
    g_object_unref(gc);
    return TRUE;
}

gboolean CButtonPlus::OnButtonEnter(GtkWidget* widget, GdkEventCrossing*, gpointer self)
{
    static_cast<CButtonPlus*>(self)->m_state.OnEnter();
    gtk_widget_queue_draw(widget);
    return FALSE;
}

gboolean CButtonPlus::OnButtonLeave(GtkWidget* widget, GdkEventCrossing*, gpointer self)
{
    static_cast<CButtonPlus*>(self)->m_state.OnLeave();
    gtk_widget_queue_draw(widget);
    return FALSE;
}

gboolean CButtonPlus::OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    // The pointer is read from the button's window, the frame its allocation is in.
    int px = 0;
    int py = 0;
    gdk_window_get_pointer(gtk_widget_get_window(widget), &px, &py, nullptr);
    const GtkAllocation& a = widget->allocation;
    const bool inside = PointInsideAllocation(a.x, a.y, a.width, a.height, px, py);
    static_cast<CButtonPlus*>(self)->m_state.OnRelease(event->button, inside);
    gtk_widget_queue_draw(widget);
    return FALSE;
}

gboolean CButtonPlus::OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    static_cast<CButtonPlus*>(self)->m_state.OnPress(event->button);
    gtk_widget_queue_draw(widget);
    return FALSE;
}
