#include "CRestoreWizardDialog.h"

#include <atomic>

namespace {
std::atomic<int> g_liveRestoreWizards{0};
} // namespace

CRestoreWizardDialog::CRestoreWizardDialog(GtkWidget* parent) : CBaseDialog(parent, kTitle, 640, -1)
{
    ++g_liveRestoreWizards;
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), gtk_label_new(kTitle), TRUE, TRUE, 24);
    AddButton("Close", DLG_RESULT_CANCEL);
}

CRestoreWizardDialog::~CRestoreWizardDialog()
{
    --g_liveRestoreWizards;
}

int CRestoreWizardDialog::LiveCount()
{
    return g_liveRestoreWizards;
}

void CRestoreWizardDialog::SetCurrentPage(int page)
{
    m_page = page;
}

DLG_RESULT CRestoreWizardDialog::RunDlg()
{
    const DLG_RESULT result = CBaseDialog::RunDlg();
    // However the run ended (a button or the window manager), the wizard is over.
    DestoryDlg();
    return result;
}

void CRestoreWizardDialog::DestoryDlg()
{
    CBaseDialog::DestoryDlg();
    delete this;
}
