#include "CNoVersionDlg.h"

#include "DiscFolderListing.h"
#include "RecoveryEnv.h"

CNoVersionDlg::CNoVersionDlg(GtkWidget* parent, const char* text, int width, int height, int mode)
{
    m_mode = mode;
    m_dialog = gtk_dialog_new();
    g_object_add_weak_pointer(G_OBJECT(m_dialog), reinterpret_cast<gpointer*>(&m_dialog));
    gtk_window_set_title(GTK_WINDOW(m_dialog), kTitle);
    gtk_window_set_modal(GTK_WINDOW(m_dialog), TRUE);
    if (parent)
        gtk_window_set_transient_for(GTK_WINDOW(m_dialog), GTK_WINDOW(parent));
    gtk_window_set_position(GTK_WINDOW(m_dialog), GTK_WIN_POS_CENTER);
    gtk_widget_set_size_request(m_dialog, width, height);
    gtk_dialog_set_has_separator(GTK_DIALOG(m_dialog), FALSE);
    gtk_window_set_icon_from_file(GTK_WINDOW(m_dialog), "../res/main.png", nullptr);
    GdkColor background;
    gdk_color_parse("#ECE9D8", &background);
    gtk_widget_modify_bg(m_dialog, GTK_STATE_NORMAL, &background);

    GtkWidget* box = GTK_DIALOG(m_dialog)->vbox;
    GtkWidget* label = gtk_label_new(QuestionText(text, mode).c_str());
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_box_pack_start(GTK_BOX(box), label, FALSE, FALSE, 10);

    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    m_browse.SetSize(130, 30);
    gtk_box_pack_start(GTK_BOX(row), m_browse.GetButtonWidget(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), m_okButton.GetButtonWidget(), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row), m_cancelButton.GetButtonWidget(), TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(box), row, FALSE, FALSE, 0);

    m_listBox = gtk_vbox_new(FALSE, 0);
    m_scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(m_scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_widget_set_size_request(m_scrolled, -1, 150);
    gtk_box_pack_start(GTK_BOX(m_listBox), m_scrolled, TRUE, TRUE, 0);
    CreateTreeView();
    gtk_box_pack_start(GTK_BOX(box), m_listBox, TRUE, TRUE, 0);

    g_signal_connect(m_browse.GetButtonWidget(), "clicked", G_CALLBACK(OnBrowser), this);
    g_signal_connect(m_okButton.GetButtonWidget(), "clicked", G_CALLBACK(OnOk), this);
    g_signal_connect(m_cancelButton.GetButtonWidget(), "clicked", G_CALLBACK(OnCancel), this);
}

CNoVersionDlg::~CNoVersionDlg()
{
    DestoryDlg();
}

std::string CNoVersionDlg::QuestionText(const char* text, int mode)
{
    const std::string name = text ? text : "";
    if (mode == 0)
        return "Please insert the disc " + name;
    return "Please insert the disc with " + name + " files";
}

void CNoVersionDlg::CreateTreeView()
{
    if (m_listView)
        gtk_widget_destroy(m_listView);
    m_store = gtk_list_store_new(1, G_TYPE_STRING);
    m_listView = gtk_tree_view_new_with_model(GTK_TREE_MODEL(m_store));
    g_object_unref(m_store); // the view holds the store
    g_object_add_weak_pointer(G_OBJECT(m_listView), reinterpret_cast<gpointer*>(&m_listView));
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(m_listView), FALSE);
    GtkCellRenderer* cell = gtk_cell_renderer_text_new();
    gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(m_listView), -1, "", cell, "text", 0, nullptr);
    gtk_container_add(GTK_CONTAINER(m_scrolled), m_listView);
    gtk_widget_show(m_listView);
}

int CNoVersionDlg::RunDlg()
{
    if (!m_dialog)
        return 0;
    gtk_widget_show_all(m_dialog);
    HideTree();
    // Ends when OK or Cancel destroyed the window, or when it was closed.
    gtk_dialog_run(GTK_DIALOG(m_dialog));
    return m_ok;
}

void CNoVersionDlg::DestoryDlg()
{
    if (m_dialog)
        gtk_widget_destroy(m_dialog);
}

void CNoVersionDlg::SetDialogSize(int width, int height)
{
    if (m_dialog) {
        gtk_widget_set_size_request(m_dialog, width, height);
        gtk_window_resize(GTK_WINDOW(m_dialog), width, height);
    }
}

void CNoVersionDlg::ShowTree()
{
    if (m_listBox)
        gtk_widget_show_all(m_listBox);
}

void CNoVersionDlg::HideTree()
{
    if (m_listBox)
        gtk_widget_hide(m_listBox);
}

void CNoVersionDlg::AddToTree(const char* name)
{
    if (!m_listView || !name)
        return;
    GtkTreeIter row;
    GtkListStore* store = GTK_LIST_STORE(gtk_tree_view_get_model(GTK_TREE_VIEW(m_listView)));
    gtk_list_store_append(store, &row);
    gtk_list_store_set(store, &row, 0, name, -1);
}

int CNoVersionDlg::RowCount() const
{
    if (!m_listView)
        return 0;
    return gtk_tree_model_iter_n_children(gtk_tree_view_get_model(GTK_TREE_VIEW(m_listView)), nullptr);
}

void CNoVersionDlg::ReadCofranFromDisk(const char* path)
{
    for (const std::string& name : ListDiscFolder(path))
        AddToTree(name.c_str());
}

void CNoVersionDlg::OnBrowser(GtkButton*, gpointer self)
{
    CNoVersionDlg* dlg = static_cast<CNoVersionDlg*>(self);
    UpdateCD();
    // A second press starts from an empty list.
    if (dlg->RowCount() > 0)
        dlg->CreateTreeView();
    dlg->ShowTree();
    dlg->SetDialogSize(300, 300);
    dlg->ReadCofranFromDisk(dlg->m_filePath);
}

void CNoVersionDlg::OnOk(GtkButton*, gpointer self)
{
    CNoVersionDlg* dlg = static_cast<CNoVersionDlg*>(self);
    dlg->m_ok = 1;
    dlg->DestoryDlg();
}

void CNoVersionDlg::OnCancel(GtkButton*, gpointer self)
{
    CNoVersionDlg* dlg = static_cast<CNoVersionDlg*>(self);
    dlg->m_ok = 0;
    dlg->DestoryDlg();
}
