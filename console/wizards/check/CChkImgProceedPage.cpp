#include "CChkImgProceedPage.h"

#include "CGtkMessageBox.h"
#include "CProgressBar.h"
#include "IChkImgWizard.h"

namespace {

GtkWidget* PercentRow(const char* caption, GtkWidget*& percent)
{
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    GtkWidget* label = gtk_label_new(caption);
    gtk_widget_set_size_request(label, 200, 15);
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
    percent = gtk_label_new("0%");
    gtk_widget_set_size_request(percent, 180, 15);
    gtk_misc_set_alignment(GTK_MISC(percent), 1.0f, 0.5f);
    gtk_box_pack_start(GTK_BOX(row), label, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(row), percent, FALSE, FALSE, 0);
    return row;
}

} // namespace

CChkImgProceedPage::CChkImgProceedPage(IChkImgWizard* wizard, ChkImgRunState& run)
    : CChkImgBasePage(wizard), m_discChange(wizard, run), m_logic(*wizard, *this, run, m_discChange),
      m_current(new CProgressBar), m_total(new CProgressBar)
{
    GtkWidget* row = gtk_hbox_new(FALSE, 5);
    gtk_box_pack_start(GTK_BOX(row), gtk_image_new_from_file("../res/second-left-bg-checkimage.png"), FALSE, FALSE,
                       0);
    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), column, TRUE, TRUE, 10);
    GtkWidget* spacer = gtk_vbox_new(FALSE, 0);
    gtk_widget_set_size_request(spacer, -1, 8);
    gtk_box_pack_start(GTK_BOX(column), spacer, FALSE, FALSE, 0);
    gtk_widget_set_size_request(m_text.GetWidget(), 300, 270);
    gtk_box_pack_start(GTK_BOX(column), m_text.GetWidget(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), gtk_label_new(" "), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), PercentRow("Current operation progress:", m_currentPercent), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_current->GetWidget(), FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(column), PercentRow("Total progress:", m_totalPercent), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_total->GetWidget(), FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(m_functionArea), row, TRUE, TRUE, 0);
}

CChkImgProceedPage::~CChkImgProceedPage()
{
    if (m_poll != 0)
        g_source_remove(m_poll);
}

void CChkImgProceedPage::InitPage()
{
    if (m_poll != 0)
        return;
    if (m_wizard->GetDlg())
        gtk_widget_queue_draw(m_wizard->GetDlg());
    if (m_logic.InitPage())
        m_poll = g_timeout_add(200, &CChkImgProceedPage::GuiCallback, this);
}

gboolean CChkImgProceedPage::GuiCallback(gpointer self)
{
    auto* page = static_cast<CChkImgProceedPage*>(self);
    // The id is cleared before a last poll's boxes run, so nothing removes the
    // source twice.
    const guint id = page->m_poll;
    page->m_poll = 0;
    if (page->m_logic.Poll()) {
        page->m_poll = id;
        return TRUE;
    }
    return FALSE;
}

void CChkImgProceedPage::OnHelpClicked() { m_wizard->OnHelp(); }

void CChkImgProceedPage::OnBackClicked()
{
    if (GtkWidget* head = m_wizard->GetHeadBox())
        gtk_widget_hide(head);
    if (GtkWidget* notebook = m_wizard->GetContainer())
        gtk_widget_set_size_request(notebook, 640, 428);
    m_logic.OnBackClicked();
}

void CChkImgProceedPage::OnQuitClicked()
{
    if (!m_logic.OnQuitClicked())
        return;
    // This function owns the question box: it runs, and is closed, here only. A
    // finishing poll ends it with a response.
    auto* box = new CGtkMessageBox(m_wizard->GetDlg(), "Question", GTK_MB_ICON_QUESTION, GTK_MB_YESNO,
                                   CChkImgProceedLogic::kCancelQuestion);
    m_question = box;
    const int answer = box->RunDlg();
    m_question = nullptr;
    box->DestoryDlg();
    delete box;
    m_logic.OnCancelAnswer(answer == DLG_RESULT_OK);
}

void CChkImgProceedPage::SetText(const SummaryText& text)
{
    m_text.Clear();
    m_text.Append(text);
}

void CChkImgProceedPage::AppendText(const SummaryText& text)
{
    m_text.Append(text);
    m_text.ScrollToEnd();
}

void CChkImgProceedPage::ShowProgress(unsigned currentPercent, unsigned totalPercent)
{
    m_current->SetPos(currentPercent / 100.0);
    m_total->SetPos(totalPercent / 100.0);
    gtk_label_set_text(GTK_LABEL(m_currentPercent), (std::to_string(currentPercent) + "%").c_str());
    gtk_label_set_text(GTK_LABEL(m_totalPercent), (std::to_string(totalPercent) + "%").c_str());
}

void CChkImgProceedPage::HideHelp()
{
    if (GtkWidget* help = m_wizard->GetHelpButton())
        gtk_widget_hide_all(help);
}

void CChkImgProceedPage::ShowResult(const std::string& title, int icon, const std::string& text)
{
    CGtkMessageBox box(m_wizard->GetDlg(), title.c_str(), static_cast<GTK_MB_ICON_TYPE>(icon), GTK_MB_OK,
                       text.c_str());
    box.RunDlg();
    box.DestoryDlg();
}

void CChkImgProceedPage::EndCancelQuestion()
{
    if (m_question != nullptr && m_question->GetDialog() != nullptr)
        gtk_dialog_response(GTK_DIALOG(m_question->GetDialog()), DLG_RESULT_CANCEL);
}
