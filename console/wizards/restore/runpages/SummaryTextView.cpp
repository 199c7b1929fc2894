#include "SummaryTextView.h"

#include "CScrollBar.h"

CSummaryTextView::CSummaryTextView() : m_scroll(new CScrollBar)
{
    m_buffer = gtk_text_buffer_new(nullptr);
    gtk_text_buffer_create_tag(m_buffer, "bold", "weight", 700, nullptr);
    gtk_text_buffer_create_tag(m_buffer, "big", "size", 10240, nullptr);
    m_view = gtk_text_view_new_with_buffer(m_buffer);
    g_object_unref(m_buffer);
    PangoFontDescription* font = pango_font_description_from_string("Monospace 7 ");
    gtk_widget_modify_font(m_view, font);
    pango_font_description_free(font);
    gtk_text_view_set_editable(GTK_TEXT_VIEW(m_view), FALSE);
    g_object_set(m_view, "cursor-visible", FALSE, nullptr);
    g_signal_connect(m_view, "button_press_event", G_CALLBACK(HideMouseOperation), this);
    GtkWidget* scrolled = m_scroll->GetScrollBarWidget();
    m_scroll->SetScrollBarPolicy(scrolled, GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scrolled), m_view);
    gtk_widget_set_size_request(scrolled, 300, 250);
}

CSummaryTextView::~CSummaryTextView() = default;

GtkWidget* CSummaryTextView::GetWidget() const
{
    return m_scroll->GetScrollBarWidget();
}

void CSummaryTextView::Clear()
{
    gtk_text_buffer_set_text(m_buffer, "", -1);
}

void CSummaryTextView::Append(const SummaryText& text)
{
    for (const SummaryPiece& piece : text) {
        GtkTextIter end;
        gtk_text_buffer_get_end_iter(m_buffer, &end);
        if (piece.emphasis)
            gtk_text_buffer_insert_with_tags_by_name(m_buffer, &end, piece.text.c_str(), -1, "big", "bold", nullptr);
        else
            gtk_text_buffer_insert(m_buffer, &end, piece.text.c_str(), -1);
    }
}

void CSummaryTextView::ScrollToEnd()
{
    GtkTextIter end;
    gtk_text_buffer_get_end_iter(m_buffer, &end);
    GtkTextMark* mark = gtk_text_buffer_create_mark(m_buffer, "scroll", &end, FALSE);
    gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(m_view), mark);
    gtk_text_buffer_delete_mark(m_buffer, mark);
}

std::string CSummaryTextView::Text() const
{
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(m_buffer, &start, &end);
    gchar* text = gtk_text_buffer_get_text(m_buffer, &start, &end, FALSE);
    std::string out = text != nullptr ? text : "";
    g_free(text);
    return out;
}

gboolean CSummaryTextView::HideMouseOperation(GtkWidget*, GdkEventButton* event, gpointer)
{
    return event->type == GDK_BUTTON_PRESS || event->type == GDK_3BUTTON_PRESS;
}
