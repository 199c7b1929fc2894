#include "CExploreCtrl.h"

#include "CScrollBar.h"
#include "EnvRoot.h"
#include "ExplorerEntries.h"
#include "MountListLine.h"
#include "RecoveryEnv.h"

#include <gdk/gdkkeysyms.h>

namespace {
bool g_discsRefreshed = false;

GdkPixbuf* LoadExplorerPicture(const char* name)
{
    return gdk_pixbuf_new_from_file((std::string("../res/") + name).c_str(), nullptr);
}

void DropPicture(GdkPixbuf*& picture)
{
    if (picture)
        g_object_unref(picture);
    picture = nullptr;
}

std::string StringColumn(GtkTreeModel* model, GtkTreeIter* iter, int column)
{
    gchar* text = nullptr;
    gtk_tree_model_get(model, iter, column, &text, -1);
    std::string value = text ? text : "";
    g_free(text);
    return value;
}
} // namespace

CExploreCtrl::CExploreCtrl(bool listFiles) : m_scroll(std::make_unique<CScrollBar>()), m_listFiles(listFiles)
{
    LoadPictures();
    GtkWidget* window = m_scroll->GetScrollBarWidget();
    // Held until the explorer ends, whether or not a dialog packs it.
    m_window = GTK_WIDGET(g_object_ref_sink(window));
    m_scroll->SetScrollBarPolicy(window, GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(window), GTK_SHADOW_ETCHED_IN);
}

CExploreCtrl::~CExploreCtrl()
{
    if (m_treeView)
        g_signal_handlers_disconnect_by_data(m_treeView, this);
    if (m_store)
        g_object_unref(m_store);
    m_scroll.reset();
    // The scroll bar's own pointer is cleared once the window is destroyed, while the
    // reference taken at the start still holds the object: it is given back here.
    g_object_unref(m_window);
    for (GdkPixbuf** p : {&m_openFolder, &m_closedFolder, &m_disc, &m_volume, &m_root, &m_file})
        DropPicture(*p);
}

void CExploreCtrl::LoadPictures()
{
    m_openFolder = LoadExplorerPicture("FileOpen.png");
    m_closedFolder = LoadExplorerPicture("FileColse.png");
    m_disc = LoadExplorerPicture("CDRow.png");
    m_volume = LoadExplorerPicture("Disk.png");
    m_root = LoadExplorerPicture("MyCputer.png");
    m_file = LoadExplorerPicture("file.png");
}

GtkWidget* CExploreCtrl::GetDeviceListInterf() const
{
    return m_scroll->GetScrollBarWidget();
}

bool CExploreCtrl::DiscsRefreshed()
{
    return g_discsRefreshed;
}

void CExploreCtrl::InitCtrl()
{
    GtkWidget* window = GetDeviceListInterf();
    if (m_treeView) {
        g_signal_handlers_disconnect_by_data(m_treeView, this);
        gtk_container_remove(GTK_CONTAINER(window), m_treeView); // its last reference
        m_treeView = nullptr;
    }
    if (m_store)
        g_object_unref(m_store);
    m_store = gtk_tree_store_new(kColumnCount, G_TYPE_STRING, G_TYPE_BOOLEAN, G_TYPE_INT, GDK_TYPE_PIXBUF,
                                 GDK_TYPE_PIXBUF, GDK_TYPE_PIXBUF, G_TYPE_STRING, G_TYPE_BOOLEAN);
    m_selectedPath.clear();
    m_selectedName.clear();

    GtkTreeIter root;
    gtk_tree_store_append(m_store, &root, nullptr);
    gtk_tree_store_set(m_store, &root, kColName, kRootName, kColUnused, FALSE, kColHeight, kRowHeight,
                       kColClosedPicture, m_root, kColExpandedPicture, m_root, kColCollapsedPicture, m_root,
                       kColFullPath, kRootName, kColLoaded, FALSE, -1);
    AddPlaceholder(&root);
    BuildView();
    gtk_container_add(GTK_CONTAINER(window), m_treeView);

    g_discsRefreshed = false;
    GtkTreePath* rootPath = gtk_tree_path_new_first();
    gtk_tree_view_expand_row(GTK_TREE_VIEW(m_treeView), rootPath, FALSE);
    gtk_tree_path_free(rootPath);
}

