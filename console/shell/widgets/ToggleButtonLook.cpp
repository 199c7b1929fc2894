#include "ToggleButtonLook.h"

#include "ResPicture.h"

ToggleButtonLook::~ToggleButtonLook()
{
    if (widget_) {
        g_signal_handlers_disconnect_matched(widget_, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        g_object_remove_weak_pointer(G_OBJECT(widget_), reinterpret_cast<gpointer*>(&widget_));
    }
}

void ToggleButtonLook::Attach(GtkWidget* widget)
{
    widget_ = widget;
    g_object_add_weak_pointer(G_OBJECT(widget_), reinterpret_cast<gpointer*>(&widget_));
    const GdkColor background = {0, 0xECEC, 0xE9E9, 0xD8D8};
    gtk_widget_modify_bg(widget_, GTK_STATE_NORMAL, &background);
    gtk_widget_modify_bg(widget_, GTK_STATE_PRELIGHT, &background);
    g_signal_connect(widget_, "expose-event", G_CALLBACK(ExposeEventCallBack), this);
    g_signal_connect(widget_, "enter_notify_event", G_CALLBACK(OnEnter), this);
    g_signal_connect(widget_, "leave_notify_event", G_CALLBACK(OnLeave), this);
    g_signal_connect(widget_, "button_release_event", G_CALLBACK(OnRelease), this);
    g_signal_connect(widget_, "button_press_event", G_CALLBACK(OnPress), this);
}

gboolean ToggleButtonLook::ExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer self)
{
    ToggleButtonLook* look = static_cast<ToggleButtonLook*>(self);
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(widget))->expose_event(widget, event);
    const bool active = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget));
    const GtkAllocation& a = widget->allocation;
    cairo_t* cr = gdk_cairo_create(gtk_widget_get_window(widget));
    cairo_set_source_rgb(cr, 0xEC / 255.0, 0xE9 / 255.0, 0xD8 / 255.0);
    cairo_rectangle(cr, a.x, a.y, kToggleIndicatorWidth, kToggleIndicatorHeight);
    cairo_fill(cr);
    PaintResPicture(cr, ToggleIndicatorPicture(look->kind_, active, look->state_.State()),
                    a.x + kTogglePictureDx, a.y + kTogglePictureDy);
    cairo_destroy(cr);
    return TRUE;
}

gboolean ToggleButtonLook::OnEnter(GtkWidget* widget, GdkEventCrossing*, gpointer self)
{
    static_cast<ToggleButtonLook*>(self)->state_.OnEnter();
    gtk_widget_queue_draw(widget);
    return FALSE;
}

gboolean ToggleButtonLook::OnLeave(GtkWidget* widget, GdkEventCrossing*, gpointer self)
{
    static_cast<ToggleButtonLook*>(self)->state_.OnLeave();
    gtk_widget_queue_draw(widget);
    return FALSE;
}

gboolean ToggleButtonLook::OnRelease(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    static_cast<ToggleButtonLook*>(self)->state_.OnRelease(event->button, true);
    gtk_widget_queue_draw(widget);
    return FALSE;
}

gboolean ToggleButtonLook::OnPress(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    static_cast<ToggleButtonLook*>(self)->state_.OnPress(event->button);
    gtk_widget_queue_draw(widget);
    return FALSE;
}
