#include "CChkImgWizard.h"

CChkImgWizard::CChkImgWizard(GtkWidget* parent) : CBaseDialog(parent, kTitle, 640, -1)
{
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), gtk_label_new(kTitle), TRUE, TRUE, 24);
    AddButton("Close", DLG_RESULT_CANCEL);
}

void CChkImgWizard::SetCurrentPage(int page)
{
    m_page = page;
}
