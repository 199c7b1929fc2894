#include "CScrollBar.h"

#include "CairoPixelPen.h"
#include "PointerStateMachine.h"
#include "ResPicture.h"

namespace {

constexpr int kScrollPositionMargin = 24;

ScrollBarBox BarBox(GtkWidget* bar)
{
    const GtkAllocation& a = bar->allocation;
    return {a.x, a.y, a.width, a.height};
}

void WatchWidget(GtkWidget** slot)
{
    g_object_add_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
}

void ForgetWidget(GtkWidget** slot, gpointer owner)
{
    if (!*slot)
        return;
    g_signal_handlers_disconnect_matched(*slot, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, owner);
    g_object_remove_weak_pointer(G_OBJECT(*slot), reinterpret_cast<gpointer*>(slot));
    *slot = nullptr;
}

} // namespace

CScrollBar::CScrollBar()
{
    m_scrolledWindow = gtk_scrolled_window_new(nullptr, nullptr);
    m_hScrollBar = gtk_scrolled_window_get_hscrollbar(GTK_SCROLLED_WINDOW(m_scrolledWindow));
    m_vScrollBar = gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(m_scrolledWindow));
    WatchWidget(&m_scrolledWindow);
    WatchWidget(&m_hScrollBar);
    WatchWidget(&m_vScrollBar);
    SetScrollBarBg(m_hScrollBar);
    SetScrollBarBg(m_vScrollBar);

    g_signal_connect(m_hScrollBar, "expose-event", G_CALLBACK(HScrollbarExpose), this);
    g_signal_connect(m_vScrollBar, "expose-event", G_CALLBACK(VScrollbarExpose), this);
    g_signal_connect(m_hScrollBar, "enter_notify_event", G_CALLBACK(OnHScrollBarEnter), this);
    g_signal_connect(m_hScrollBar, "leave_notify_event", G_CALLBACK(OnHScrollBarLeave), this);
    g_signal_connect(m_hScrollBar, "button_release_event", G_CALLBACK(OnHScrollBarRelease), this);
    g_signal_connect(m_hScrollBar, "button_press_event", G_CALLBACK(OnHScrollBarPress), this);
    g_signal_connect(m_vScrollBar, "enter_notify_event", G_CALLBACK(OnVScrollBarEnter), this);
    g_signal_connect(m_vScrollBar, "leave_notify_event", G_CALLBACK(OnVScrollBarLeave), this);
    g_signal_connect(m_vScrollBar, "button_release_event", G_CALLBACK(OnVScrollBarRelease), this);
    g_signal_connect(m_vScrollBar, "button_press_event", G_CALLBACK(OnVScrollBarPress), this);
}

CScrollBar::~CScrollBar()
{
    ForgetWidget(&m_hScrollBar, this);
    ForgetWidget(&m_vScrollBar, this);
    ForgetWidget(&m_scrolledWindow, this);
}

void CScrollBar::SetScrollBarBg(GtkWidget* bar)
{
    const GdkColor colour = {0, 0xEFEF, 0xEFEF, 0xEFEF};
    gtk_widget_modify_bg(bar, GTK_STATE_NORMAL, &colour);
    gtk_widget_modify_bg(bar, GTK_STATE_ACTIVE, &colour);
    gtk_widget_modify_bg(bar, GTK_STATE_PRELIGHT, &colour);
}

void CScrollBar::SetScrollBarPolicy(GtkWidget* window, GtkPolicyType horizontal, GtkPolicyType vertical)
{
    if (window && GTK_IS_SCROLLED_WINDOW(window))
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(window), horizontal, vertical);
}

void CScrollBar::SetScrollBarSize(GtkWidget* widget, int width, int height)
{
    if (widget)
        gtk_widget_set_size_request(widget, width, height);
}

void CScrollBar::SetScrollBarPosition()
{
    if (!m_vScrollBar)
        return;
    GtkRange* range = GTK_RANGE(m_vScrollBar);
    range->slider_end = range->range_rect.height - kScrollPositionMargin;
}

void CScrollBar::DrawGrade(GtkWidget* bar, cairo_t* cr, int start, int end, int state, int type)
{
    // One line per pixel row or column: drawn through the pixel pen, not as cairo
    // strokes that would straddle two rows.
    CairoPixelPen pen(cr);
    for (const ScrollLine& line : ScrollGradeLines(type, state, BarBox(bar), start, end)) {
        pen.SetColorRgb(line.rgb);
        pen.Line(line.x1, line.y1, line.x2, line.y2);
    }
}

