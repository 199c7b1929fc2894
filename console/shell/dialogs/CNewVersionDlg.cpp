#include "CNewVersionDlg.h"

#include "LinkLabelHandlers.h"
#include "ProductTexts.h"

namespace {
// Labels of this dialog sit at the left and the bottom of their space.
GtkWidget* VersionLabel(const char* text)
{
    GtkWidget* label = gtk_label_new(text);
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 1.0f);
    return label;
}

GtkWidget* VersionRow(const char* caption, const std::string& value)
{
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), VersionLabel(caption), FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(row), VersionLabel(value.c_str()), FALSE, FALSE, 10);
    return row;
}
} // namespace

CNewVersionDlg::CNewVersionDlg(GtkWidget* parent, const char* title, int width, int height, const char* current,
                               const char* latest, const char* link, bool checkAtStartup)
    : CBaseDialog(parent, title, width, height), m_check(product_texts::kCheckAtStartup),
      m_current(current ? current : ""), m_latest(latest ? latest : ""), m_link(link ? link : ""),
      m_checkAtStartup(checkAtStartup)
{
    if (!m_dialog)
        return;
    GtkWidget* outer = gtk_vbox_new(FALSE, 0);
    gtk_container_set_border_width(GTK_CONTAINER(outer), 15);
    GtkWidget* frame = gtk_frame_new(product_texts::kVersionFrame);
    GtkWidget* rows = gtk_vbox_new(FALSE, 0);
    gtk_container_set_border_width(GTK_CONTAINER(rows), 8);
    gtk_box_pack_start(GTK_BOX(rows), VersionLabel(product_texts::kNewVersionFound), FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(rows), VersionRow(product_texts::kCurrentVersion, m_current), FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(rows), VersionRow(product_texts::kLatestVersion, m_latest), FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(rows), VersionLabel(product_texts::kMoreInformation), FALSE, FALSE, 10);
    m_linkButton = gtk_link_button_new(m_link.c_str());
    g_signal_connect(m_linkButton, "clicked", G_CALLBACK(OnLinkClicked), nullptr);
    g_signal_connect(m_linkButton, "button-press-event", G_CALLBACK(OnLinkButtonPress), nullptr);
    GtkWidget* linkRow = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(linkRow), m_linkButton, FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(rows), linkRow, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(frame), rows);
    gtk_box_pack_start(GTK_BOX(outer), frame, TRUE, TRUE, 0);

    GtkWidget* check = m_check.GetCheckBtnWidget();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), checkAtStartup ? TRUE : FALSE);
    g_signal_connect(check, "clicked", G_CALLBACK(OnCheckClicked), this);
    gtk_box_pack_start(GTK_BOX(outer), check, FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), outer, TRUE, TRUE, 0);
    AddButton("_OK", DLG_RESULT_OK);
}

CNewVersionDlg::~CNewVersionDlg()
{
    if (m_dialog)
        g_signal_handlers_disconnect_by_data(m_check.GetCheckBtnWidget(), this);
    DestoryDlg();
}

void CNewVersionDlg::OnCheckClicked(GtkWidget* button, gpointer self)
{
    static_cast<CNewVersionDlg*>(self)->m_checkAtStartup =
        gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)) ? true : false;
}
