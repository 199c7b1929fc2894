#include "CExploreCtrlDlg.h"

CExploreCtrlDlg::CExploreCtrlDlg(GtkWidget* parent, const char* title)
    : CBaseDialog(parent, title, 400, 300), m_explorer(true)
{
    m_explorer.SetRowChangedCallBack(this);
    m_explorer.InitCtrl();
    if (!m_dialog)
        return;
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), m_explorer.GetDeviceListInterf(), TRUE, TRUE, 0);
    AddButton("_OK", DLG_RESULT_OK);
    AddButton("_Cancel", DLG_RESULT_CANCEL);
}

CExploreCtrlDlg::~CExploreCtrlDlg()
{
    // The window goes before the explorer whose view it holds.
    DestoryDlg();
}