void CScrollBar::DrawThreeShortLine(GtkWidget* bar, cairo_t* cr, int start, int end, int state, int type)
{
    const ScrollGrip grip = ScrollGripLines(type, state, BarBox(bar), start, end);
    cairo_set_line_width(cr, 2.0);
    cairo_set_source_rgb(cr, (grip.rgb >> 16) / 255.0, ((grip.rgb >> 8) & 0xFF) / 255.0, (grip.rgb & 0xFF) / 255.0);
    for (const ScrollLine& line : grip.lines) {
        cairo_move_to(cr, line.x1, line.y1);
        cairo_line_to(cr, line.x2, line.y2);
    }
    cairo_stroke(cr);
}

void CScrollBar::SetScrollBarSpinButton(GtkWidget* bar, cairo_t* cr, int state, int type)
{
    ScrollArrow first;
    ScrollArrow last;
    ScrollArrowPictures(type, state, BarBox(bar), first, last);
    PaintResPicture(cr, first.path.c_str(), first.x, first.y);
    PaintResPicture(cr, last.path.c_str(), last.x, last.y);
}

gboolean CScrollBar::Expose(GtkWidget* bar, GdkEventExpose* event, CScrollBar* self, int type)
{
    GTK_WIDGET_CLASS(G_OBJECT_GET_CLASS(bar))->expose_event(bar, event);
    gint start = 0;
    gint end = 0;
    gtk_range_get_slider_range(GTK_RANGE(bar), &start, &end);
    cairo_t* cr = gdk_cairo_create(bar->window);
    gdk_cairo_region(cr, event->region);
    cairo_clip(cr);
    const int state = self->m_pointer.State();
    DrawGrade(bar, cr, start, end, state, type);
    DrawThreeShortLine(bar, cr, start, end, state, type);
    SetScrollBarSpinButton(bar, cr, state, type);
    cairo_destroy(cr);
    return TRUE;
}

gboolean CScrollBar::HScrollbarExpose(GtkWidget* bar, GdkEventExpose* event, gpointer self)
{
    return Expose(bar, event, static_cast<CScrollBar*>(self), kScrollHorizontal);
}

gboolean CScrollBar::VScrollbarExpose(GtkWidget* bar, GdkEventExpose* event, gpointer self)
{
    return Expose(bar, event, static_cast<CScrollBar*>(self), kScrollVertical);
}

gboolean CScrollBar::Enter(GtkWidget* bar, gpointer self)
{
    static_cast<CScrollBar*>(self)->m_pointer.OnEnter();
    gtk_widget_queue_draw(bar);
    return FALSE;
}

gboolean CScrollBar::Leave(GtkWidget* bar, gpointer self)
{
    static_cast<CScrollBar*>(self)->m_pointer.OnLeave();
    gtk_widget_queue_draw(bar);
    return FALSE;
}

gboolean CScrollBar::Press(GtkWidget* bar, gpointer self)
{
    static_cast<CScrollBar*>(self)->m_pointer.OnPress();
    gtk_widget_queue_draw(bar);
    return FALSE;
}

gboolean CScrollBar::Release(GtkWidget* bar, GdkEventButton* event, gpointer self)
{
    int px = 0;
    int py = 0;
    gdk_window_get_pointer(bar->window, &px, &py, nullptr);
    const GtkAllocation& a = bar->allocation;
    const bool inside = PointInsideAllocation(a.x, a.y, a.width, a.height, px, py);
    static_cast<CScrollBar*>(self)->m_pointer.OnRelease(event->button, inside);
    gtk_widget_queue_draw(bar);
    return FALSE;
}

gboolean CScrollBar::OnHScrollBarEnter(GtkWidget* bar, GdkEventCrossing*, gpointer self) { return Enter(bar, self); }
gboolean CScrollBar::OnHScrollBarLeave(GtkWidget* bar, GdkEventCrossing*, gpointer self) { return Leave(bar, self); }
gboolean CScrollBar::OnHScrollBarPress(GtkWidget* bar, GdkEventButton*, gpointer self) { return Press(bar, self); }
gboolean CScrollBar::OnHScrollBarRelease(GtkWidget* bar, GdkEventButton* event, gpointer self)
{
    return Release(bar, event, self);
}
gboolean CScrollBar::OnVScrollBarEnter(GtkWidget* bar, GdkEventCrossing*, gpointer self) { return Enter(bar, self); }
gboolean CScrollBar::OnVScrollBarLeave(GtkWidget* bar, GdkEventCrossing*, gpointer self) { return Leave(bar, self); }
gboolean CScrollBar::OnVScrollBarPress(GtkWidget* bar, GdkEventButton*, gpointer self) { return Press(bar, self); }
gboolean CScrollBar::OnVScrollBarRelease(GtkWidget* bar, GdkEventButton* event, gpointer self)
{
    return Release(bar, event, self);
}