void CExploreCtrl::BuildView()
{
    m_treeView = gtk_tree_view_new_with_model(GTK_TREE_MODEL(m_store));
    g_object_add_weak_pointer(G_OBJECT(m_treeView), reinterpret_cast<gpointer*>(&m_treeView));
    GtkTreeView* view = GTK_TREE_VIEW(m_treeView);
    gtk_tree_view_set_show_expanders(view, TRUE);
    gtk_tree_view_set_headers_visible(view, FALSE);
    m_selection = gtk_tree_view_get_selection(view);

    GtkTreeViewColumn* column = gtk_tree_view_column_new();
    GtkCellRenderer* picture = gtk_cell_renderer_pixbuf_new();
    gtk_tree_view_column_pack_start(column, picture, FALSE);
    gtk_tree_view_column_set_attributes(column, picture, "pixbuf", kColClosedPicture, "pixbuf-expander-closed",
                                        kColCollapsedPicture, "pixbuf-expander-open", kColExpandedPicture, "height",
                                        kColHeight, nullptr);
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    g_object_set(text, "xalign", 0.0, nullptr);
    gtk_tree_view_column_pack_start(column, text, TRUE);
    gtk_tree_view_column_set_attributes(column, text, "text", kColName, "height", kColHeight, nullptr);
    gtk_tree_view_column_set_clickable(column, FALSE);
    gtk_tree_view_column_set_resizable(column, TRUE);
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, 120);
    gtk_tree_view_append_column(view, column);

    g_signal_connect(m_treeView, "row-expanded", G_CALLBACK(OnRowExpanded), this);
    g_signal_connect(m_treeView, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(m_treeView, "cursor-changed", G_CALLBACK(OnCursorChanged), this);
    g_signal_connect(m_treeView, "key-press-event", G_CALLBACK(OnKeyPress), this);
}

void CExploreCtrl::AddPlaceholder(GtkTreeIter* parent)
{
    GtkTreeIter child;
    gtk_tree_store_append(m_store, &child, parent);
    gtk_tree_store_set(m_store, &child, kColName, "", kColHeight, kRowHeight, kColLoaded, TRUE, -1);
}

void CExploreCtrl::RemoveChildren(GtkTreeIter* parent)
{
    GtkTreeIter child;
    while (gtk_tree_model_iter_children(GTK_TREE_MODEL(m_store), &child, parent))
        gtk_tree_store_remove(m_store, &child);
}

void CExploreCtrl::OnRowExpanded(GtkTreeView*, GtkTreeIter* iter, GtkTreePath*, gpointer self)
{
    CExploreCtrl* explorer = static_cast<CExploreCtrl*>(self);
    gboolean loaded = TRUE;
    gtk_tree_model_get(GTK_TREE_MODEL(explorer->m_store), iter, kColLoaded, &loaded, -1);
    if (!loaded)
        explorer->FillRow(iter);
}

void CExploreCtrl::FillRow(GtkTreeIter* iter)
{
    GtkTreeModel* model = GTK_TREE_MODEL(m_store);
    const std::string path = StringColumn(model, iter, kColFullPath);
    // Marked first: the expansion below must not read the row again.
    gtk_tree_store_set(m_store, iter, kColLoaded, TRUE, -1);
    RemoveChildren(iter);
    if (path == kRootName)
        FillRoot(iter);
    else
        FillFolder(iter, path);
    GtkTreePath* treePath = gtk_tree_model_get_path(model, iter);
    gtk_tree_view_expand_row(GTK_TREE_VIEW(m_treeView), treePath, FALSE);
    gtk_tree_path_free(treePath);
}

void CExploreCtrl::FillRoot(GtkTreeIter* root)
{
    for (const std::string& point : ListMountFolders(EnvPath("/mnt/P")))
        AddMountRow(root, point, EnvPath("/mnt/volinfo"), m_volume);
    for (const std::string& point : ListMountFolders(EnvPath("/mnt/CD")))
        AddMountRow(root, point, EnvPath("/mnt/volcdrominfo"), m_disc);
}

void CExploreCtrl::AddMountRow(GtkTreeIter* parent, const std::string& mountPoint, const std::string& listFile,
                               GdkPixbuf* picture)
{
    GtkTreeIter row;
    gtk_tree_store_append(m_store, &row, parent);
    gtk_tree_store_set(m_store, &row, kColName, MountLabel(listFile, mountPoint).c_str(), kColUnused, FALSE,
                       kColHeight, kRowHeight, kColClosedPicture, picture, kColExpandedPicture, picture,
                       kColCollapsedPicture, picture, kColFullPath, mountPoint.c_str(), kColLoaded, FALSE, -1);
    AddPlaceholder(&row);
}

