#include "CEntryPlus.h"

#include "DrawPrimitives.h"

namespace {
constexpr guint kEntryContextMenuButton = 3;
}

CEntryPlus::CEntryPlus()
{
    m_entry = gtk_entry_new();
    g_object_add_weak_pointer(G_OBJECT(m_entry), reinterpret_cast<gpointer*>(&m_entry));
    UpdateWidgetBg();
    g_signal_connect(m_entry, "expose-event", G_CALLBACK(ExposeEventCallBack), this);
    g_signal_connect(m_entry, "button-press-event", G_CALLBACK(ButtonPressCallBack), this);
}

CEntryPlus::~CEntryPlus()
{
    if (m_entry) {
        g_signal_handlers_disconnect_matched(m_entry, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        g_object_remove_weak_pointer(G_OBJECT(m_entry), reinterpret_cast<gpointer*>(&m_entry));
    }
}

void CEntryPlus::UpdateWidgetBg()
{
    const GdkColor selected = {0, 0x3131, 0x6A6A, 0xC5C5};
    gtk_widget_modify_base(m_entry, GTK_STATE_SELECTED, &selected);
}

void CEntryPlus::CanEdit(int editable)
{
    if (m_entry)
        gtk_editable_set_editable(GTK_EDITABLE(m_entry), editable ? TRUE : FALSE);
}

void CEntryPlus::SetEntryText(const char* text)
{
    if (m_entry)
        gtk_entry_set_text(GTK_ENTRY(m_entry), text ? text : "");
}

const char* CEntryPlus::GetEntryText() const
{
    return m_entry ? gtk_entry_get_text(GTK_ENTRY(m_entry)) : nullptr;
}

gboolean CEntryPlus::ExposeEventCallBack(GtkWidget* widget, GdkEventExpose* event, gpointer)
{
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(widget))->expose_event(widget, event);
    // The entry has a window of its own: the frame lies at its origin.
    GdkGC* gc = gdk_gc_new(widget->window);
    GdkRectangle rect = {0, 0, widget->allocation.width, widget->allocation.height};
    DrawFrame(gc, widget->window, &rect);
    g_object_unref(gc);
    return TRUE;
}

gboolean CEntryPlus::ButtonPressCallBack(GtkWidget*, GdkEventButton* event, gpointer)
{
    return event->button == kEntryContextMenuButton ? TRUE : FALSE;
}
