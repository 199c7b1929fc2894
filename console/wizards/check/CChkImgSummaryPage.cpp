#include "CChkImgSummaryPage.h"

#include "IChkImgWizard.h"
#include "WizardHead.h"

CChkImgSummaryPage::CChkImgSummaryPage(IChkImgWizard* wizard) : CChkImgBasePage(wizard), m_logic(*wizard)
{
    GtkWidget* row = gtk_hbox_new(FALSE, 5);
    gtk_box_pack_start(GTK_BOX(row), gtk_image_new_from_file("../res/second-left-bg-checkimage.png"), FALSE, FALSE,
                       0);
    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), column, TRUE, TRUE, 10);
    GtkWidget* spacer = gtk_vbox_new(FALSE, 0);
    gtk_widget_set_size_request(spacer, -1, 4);
    gtk_box_pack_start(GTK_BOX(column), spacer, TRUE, TRUE, 10);
    gtk_widget_set_size_request(m_text.GetWidget(), 300, 370);
    gtk_box_pack_start(GTK_BOX(column), m_text.GetWidget(), FALSE, FALSE, 0);
    GtkWidget* prompt = gtk_drawing_area_new();
    gtk_widget_set_size_request(prompt, -1, 20);
    g_signal_connect(prompt, "expose-event", G_CALLBACK(OnPromptExpose), this);
    gtk_box_pack_start(GTK_BOX(column), prompt, TRUE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(m_functionArea), row, TRUE, TRUE, 0);
}

void CChkImgSummaryPage::InitPage()
{
    if (m_wizard->GetDlg())
        gtk_widget_queue_draw(m_wizard->GetDlg());
    m_text.Clear();
    m_text.Append(m_logic.InitPage());
}

void CChkImgSummaryPage::OnHelpClicked() { m_wizard->OnHelp(); }

void CChkImgSummaryPage::OnBackClicked()
{
    if (GtkWidget* head = m_wizard->GetHeadBox())
        gtk_widget_show(head);
    if (GtkWidget* notebook = m_wizard->GetContainer())
        gtk_widget_set_size_request(notebook, 640, 355);
    m_logic.OnBackClicked();
}

void CChkImgSummaryPage::OnNextClicked() { m_logic.OnNextClicked(); }
void CChkImgSummaryPage::OnQuitClicked() { m_logic.OnQuitClicked(); }

gboolean CChkImgSummaryPage::OnPromptExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    PaintTextLines(cr, {"Please click Proceed to start."}, 0, 16, 0);
    cairo_destroy(cr);
    return TRUE;
}
