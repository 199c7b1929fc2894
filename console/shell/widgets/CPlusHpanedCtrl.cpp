#include "CPlusHpanedCtrl.h"

#include "HpanedResize.h"

CPlusHpanedCtrl::CPlusHpanedCtrl()
{
    m_container = gtk_hbox_new(FALSE, 0);
}

void CPlusHpanedCtrl::InitHpanedCtrl(GtkWidget* left, GtkWidget* right)
{
    m_eventBox = gtk_event_box_new();
    m_left = left;
    m_right = right;
    // The paned widget takes the box's place; the unused box is released, not leaked.
    if (m_container && !gtk_widget_get_parent(m_container)) {
        g_object_ref_sink(m_container);
        gtk_widget_destroy(m_container);
        g_object_unref(m_container);
    }
    m_container = gtk_hpaned_new();
    gtk_paned_add1(GTK_PANED(m_container), left);
    gtk_paned_add2(GTK_PANED(m_container), right);
    gtk_widget_set_events(m_eventBox, kHandleEventMask);
}

gboolean CPlusHpanedCtrl::on_bar_press_notify(GtkWidget* widget, GdkEventButton*, gpointer self)
{
    CPlusHpanedCtrl* ctrl = static_cast<CPlusHpanedCtrl*>(self);
    ctrl->m_dragging = 1;
    ctrl->m_pressX = ctrl->m_pointerX;
    ctrl->m_pressY = ctrl->m_pointerY;
    gtk_widget_queue_draw(widget);
    return TRUE;
}

gboolean CPlusHpanedCtrl::on_bar_motion_notify(GtkWidget*, GdkEventMotion* event, gpointer self)
{
    static_cast<CPlusHpanedCtrl*>(self)->BeforeMoveCtrl(event);
    return TRUE;
}

gboolean CPlusHpanedCtrl::on_bar_release_notify(GtkWidget*, GdkEventButton*, gpointer self)
{
    static_cast<CPlusHpanedCtrl*>(self)->m_dragging = 0;
    return TRUE;
}

void CPlusHpanedCtrl::BeforeMoveCtrl(GdkEventMotion* event)
{
    if (!event || !event->window)
        return;
    gdk_window_get_pointer(event->window, &m_pointerX, &m_pointerY, nullptr);
    if (m_dragging)
        MoveCtrl();
}

void CPlusHpanedCtrl::MoveCtrl()
{
    if (!m_left || !m_right)
        return;
    const HpanedWidths widths =
        ResizePanes(m_pressX, m_pointerX, m_left->allocation.width, m_right->allocation.width);
    gtk_widget_set_size_request(m_left, widths.left, 0);
    gtk_widget_set_size_request(m_right, widths.right, 0);
    gtk_widget_queue_draw(m_right);
    gtk_widget_queue_draw(m_left);
    if (m_eventBox)
        gtk_widget_queue_draw(m_eventBox);
}

gboolean CPlusHpanedCtrl::on_draw_handle_notify(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    const GtkAllocation& a = widget->allocation;
    cairo_t* cr = gdk_cairo_create(gtk_widget_get_window(widget));
    cairo_set_line_width(cr, 22);
    cairo_set_source_rgb(cr, 0x7F / 255.0, 0x9D / 255.0, 0xB9 / 255.0);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, a.x + a.width, a.y + a.height);
    cairo_stroke(cr);
    cairo_destroy(cr);
    return FALSE;
}

gboolean CPlusHpanedCtrl::on_draw_hpaned_notify(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    const GtkAllocation& a = widget->allocation;
    cairo_t* cr = gdk_cairo_create(gtk_widget_get_window(widget));
    cairo_set_line_width(cr, 2);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, a.x - 1, a.y - 2);
    cairo_line_to(cr, a.x + a.width + 1, a.y + a.height + 4);
    cairo_stroke(cr);
    cairo_destroy(cr);
    return FALSE;
}

gboolean CPlusHpanedCtrl::on_draw_Left_notify(GtkWidget*, GdkEventExpose*, gpointer)
{
    return FALSE;
}

gboolean CPlusHpanedCtrl::on_draw_Right_notify(GtkWidget*, GdkEventExpose*, gpointer)
{
    return TRUE;
}
