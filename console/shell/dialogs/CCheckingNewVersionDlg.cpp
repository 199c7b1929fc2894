#include "CCheckingNewVersionDlg.h"

#include "ProductTexts.h"

CCheckingNewVersionDlg::CCheckingNewVersionDlg(GtkWidget* parent, const char* title, int width, int height)
    : CBaseDialog(parent, title, width, height)
{
    if (!m_dialog)
        return;
    GtkWidget* box = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), gtk_label_new(""), FALSE, FALSE, 7);
    gtk_box_pack_start(GTK_BOX(box), gtk_label_new(product_texts::kChecking), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), box, TRUE, TRUE, 0);
    g_signal_connect(m_dialog, "show", G_CALLBACK(OnShow), this);
}

CCheckingNewVersionDlg::~CCheckingNewVersionDlg()
{
    // A dialog ended before its timer fired must not be closed again from it.
    if (m_timer)
        g_source_remove(m_timer);
    if (m_dialog)
        g_signal_handlers_disconnect_by_data(m_dialog, this);
}

void CCheckingNewVersionDlg::OnShow(GtkWidget*, gpointer self)
{
    CCheckingNewVersionDlg* dialog = static_cast<CCheckingNewVersionDlg*>(self);
    if (!dialog->m_timer)
        dialog->m_timer = g_timeout_add(kCloseAfterMs, OnTimeout, dialog);
}

gboolean CCheckingNewVersionDlg::OnTimeout(gpointer self)
{
    CCheckingNewVersionDlg* dialog = static_cast<CCheckingNewVersionDlg*>(self);
    dialog->m_timer = 0;
    dialog->DestoryDlg();
    return FALSE;
}
