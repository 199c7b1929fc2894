#include "CDisplayInfoPage.h"

#include "ConsoleMessage.h"
#include "IWizard.h"

CDisplayInfoPage::CDisplayInfoPage(IWizard* wizard)
    : CBaseWizardPage(wizard), m_logic(wizard, ConsoleMessage(wizard->GetDlg()))
{
    GtkWidget* row = gtk_hbox_new(FALSE, 5);
    GtkWidget* picture = gtk_image_new_from_file("../res/second-left-bg-restore.png");
    gtk_box_pack_start(GTK_BOX(row), picture, FALSE, TRUE, 0);
    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), column, TRUE, TRUE, 5);
    GtkWidget* textArea = gtk_vbox_new(FALSE, 0);
    gtk_widget_set_size_request(textArea, -1, 60);
    g_signal_connect(textArea, "expose_event", G_CALLBACK(DisplayText), this);
    gtk_box_pack_start(GTK_BOX(column), textArea, TRUE, TRUE, 0);
    // The summary scrolls: the page fits a small screen.
    gtk_widget_set_size_request(m_text.GetWidget(), 300, 240);
    gtk_box_pack_start(GTK_BOX(column), m_text.GetWidget(), FALSE, FALSE, 10);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(label), "<big>Please click<b> Proceed</b> to start.</big>");
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
    gtk_box_pack_start(GTK_BOX(column), label, TRUE, TRUE, 5);
    gtk_box_pack_start(GTK_BOX(GetFunctionArea()), row, TRUE, TRUE, 0);
}

CDisplayInfoPage::~CDisplayInfoPage() = default;

void CDisplayInfoPage::InitPage()
{
    if (GtkWidget* dlg = m_wizard->GetDlg())
        gtk_widget_queue_draw(dlg);
    m_text.Clear();
    m_text.Append(m_logic.InitPage());
}

void CDisplayInfoPage::OnNextClicked()
{
    m_logic.OnNextClicked();
}

void CDisplayInfoPage::OnBackClicked()
{
    if (GtkWidget* head = m_wizard->GetHeadBox())
        gtk_widget_show(head);
    if (GtkWidget* container = m_wizard->GetContainer())
        gtk_widget_set_size_request(container, 640, 360);
    m_logic.OnBackClicked();
}

void CDisplayInfoPage::OnHelpClicked() { m_wizard->OnHelp(); }
void CDisplayInfoPage::OnQuitClicked() { m_wizard->DestoryDlg(); }

gboolean CDisplayInfoPage::DisplayText(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    cairo_t* cr = gdk_cairo_create(widget->window);
    const GtkAllocation& a = widget->allocation;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "SimSun", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    const char* lines[] = {"Zendrel Kivra Backup is ready to process with physical",
                           "data archiving. Here is a complete list of operations to ", "be performed."};
    for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, a.x, a.y + 20 + 15 * i);
        cairo_show_text(cr, lines[i]);
    }
    cairo_destroy(cr);
    return TRUE;
}
