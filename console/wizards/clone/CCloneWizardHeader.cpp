#include "CCloneWizardHeader.h"

#include "ResPicture.h"

CCloneWizardHeader::CCloneWizardHeader()
{
    m_header = gtk_hbox_new(FALSE, 0);
    g_object_ref_sink(m_header);
    gtk_widget_set_size_request(m_header, kWidth, kHeight);
    gtk_widget_set_app_paintable(m_header, TRUE);
    // A box has no window of its own: the band is drawn after the toolkit's exposure.
    g_signal_connect_after(m_header, "expose-event", G_CALLBACK(OnExpose), this);
}

CCloneWizardHeader::~CCloneWizardHeader()
{
    g_signal_handlers_disconnect_by_data(m_header, this);
    g_object_unref(m_header);
}

void CCloneWizardHeader::SetHeaderText(const char* title, const char* subtitle)
{
    m_title = title ? title : "";
    m_subtitle = subtitle ? subtitle : "";
    QueueDrawHeader();
}

void CCloneWizardHeader::SetHeaderPicture(const char* path, int placement)
{
    m_picture = path ? path : "";
    m_placement = placement;
    QueueDrawHeader();
}

void CCloneWizardHeader::HideHeader(int hide)
{
    if (hide)
        gtk_widget_hide(m_header);
    else
        gtk_widget_show(m_header);
}

void CCloneWizardHeader::QueueDrawHeader()
{
    gtk_widget_queue_draw(m_header);
}

gboolean CCloneWizardHeader::OnExpose(GtkWidget* widget, GdkEventExpose*, gpointer self)
{
    static_cast<CCloneWizardHeader*>(self)->Draw(widget);
    return FALSE;
}

void CCloneWizardHeader::Draw(GtkWidget* widget)
{
    if (widget->window == nullptr)
        return;
    const GtkAllocation a = widget->allocation;
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_rectangle(cr, a.x, a.y, a.width, a.height);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 49 / 255.0, 106 / 255.0, 197 / 255.0);
    cairo_paint(cr);
    PaintResPicture(cr, "../res/wizard_head_bg_new.png", a.x, a.y);
    if (!m_picture.empty()) {
        if (m_placement)
            PaintResPicture(cr, m_picture.c_str(), a.x, a.y);
        else
            PaintResPicture(cr, m_picture.c_str(), a.x + a.width - 100, a.y + 5);
    }
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_select_font_face(cr, "Tahoma", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 14);
    cairo_move_to(cr, a.x + 18, a.y + 30);
    cairo_show_text(cr, m_title.c_str());
    cairo_set_font_size(cr, 12);
    cairo_move_to(cr, a.x + 18, a.y + 55);
    cairo_show_text(cr, m_subtitle.c_str());
    cairo_destroy(cr);
}
