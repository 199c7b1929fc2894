#include "CProgressBar.h"

#include "DrawPrimitives.h"
#include "ProgressBlockLayout.h"
#include "ResPicture.h"

namespace {
constexpr const char* kBlockPicture = "../res/Pro.png";
constexpr double kTextSize = 12.0;
} // namespace

CProgressBar::CProgressBar()
{
    m_progress = gtk_progress_bar_new();
    g_object_add_weak_pointer(G_OBJECT(m_progress), reinterpret_cast<gpointer*>(&m_progress));
    g_signal_connect(m_progress, "expose_event", G_CALLBACK(ExposeEvent), this);
}

CProgressBar::~CProgressBar()
{
    if (m_progress) {
        g_signal_handlers_disconnect_matched(m_progress, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        g_object_remove_weak_pointer(G_OBJECT(m_progress), reinterpret_cast<gpointer*>(&m_progress));
    }
}

void CProgressBar::SetPos(double fraction)
{
    // The bar holds its fraction clamped to [0, 1]. GTK itself refuses a value outside
    // that range and keeps the old one, so a count that overshoots its total would
    // leave the bar short of full; a fraction that is not a number shows as empty.
    if (!(fraction >= 0.0))
        fraction = 0.0;
    else if (fraction > 1.0)
        fraction = 1.0;
    if (m_progress)
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(m_progress), fraction);
}

double CProgressBar::GetPos() const
{
    return m_progress ? gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(m_progress)) : 0.0;
}

void CProgressBar::SetText(const char* text)
{
    if (m_progress)
        gtk_progress_bar_set_text(GTK_PROGRESS_BAR(m_progress), text);
}

const char* CProgressBar::GetText() const
{
    return m_progress ? gtk_progress_bar_get_text(GTK_PROGRESS_BAR(m_progress)) : nullptr;
}

void CProgressBar::DrawBg(GtkWidget* widget)
{
    GdkWindow* window = gtk_widget_get_window(widget);
    GdkGC* gc = gdk_gc_new(window);
    GdkRectangle rect = {0, 0, widget->allocation.width, widget->allocation.height};
    DrawXpFrame(gc, window, &rect);
    g_object_unref(gc);
}

gboolean CProgressBar::ExposeEvent(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    // GTK's own drawing is not called: the bar is drawn wholly here.
    const int w = widget->allocation.width;
    const int h = widget->allocation.height;
    cairo_t* cr = gdk_cairo_create(gtk_widget_get_window(widget));
    const GdkColor& white = gtk_widget_get_style(widget)->white;
    cairo_set_source_rgb(cr, white.red / 65535.0, white.green / 65535.0, white.blue / 65535.0);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);

    const double fraction = gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(widget));
    const ProgressBlockLayout layout = LayoutProgressBlocks(w, h, fraction);
    for (int x : layout.blockX)
        PaintResPicture(cr, kBlockPicture, x, layout.blockY);
    if (layout.hasPartial) {
        cairo_set_source_rgb(cr, white.red / 65535.0, white.green / 65535.0, white.blue / 65535.0);
        cairo_rectangle(cr, layout.cover.x, layout.cover.y, layout.cover.width, layout.cover.height);
        cairo_fill(cr);
    }

    if (const char* text = gtk_progress_bar_get_text(GTK_PROGRESS_BAR(widget))) {
        // Measured at the size it is shown in, so that it sits in the middle.
        cairo_set_font_size(cr, kTextSize);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, text, &extents);
        double tx = 0;
        double ty = 0;
        ProgressTextOrigin(w, h, extents.width, extents.height, &tx, &ty);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, tx, ty);
        cairo_show_text(cr, text);
    }
    cairo_destroy(cr);

    DrawBg(widget);
    return TRUE;
}
