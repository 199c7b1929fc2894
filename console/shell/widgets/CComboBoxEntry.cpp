#include "CComboBoxEntry.h"

#include "DrawPrimitives.h"
#include "ResPicture.h"

#include <memory>

namespace {

void ComboWatch(GtkWidget** slot)
{
    g_object_add_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
}

void ComboForget(GtkWidget** slot, gpointer owner)
{
    if (!*slot)
        return;
    g_signal_handlers_disconnect_matched(*slot, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, owner);
    g_object_remove_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
    *slot = nullptr;
}

void ComboSourceRgb(cairo_t* cr, unsigned rgb)
{
    cairo_set_source_rgb(cr, (rgb >> 16) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

struct GFreeText {
    void operator()(char* text) const { g_free(text); }
};

} // namespace

CComboBoxEntry::CComboBoxEntry()
{
    m_eventBox = gtk_event_box_new();
    m_combo = gtk_combo_box_new_text();
    ComboWatch(&m_eventBox);
    ComboWatch(&m_combo);
    gtk_widget_set_size_request(m_combo, kWidth, kHeight);
    gtk_container_add(GTK_CONTAINER(m_eventBox), m_combo);
    g_signal_connect(m_combo, "expose-event", G_CALLBACK(ExposeEventCallBack), this);
}

CComboBoxEntry::~CComboBoxEntry()
{
    ComboForget(&m_combo, this);
    ComboForget(&m_eventBox, this);
}

void CComboBoxEntry::AddItem(const char* text)
{
    if (m_combo && text)
        gtk_combo_box_append_text(GTK_COMBO_BOX(m_combo), text);
}

void CComboBoxEntry::ClearCbEntry()
{
    if (m_combo)
        gtk_combo_box_remove_text(GTK_COMBO_BOX(m_combo), 0);
}

void CComboBoxEntry::SetActive(int index)
{
    if (m_combo)
        gtk_combo_box_set_active(GTK_COMBO_BOX(m_combo), index);
}

void CComboBoxEntry::SetCurrentItem(int index)
{
    SetActive(index);
}

int CComboBoxEntry::GetCurrentItemIndex() const
{
    return m_combo ? gtk_combo_box_get_active(GTK_COMBO_BOX(m_combo)) : -1;
}

char* CComboBoxEntry::GetActiveText() const
{
    return m_combo ? gtk_combo_box_get_active_text(GTK_COMBO_BOX(m_combo)) : nullptr;
}

void CComboBoxEntry::DrawBg(GtkWidget* combo, const ComboLook& look)
{
    GdkGC* gc = gdk_gc_new(combo->window);
    GdkRectangle rect = combo->allocation;
    DrawFrame(gc, combo->window, &rect);
    const unsigned rgb = look.fillRgb;
    GdkColor colour = {0, static_cast<guint16>((rgb >> 16) * 0x101), static_cast<guint16>(((rgb >> 8) & 0xFF) * 0x101),
                       static_cast<guint16>((rgb & 0xFF) * 0x101)};
    gdk_gc_set_rgb_fg_color(gc, &colour);
    gdk_draw_rectangle(combo->window, gc, TRUE, look.fill.x, look.fill.y, look.fill.width, look.fill.height);
    g_object_unref(gc);
}

void CComboBoxEntry::DrawActiveText(GtkWidget* combo, const ComboLook& look)
{
    cairo_t* cr = gdk_cairo_create(combo->window);
    if (look.focusBand) {
        const double dash = 1.0;
        cairo_set_dash(cr, &dash, 1, 0);
        cairo_set_line_width(cr, 0.8);
        ComboSourceRgb(cr, 0x000000);
        cairo_rectangle(cr, look.focusRect.x, look.focusRect.y, look.focusRect.width, look.focusRect.height);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0);
        ComboSourceRgb(cr, look.bandRgb);
        cairo_rectangle(cr, look.band.x, look.band.y, look.band.width, look.band.height);
        cairo_fill(cr);
    }
    // The copy GTK hands out is ours: it is freed after every draw.
    std::unique_ptr<char, GFreeText> text(GetActiveText());
    if (text) {
        ComboSourceRgb(cr, look.textRgb);
        cairo_set_font_size(cr, kComboFontSize);
        cairo_move_to(cr, look.textX, look.textY);
        cairo_show_text(cr, text.get());
    }
    cairo_destroy(cr);
}

void CComboBoxEntry::DrawImage(GtkWidget* combo, const ComboLook& look)
{
    cairo_t* cr = gdk_cairo_create(combo->window);
    PaintResPicture(cr, look.arrowPath.c_str(), look.arrowX, look.arrowY);
    cairo_destroy(cr);
}

gboolean CComboBoxEntry::ExposeEventCallBack(GtkWidget* combo, GdkEventExpose* event, gpointer self)
{
    CComboBoxEntry* box = static_cast<CComboBoxEntry*>(self);
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(combo))->expose_event(combo, event);
    const GtkAllocation& a = combo->allocation;
    GtkWidget* focusChild = gtk_container_get_focus_child(GTK_CONTAINER(combo));
    const bool focused = focusChild && gtk_widget_has_focus(focusChild);
    const ComboLook look =
        ComboLookFor({a.x, a.y, a.width, a.height}, gtk_widget_is_sensitive(combo) != FALSE, focused, box->m_state);
    box->DrawBg(combo, look);
    box->DrawActiveText(combo, look);
    box->DrawImage(combo, look);
    return TRUE;
}

gboolean CComboBoxEntry::OnButtonEnter(GtkWidget* widget, GdkEventCrossing*, gpointer self)
{
    if (!gtk_widget_is_sensitive(widget))
        return TRUE;
    static_cast<CComboBoxEntry*>(self)->m_state = kComboHover;
    gtk_widget_queue_draw(widget);
    return FALSE;
}

gboolean CComboBoxEntry::OnButtonLeave(GtkWidget* widget, GdkEventCrossing*, gpointer self)
{
    if (!gtk_widget_is_sensitive(widget))
        return TRUE;
    static_cast<CComboBoxEntry*>(self)->m_state = kComboNormal;
    gtk_widget_queue_draw(widget);
    return FALSE;
}

gboolean CComboBoxEntry::OnEventAfter(GtkWidget* widget, GdkEvent*, gpointer)
{
    gtk_widget_queue_draw(widget);
    return TRUE;
}

void CComboBoxEntry::SetComboStyle(GtkWidget* widget)
{
    if (!widget)
        return;
    const GdkColor base = {0, 0x3131, 0x6A6A, 0xC5C5};
    gtk_widget_modify_base(widget, GTK_STATE_NORMAL, &base);
}
