#include "CCloneWizardFooter.h"

#include <initializer_list>

#include "ICloneWizard.h"
#include "ResPicture.h"

CCloneWizardFooter::CCloneWizardFooter()
    : m_backButton(new CButtonPlus("< _Back")), m_nextButton(new CButtonPlus("_Next >")),
      m_quitButton(new CButtonPlus("_Cancel"))
{
    (void)m_unused;
    m_footer = gtk_hbox_new(FALSE, 0);
    g_object_ref_sink(m_footer);
    gtk_widget_add_events(m_footer, GDK_EXPOSURE_MASK | GDK_POINTER_MOTION_MASK | GDK_POINTER_MOTION_HINT_MASK |
                                        GDK_BUTTON_PRESS_MASK | GDK_LEAVE_NOTIFY_MASK);
    m_back = m_backButton->GetButtonWidget();
    m_next = m_nextButton->GetButtonWidget();
    m_quit = m_quitButton->GetButtonWidget();
    // The bar's widgets outlive a destroyed dialog until the bar itself goes.
    for (GtkWidget* button : {m_back, m_next, m_quit}) {
        g_object_ref(button);
        gtk_button_set_use_underline(GTK_BUTTON(button), TRUE);
        gtk_widget_set_size_request(button, kButtonWidth, kButtonHeight);
    }

    m_help = gtk_event_box_new();
    g_object_ref_sink(m_help);
    gtk_widget_set_size_request(m_help, kButtonWidth, kButtonHeight);
    gtk_widget_set_app_paintable(m_help, TRUE);
    gtk_widget_add_events(m_help, GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(m_help, "expose-event", G_CALLBACK(OnHelpExpose), this);
    g_signal_connect(m_help, "button-release-event", G_CALLBACK(OnHelpRelease), this);

    GtkWidget* middle = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_footer), gtk_hbox_new(FALSE, 0), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_footer), m_help, FALSE, FALSE, 12);
    gtk_box_pack_start(GTK_BOX(m_footer), middle, TRUE, TRUE, 0);
    gtk_box_pack_end(GTK_BOX(middle), m_next, FALSE, FALSE, 10);
    gtk_box_pack_end(GTK_BOX(middle), m_back, FALSE, FALSE, 10);
    gtk_box_pack_end(GTK_BOX(m_footer), m_quit, FALSE, FALSE, 10);

    g_signal_connect(m_back, "clicked", G_CALLBACK(OnBack), this);
    g_signal_connect(m_next, "clicked", G_CALLBACK(OnNextButton), this);
    g_signal_connect(m_quit, "clicked", G_CALLBACK(OnQuit), this);
}

CCloneWizardFooter::~CCloneWizardFooter()
{
    g_signal_handlers_disconnect_by_data(m_help, this);
    g_object_unref(m_help);
    for (GtkWidget* button : {m_back, m_next, m_quit}) {
        g_signal_handlers_disconnect_by_data(button, this);
        g_object_unref(button);
    }
    g_object_unref(m_footer);
}

void CCloneWizardFooter::ShowHelpBtn(int show)
{
    show ? gtk_widget_show(m_help) : gtk_widget_hide(m_help);
}

void CCloneWizardFooter::ShowBackBtn(int)
{
    // Back is never hidden: a page disables it instead.
}

void CCloneWizardFooter::ShowNextBtn(int show)
{
    show ? gtk_widget_show(m_next) : gtk_widget_hide(m_next);
}

void CCloneWizardFooter::ShowQuitBtn(int show)
{
    show ? gtk_widget_show(m_quit) : gtk_widget_hide(m_quit);
}

void CCloneWizardFooter::EnableHelpBtn(int enable)
{
    gtk_widget_set_sensitive(m_help, enable ? TRUE : FALSE);
}

void CCloneWizardFooter::EnableBackBtn(int enable)
{
    gtk_widget_set_sensitive(m_back, enable ? TRUE : FALSE);
}

void CCloneWizardFooter::EnableNextBtn(int enable)
{
    gtk_widget_set_sensitive(m_next, enable ? TRUE : FALSE);
}

void CCloneWizardFooter::EnableQuitBtn(int enable)
{
    gtk_widget_set_sensitive(m_quit, enable ? TRUE : FALSE);
}

void CCloneWizardFooter::SetBtnQuitText(const char* text)
{
    gtk_button_set_label(GTK_BUTTON(m_quit), text ? text : "");
}

void CCloneWizardFooter::SetBtnNextText(const char* text)
{
    gtk_button_set_label(GTK_BUTTON(m_next), text ? text : "");
}

int CCloneWizardFooter::IsNextBtnSensitive() const
{
    return GTK_WIDGET_IS_SENSITIVE(m_next) ? 1 : 0;
}

void CCloneWizardFooter::Focus(GtkWidget* window, GtkWidget* button)
{
    if (window != nullptr && GTK_IS_WINDOW(window))
        gtk_window_set_focus(GTK_WINDOW(window), button);
}

int CCloneWizardFooter::Focused(GtkWidget* button)
{
    return GTK_WIDGET_HAS_FOCUS(button) ? 1 : 0;
}

void CCloneWizardFooter::OnBack(GtkButton*, gpointer self)
{
    if (ICloneWizard* wizard = static_cast<CCloneWizardFooter*>(self)->m_wizard)
        wizard->OnBackClicked();
}

void CCloneWizardFooter::OnNextButton(GtkButton*, gpointer self)
{
    if (ICloneWizard* wizard = static_cast<CCloneWizardFooter*>(self)->m_wizard)
        wizard->OnNextClicked();
}

void CCloneWizardFooter::OnQuit(GtkButton*, gpointer self)
{
    if (ICloneWizard* wizard = static_cast<CCloneWizardFooter*>(self)->m_wizard)
        wizard->OnQuitClicked();
}

gboolean CCloneWizardFooter::OnHelpRelease(GtkWidget*, GdkEventButton*, gpointer self)
{
    if (ICloneWizard* wizard = static_cast<CCloneWizardFooter*>(self)->m_wizard)
        wizard->OnHelpClicked();
    return TRUE;
}

gboolean CCloneWizardFooter::OnHelpExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    const GtkAllocation a = widget->allocation;
    cairo_rectangle(cr, 0, 0, a.width, a.height);
    cairo_set_source_rgb(cr, 236 / 255.0, 233 / 255.0, 216 / 255.0);
    cairo_fill(cr);
    PaintResPicture(cr, "../res/second-help-icon-24x24.png", 2, 2);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "SimSun", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    cairo_move_to(cr, 30, 18);
    cairo_show_text(cr, "Help");
    cairo_destroy(cr);
    return TRUE;
}
