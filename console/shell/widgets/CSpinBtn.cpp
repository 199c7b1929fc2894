#include "CSpinBtn.h"

#include "DrawPrimitives.h"

namespace {

void SpinForget(GtkWidget** slot, gpointer owner)
{
    if (!*slot)
        return;
    g_signal_handlers_disconnect_matched(*slot, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, owner);
    g_object_remove_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
    *slot = nullptr;
}

} // namespace

CSpinBtn::CSpinBtn()
{
    m_eventBox = gtk_event_box_new();
    g_object_add_weak_pointer(G_OBJECT(m_eventBox), reinterpret_cast<gpointer*>(&m_eventBox));
}

CSpinBtn::~CSpinBtn()
{
    SpinForget(&m_spin, this);
    SpinForget(&m_eventBox, this);
}

void CSpinBtn::Init(double value, double lower, double upper, double step, double page, double pageSize)
{
    if (m_spin || !m_eventBox)
        return; // built once
    m_adjustment = GTK_ADJUSTMENT(gtk_adjustment_new(value, lower, upper, step, page, pageSize));
    m_spin = gtk_spin_button_new(m_adjustment, 0, 0);
    g_object_add_weak_pointer(G_OBJECT(m_spin), reinterpret_cast<gpointer*>(&m_spin));
    const GdkColor background = {0, 0xC2C2, 0xD5D5, 0xFCFC};
    gtk_widget_modify_bg(m_spin, GTK_STATE_NORMAL, &background);
    gtk_container_add(GTK_CONTAINER(m_eventBox), m_spin);
    GtkSpinButton* spin = GTK_SPIN_BUTTON(m_spin);
    gtk_spin_button_set_digits(spin, kDigits);
    gtk_spin_button_set_numeric(spin, TRUE);
    gtk_spin_button_set_wrap(spin, FALSE);
    g_signal_connect(m_spin, "expose-event", G_CALLBACK(ExposeEventCallBack), this);
    g_signal_connect(m_eventBox, "enter_notify_event", G_CALLBACK(OnButtonEnter), this);
    g_signal_connect(m_eventBox, "leave_notify_event", G_CALLBACK(OnButtonLeave), this);
}

void CSpinBtn::SetValue(double value)
{
    if (m_spin)
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(m_spin), value);
}

double CSpinBtn::GetValue() const
{
    return m_spin ? gtk_spin_button_get_value(GTK_SPIN_BUTTON(m_spin)) : 0.0;
}

gboolean CSpinBtn::ExposeEventCallBack(GtkWidget* spin, GdkEventExpose* event, gpointer)
{
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(spin))->expose_event(spin, event);
    // The spin button has a window of its own: its allocation starts at its origin.
    GdkGC* gc = gdk_gc_new(spin->window);
    GdkRectangle rect = {0, 0, spin->allocation.width, spin->allocation.height};
    DrawFrame(gc, spin->window, &rect);
    g_object_unref(gc);
    return FALSE;
}

gboolean CSpinBtn::OnButtonEnter(GtkWidget*, GdkEventCrossing*, gpointer self)
{
    CSpinBtn* button = static_cast<CSpinBtn*>(self);
    button->m_state = 1;
    if (button->m_spin)
        gtk_widget_queue_draw(button->m_spin);
    return FALSE;
}

gboolean CSpinBtn::OnButtonLeave(GtkWidget*, GdkEventCrossing*, gpointer self)
{
    CSpinBtn* button = static_cast<CSpinBtn*>(self);
    button->m_state = 0;
    if (button->m_spin)
        gtk_widget_queue_draw(button->m_spin);
    return FALSE;
}
