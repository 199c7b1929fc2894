#include "CFinishProcessPage.h"

#include "CDiscChangeServer.h"
#include "CGtkMessageBox.h"
#include "CProgressBar.h"
#include "EnvRoot.h"
#include "IEnvCommandRunner.h"
#include "IWizard.h"
#include "MsgLib.h"
#include "TagRestoreInfo.h"
#include "WizardText.h"

CFinishProcessPage::CFinishProcessPage(IWizard* wizard)
    : CBaseWizardPage(wizard), m_logic(wizard, *this, m_tables, &CFinishProcessPage::MessageText),
      m_total(new CProgressBar), m_item(new CProgressBar), m_prompt(new CNoVersionPrompt)
{
    GtkWidget* row = gtk_hbox_new(FALSE, 5);
    gtk_box_pack_start(GTK_BOX(row), gtk_image_new_from_file("../res/second-left-bg-restore.png"), FALSE, TRUE, 0);
    GtkWidget* column = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), column, TRUE, TRUE, 5);
    gtk_box_pack_start(GTK_BOX(column), m_text.GetWidget(), FALSE, FALSE, 5);
    m_itemLabel = gtk_label_new("Current operation progress:");
    gtk_misc_set_alignment(GTK_MISC(m_itemLabel), 0, 0.5);
    gtk_box_pack_start(GTK_BOX(column), m_itemLabel, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_item->GetWidget(), FALSE, FALSE, 5);
    m_totalLabel = gtk_label_new("Total progress:");
    gtk_misc_set_alignment(GTK_MISC(m_totalLabel), 0, 0.5);
    gtk_box_pack_start(GTK_BOX(column), m_totalLabel, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), m_total->GetWidget(), FALSE, FALSE, 5);
    gtk_box_pack_start(GTK_BOX(GetFunctionArea()), row, TRUE, TRUE, 0);

    TagRestoreInfo* info = wizard->GetParam();
    m_server.reset(new CDiscChangeServer(m_logic.Handshake(), *m_prompt,
                                         [info] { return std::string(info->szImagePath); }));
    m_discTimer.reset(new CDiscChangeTimer(*m_server));
}

CFinishProcessPage::~CFinishProcessPage()
{
    if (m_poll != 0)
        g_source_remove(m_poll);
    // A worker still asleep in a disc request must not wait for a page that is gone.
    m_logic.Handshake().CancelWaiting();
    m_discTimer.reset();
}

std::string CFinishProcessPage::MessageText(uint32_t code)
{
    char text[2048] = {};
    if (!ZeFormatFullMessage(code, sizeof text, text))
        return std::string();
    return ToDisplayText(text);
}

void CFinishProcessPage::InitPage()
{
    if (m_poll != 0)
        return;
    if (m_logic.InitPage())
        m_poll = g_timeout_add(200, &CFinishProcessPage::GuiCallback, this);
}

gboolean CFinishProcessPage::GuiCallback(gpointer self)
{
    auto* page = static_cast<CFinishProcessPage*>(self);
    if (page->m_logic.Poll())
        return TRUE;
    page->m_poll = 0;
    return FALSE;
}

void CFinishProcessPage::OnQuitClicked()
{
    if (!m_logic.OnQuitClicked())
        return;
    auto* box = new CGtkMessageBox(m_wizard->GetDlg(), "Cancel operation", GTK_MB_ICON_QUESTION, GTK_MB_YESNO,
                                   "Are you sure you want to cancel this operation?");
    m_question = box;
    const int answer = box->RunDlg();
    m_question = nullptr;
    box->DestoryDlg();
    delete box;
    m_logic.OnCancelAnswer(answer == DLG_RESULT_OK);
}

void CFinishProcessPage::OnNextClicked() { m_wizard->DestoryDlg(); }
void CFinishProcessPage::OnBackClicked() { m_wizard->OnBack(); }
void CFinishProcessPage::OnHelpClicked() { m_wizard->OnHelp(); }

void CFinishProcessPage::ClearSummary() { m_text.Clear(); }

void CFinishProcessPage::AppendSummary(const SummaryText& text)
{
    m_text.Append(text);
    m_text.ScrollToEnd();
}

void CFinishProcessPage::UpdateProInfo(const std::string& totalText, double total, const std::string& itemText,
                                       double item)
{
    m_total->SetPos(total);
    m_item->SetPos(item);
    gtk_label_set_text(GTK_LABEL(m_totalLabel), totalText.c_str());
    gtk_label_set_text(GTK_LABEL(m_itemLabel), itemText.c_str());
}

void CFinishProcessPage::EnableCancel(bool enable) { m_wizard->EnableCancelBtn(enable ? 1 : 0); }
void CFinishProcessPage::EnableNext(bool enable) { m_wizard->EnableNextBtn(enable ? 1 : 0); }

void CFinishProcessPage::CloseCancelQuestion()
{
    // The question's own run returns as if answered "no"; it is destroyed there.
    if (m_question != nullptr && m_question->GetDialog() != nullptr)
        gtk_dialog_response(GTK_DIALOG(m_question->GetDialog()), DLG_RESULT_CANCEL);
}

void CFinishProcessPage::ShowResult(const std::string& title, int icon, const std::string& text)
{
    CGtkMessageBox box(m_wizard->GetDlg(), title.c_str(), static_cast<GTK_MB_ICON_TYPE>(icon), GTK_MB_OK,
                       text.c_str());
    box.RunDlg();
    box.DestoryDlg();
}

void CFinishProcessPage::RunCleanup()
{
    EnvCommandRunner().Run({EnvPath("/mnt/umnt")});
}
