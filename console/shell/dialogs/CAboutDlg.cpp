#include "CAboutDlg.h"

#include "LinkLabelHandlers.h"
#include "ProductTexts.h"

namespace {
GtkWidget* AboutLabel(const char* text)
{
    GtkWidget* label = gtk_label_new(text);
    gtk_misc_set_alignment(GTK_MISC(label), 0.0f, 0.5f);
    return label;
}
} // namespace

CAboutDlg::CAboutDlg(GtkWidget* parent, const char* title, int width, int height)
    : CBaseDialog(parent, title, width, height), m_handCursor(gdk_cursor_new(GDK_HAND2))
{
    if (!m_dialog)
        return;
    GtkWidget* outer = gtk_vbox_new(FALSE, 0);
    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(outer), row, TRUE, TRUE, 0);

    GtkWidget* pictureBox = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(pictureBox), gtk_image_new_from_file("../res/smalllog.png"), FALSE, FALSE, 20);
    gtk_box_pack_start(GTK_BOX(row), pictureBox, FALSE, FALSE, 20);

    GtkWidget* info = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(info), AboutLabel(product_texts::kNameAndVersion), FALSE, FALSE, 10);
    gtk_box_pack_start(GTK_BOX(info), AboutLabel(product_texts::kVisitUs), FALSE, FALSE, 0);

    GtkWidget* address = AboutLabel(product_texts::kWebAddress);
    const GdkColor blue = {0, 0, 0, 0xFFFF};
    gtk_widget_modify_fg(address, GTK_STATE_NORMAL, &blue);
    m_link = gtk_event_box_new();
    const GdkColor background = {0, 0xECEC, 0xE9E9, 0xD8D8}; // the dialog's own
    gtk_widget_modify_bg(m_link, GTK_STATE_NORMAL, &background);
    gtk_container_add(GTK_CONTAINER(m_link), address);
    g_signal_connect(m_link, "button-press-event", G_CALLBACK(OnLinkButtonPress), nullptr);
    g_signal_connect(m_link, "realize", G_CALLBACK(OnLinkRealized), this);
    GtkWidget* linkRow = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(linkRow), m_link, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(info), linkRow, FALSE, FALSE, 10);

    gtk_box_pack_start(GTK_BOX(info), AboutLabel(product_texts::kNotice), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), info, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(m_dialog)->vbox), outer, TRUE, TRUE, 0);
    AddButton("_OK", DLG_RESULT_OK);
}

CAboutDlg::~CAboutDlg()
{
    if (m_link && m_dialog)
        g_signal_handlers_disconnect_by_data(m_link, this);
    DestoryDlg();
    if (m_handCursor)
        gdk_cursor_unref(m_handCursor);
}

void CAboutDlg::ShowDlg()
{
    if (m_dialog)
        gtk_widget_show_all(m_dialog);
}

void CAboutDlg::OnLinkRealized(GtkWidget* link, gpointer self)
{
    gdk_window_set_cursor(link->window, static_cast<CAboutDlg*>(self)->m_handCursor);
}
