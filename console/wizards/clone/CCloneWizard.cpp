#include "CCloneWizard.h"

#include "CCloneDataBase.h"

CCloneWizard::CCloneWizard(GtkWidget* parent, const char* title, int width, int height)
    : CBaseDialog(parent, title, width, height)
{
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), gtk_label_new(title), TRUE, TRUE, 24);
    AddButton(kQuitLabel, DLG_RESULT_CANCEL);
    g_signal_connect(GetButtonWidget(0), "clicked", G_CALLBACK(OnQuitClicked), this);
}

CCloneWizard::~CCloneWizard() = default;

void CCloneWizard::OnQuitClicked(GtkButton*, gpointer self)
{
    // The wizard's own way out: the sign first, so the console sees that the dialog
    // is already gone when its run returns.
    CCloneWizard* wizard = static_cast<CCloneWizard*>(self);
    CCloneDataBase::Instance()->SetEndSign(1);
    wizard->DestoryDlg();
}