void CExploreCtrl::FillFolder(GtkTreeIter* row, const std::string& folder)
{
    if (!g_discsRefreshed && folder.compare(0, EnvPath("/mnt/CD").size(), EnvPath("/mnt/CD")) == 0) {
        UpdateCD();
        g_discsRefreshed = true;
    }
    for (const ExplorerEntry& entry : ReadExplorerFolder(folder, m_listFiles)) {
        GdkPixbuf* closed = entry.folder ? m_closedFolder : m_file;
        GdkPixbuf* open = entry.folder ? m_openFolder : m_file;
        GtkTreeIter child;
        gtk_tree_store_append(m_store, &child, row);
        gtk_tree_store_set(m_store, &child, kColName, entry.name.c_str(), kColUnused, FALSE, kColHeight,
                           kRowHeight, kColClosedPicture, closed, kColExpandedPicture, open, kColCollapsedPicture,
                           closed, kColFullPath, entry.fullPath.c_str(), kColLoaded, entry.hasChildren ? FALSE : TRUE,
                           -1);
        if (entry.hasChildren)
            AddPlaceholder(&child);
    }
}

gboolean CExploreCtrl::OnButtonPress(GtkWidget* view, GdkEventButton* event, gpointer)
{
    if (event->type != GDK_2BUTTON_PRESS)
        return FALSE;
    GtkTreePath* path = nullptr;
    if (!gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(view), static_cast<int>(event->x), static_cast<int>(event->y),
                                       &path, nullptr, nullptr, nullptr))
        return FALSE;
    if (gtk_tree_view_row_expanded(GTK_TREE_VIEW(view), path))
        gtk_tree_view_collapse_row(GTK_TREE_VIEW(view), path);
    else
        gtk_tree_view_expand_row(GTK_TREE_VIEW(view), path, FALSE);
    gtk_tree_path_free(path);
    return FALSE; // the view still handles the click
}

void CExploreCtrl::OnCursorChanged(GtkTreeView*, gpointer self)
{
    CExploreCtrl* explorer = static_cast<CExploreCtrl*>(self);
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    if (explorer->m_selection && gtk_tree_selection_get_selected(explorer->m_selection, &model, &iter)) {
        explorer->m_selectedPath = StringColumn(model, &iter, kColFullPath);
        explorer->m_selectedName = StringColumn(model, &iter, kColName);
    }
    if (explorer->m_callback)
        explorer->m_callback->RowChangeCallBack();
}

gboolean CExploreCtrl::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self)
{
    CExploreCtrl* explorer = static_cast<CExploreCtrl*>(self);
    if (event->keyval == GDK_Left) {
        explorer->ToggleSelected(false);
        return TRUE;
    }
    if (event->keyval == GDK_Right) {
        explorer->ToggleSelected(true);
        return TRUE;
    }
    return FALSE;
}

void CExploreCtrl::ToggleSelected(bool expand)
{
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    if (!m_selection || !gtk_tree_selection_get_selected(m_selection, &model, &iter))
        return;
    GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
    if (expand)
        gtk_tree_view_expand_row(GTK_TREE_VIEW(m_treeView), path, FALSE);
    else
        gtk_tree_view_collapse_row(GTK_TREE_VIEW(m_treeView), path);
    gtk_tree_path_free(path);
}

void CExploreCtrl::UpdateCtrl()
{
    GtkTreeModel* model = nullptr;
    GtkTreeIter selected;
    if (!m_treeView || !m_selection || !gtk_tree_selection_get_selected(m_selection, &model, &selected))
        return;
    // The disc row is the one right below the root on the selection's way up.
    GtkTreePath* path = gtk_tree_model_get_path(model, &selected);
    while (gtk_tree_path_get_depth(path) > 2)
        gtk_tree_path_up(path);
    GtkTreeIter disc;
    const bool onDisc = gtk_tree_path_get_depth(path) == 2 && gtk_tree_model_get_iter(model, &disc, path);
    gtk_tree_path_free(path);
    if (!onDisc)
        return;
    const std::string discPrefix = EnvPath("/mnt/CD");
    const std::string mountPoint = MountPointOfPath(StringColumn(model, &disc, kColFullPath));
    char device[kEnvDeviceBufferSize];
    if (mountPoint.compare(0, discPrefix.size(), discPrefix) != 0 ||
        !GetDevName(device, sizeof device, mountPoint.c_str()))
        return;
    const std::string label = MountLabel(EnvPath("/mnt/volcdrominfo"), mountPoint);
    gtk_tree_store_set(m_store, &disc, kColName, label.c_str(), kColClosedPicture, m_disc, kColExpandedPicture,
                       m_disc, kColCollapsedPicture, m_disc, kColFullPath, mountPoint.c_str(), kColLoaded, TRUE, -1);
    RemoveChildren(&disc);
    FillFolder(&disc, mountPoint);
    GtkTreePath* discPath = gtk_tree_model_get_path(model, &disc);
    gtk_tree_view_expand_row(GTK_TREE_VIEW(m_treeView), discPath, FALSE);
    gtk_tree_path_free(discPath);
}
