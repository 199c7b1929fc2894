#include "CCloneWizardPage.h"

#include "CBaseDialog.h"
#include "CCloneDataBase.h"
#include "ICloneWizard.h"
#include "ResPicture.h"

CCloneWizardPage::CCloneWizardPage() : m_scrollBar(new CScrollBar())
{
    m_page = gtk_vbox_new(FALSE, 0);
    g_object_ref_sink(m_page);
    m_label = gtk_label_new("");
    gtk_misc_set_alignment(GTK_MISC(m_label), 0, 0.5);
    m_tipLabel = gtk_label_new("");
    gtk_misc_set_alignment(GTK_MISC(m_tipLabel), 0, 0.5);
    m_warnImage = gtk_image_new();

    GtkWidget* top = gtk_hbox_new(TRUE, 0);
    gtk_box_pack_start(GTK_BOX(top), m_label, TRUE, TRUE, 16);
    gtk_box_pack_start(GTK_BOX(m_page), top, FALSE, FALSE, 3);
    m_tipRow = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_tipRow), m_warnImage, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_tipRow), m_tipLabel, TRUE, TRUE, 16);
    gtk_box_pack_end(GTK_BOX(m_page), m_tipRow, FALSE, FALSE, 3);
}

CCloneWizardPage::~CCloneWizardPage()
{
    gtk_widget_destroy(m_page);
    g_object_unref(m_page);
}

void CCloneWizardPage::OnQuitClicked()
{
    CCloneDataBase* data = CCloneDataBase::Instance();
    data->SetEndSign(1);
    if (m_wizard != nullptr && m_wizard->GetBaseDialog() != nullptr)
        m_wizard->GetBaseDialog()->DestoryDlg();
    data->SetCloseSign(1);
}

void CCloneWizardPage::SetLabelText(const char* markup)
{
    gtk_label_set_markup(GTK_LABEL(m_label), markup ? markup : "");
}

void CCloneWizardPage::PackBetweenSpacers(GtkWidget* content)
{
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    GtkWidget* left = gtk_hbox_new(FALSE, 0);
    GtkWidget* right = gtk_hbox_new(FALSE, 0);
    gtk_widget_set_size_request(left, 15, -1);
    gtk_widget_set_size_request(right, 15, -1);
    gtk_box_pack_start(GTK_BOX(row), left, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), content, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), right, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_page), row, TRUE, TRUE, 0);
}

GtkWidget* CCloneWizardPage::NewLegendStrip()
{
    GtkWidget* strip = gtk_drawing_area_new();
    gtk_widget_set_size_request(strip, 500, 16);
    g_signal_connect(strip, "expose-event", G_CALLBACK(DisplayIconColor), nullptr);
    return strip;
}

gboolean CCloneWizardPage::DisplayIconColor(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    if (widget->window == nullptr)
        return FALSE;
    cairo_t* cr = gdk_cairo_create(widget->window);
    const GtkAllocation a = widget->allocation;
    // A drawing area has its own window: its origin is 0, 0.
    cairo_rectangle(cr, 6, 0, a.width, a.height);
    cairo_set_source_rgb(cr, 236 / 255.0, 233 / 255.0, 216 / 255.0);
    cairo_fill(cr);
    PaintResPicture(cr, "../res/partition-color.png", 6, 0);
    cairo_destroy(cr);
    return TRUE;
}
