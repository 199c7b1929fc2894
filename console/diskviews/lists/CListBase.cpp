#include "CListBase.h"

#include "ListKeys.h"
#include "ListText.h"

namespace {

const char* const kModelColumnKey = "rvd-list-model-column";
const char* const kColumnOfButtonKey = "rvd-list-column";

int ModelColumnOf(GtkTreeViewColumn* column)
{
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(column), kModelColumnKey)) - 1;
}

} // namespace

CListBase::CListBase()
{
    GtkWidget* window = m_scroll.GetScrollBarWidget();
    m_scroll.SetScrollBarPolicy(window, GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(window), GTK_SHADOW_ETCHED_IN);
}

CListBase::~CListBase()
{
    // The view may be gone already with the window it was in (the pointer is then null).
    DisconnectFromView();
    if (m_treeView != nullptr)
        g_object_remove_weak_pointer(G_OBJECT(m_treeView), reinterpret_cast<gpointer*>(&m_treeView));
    if (m_store != nullptr)
        g_object_unref(m_store);
}

void CListBase::AppendColumn(const char* title, int modelColumn, float xalign, float alignment, int width, int)
{
    if (m_treeView == nullptr)
        return;
    GtkCellRenderer* renderer = gtk_cell_renderer_text_new();
    g_object_set(renderer, "xalign", xalign, NULL);
    GtkTreeViewColumn* column = gtk_tree_view_column_new_with_attributes(title, renderer, "text", modelColumn,
                                                                         "height", m_heightColumn, NULL);
    gtk_tree_view_column_set_alignment(column, alignment);
    gtk_tree_view_column_set_clickable(column, FALSE);
    gtk_tree_view_column_set_resizable(column, TRUE);
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, width);
    g_object_set_data(G_OBJECT(column), kModelColumnKey, GINT_TO_POINTER(modelColumn + 1));
    gtk_tree_view_append_column(GTK_TREE_VIEW(m_treeView), column);
    // The header window's own expose is finished by the view before the list could draw
    // on it; each header button's expose is the list's turn to paint the cell.
    if (column->button != nullptr) {
        g_object_set_data(G_OBJECT(column->button), kColumnOfButtonKey, column);
        g_signal_connect_after(column->button, "expose-event", G_CALLBACK(HeaderThunk), this);
    }
}

void CListBase::DisconnectFromView()
{
    if (m_treeView == nullptr)
        return;
    g_signal_handlers_disconnect_matched(m_treeView, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
    GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(m_treeView));
    for (GList* c = columns; c != nullptr; c = c->next) {
        GtkWidget* button = GTK_TREE_VIEW_COLUMN(c->data)->button;
        if (button != nullptr)
            g_signal_handlers_disconnect_matched(button, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
    }
    g_list_free(columns);
}

void CListBase::QueueRedraw()
{
    if (m_treeView != nullptr)
        gtk_widget_queue_draw(m_treeView);
}

double CListBase::HeaderTitleRaise(const char*) const
{
    return 0;
}

void CListBase::InstallTreeView(GtkTreeStore* store, int heightColumn)
{
    if (m_treeView != nullptr) {
        DisconnectFromView();
        g_object_remove_weak_pointer(G_OBJECT(m_treeView), reinterpret_cast<gpointer*>(&m_treeView));
        gtk_widget_destroy(m_treeView);
        m_treeView = nullptr;
    }
    m_scrollBack.Clear();
    if (m_store != nullptr)
        g_object_unref(m_store);
    m_store = store;
    m_heightColumn = heightColumn;
    m_treeView = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_add_weak_pointer(G_OBJECT(m_treeView), reinterpret_cast<gpointer*>(&m_treeView));
    gtk_tree_view_set_show_expanders(GTK_TREE_VIEW(m_treeView), FALSE);
    gtk_tree_view_set_enable_search(GTK_TREE_VIEW(m_treeView), FALSE);
    gtk_container_add(GTK_CONTAINER(GetScrolledWindow()), m_treeView);
    gtk_tree_view_expand_all(GTK_TREE_VIEW(m_treeView));
    g_signal_connect_after(m_treeView, "expose-event", G_CALLBACK(ExposeThunk), this);
    g_signal_connect(m_treeView, "button-press-event", G_CALLBACK(ButtonThunk), this);
    g_signal_connect(m_treeView, "key-press-event", G_CALLBACK(KeyThunk), this);
    gtk_widget_show(m_treeView);
}

gboolean CListBase::ExposeThunk(GtkWidget* view, GdkEventExpose* event, gpointer self)
{
    CListBase* list = static_cast<CListBase*>(self);
    GdkWindow* bin = gtk_tree_view_get_bin_window(GTK_TREE_VIEW(view));
    if (event->window != bin)
        return FALSE;
    cairo_t* cr = gdk_cairo_create(bin);
    gdk_cairo_region(cr, event->region);
    cairo_clip(cr);
    list->DrawRows(cr);
    cairo_destroy(cr);
    list->m_scrollBack.OnExpose([view](GtkTreePath* path) {
        gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(view), path, nullptr, FALSE, 0, 0);
    });
    return TRUE;
}

gboolean CListBase::ButtonThunk(GtkWidget*, GdkEventButton* event, gpointer self)
{
    return static_cast<CListBase*>(self)->OnButtonPress(event);
}

gboolean CListBase::KeyThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    if (!ListKeyReachesTree(event->keyval))
        return TRUE;
    static_cast<CListBase*>(self)->OnListKey(event->keyval);
    return FALSE;
}

gboolean CListBase::HeaderThunk(GtkWidget* button, GdkEventExpose* event, gpointer self)
{
    CListBase* list = static_cast<CListBase*>(self);
    auto* column = static_cast<GtkTreeViewColumn*>(g_object_get_data(G_OBJECT(button), kColumnOfButtonKey));
    if (list->m_treeView == nullptr || column == nullptr)
        return FALSE;
    // The header is as high as the view less its bin window.
    int binWidth = 0, binHeight = 0;
    gdk_drawable_get_size(gtk_tree_view_get_bin_window(GTK_TREE_VIEW(list->m_treeView)), &binWidth, &binHeight);
    const int height = list->m_treeView->allocation.height - binHeight;
    if (height <= 0)
        return FALSE;
    cairo_t* cr = gdk_cairo_create(event->window);
    gdk_cairo_region(cr, event->region);
    cairo_clip(cr);
    const char* title = gtk_tree_view_column_get_title(column);
    const ListRect cell{button->allocation.x, button->allocation.y, button->allocation.width, height};
    DrawListHeaderCell(cr, cell, title, gtk_tree_view_column_get_alignment(column), list->HeaderTitleRaise(title));
    cairo_destroy(cr);
    return FALSE;
}

CheckTree CListBase::ReadCheckTree(int checkedColumn) const
{
    CheckTree tree;
    GtkTreeIter disk;
    bool more = m_store != nullptr && gtk_tree_model_get_iter_first(Model(), &disk);
    for (; more; more = gtk_tree_model_iter_next(Model(), &disk)) {
        CheckTree::Disk d;
        d.checked = IntAt(&disk, checkedColumn) != 0;
        GtkTreeIter child;
        bool has = gtk_tree_model_iter_children(Model(), &child, &disk);
        for (; has; has = gtk_tree_model_iter_next(Model(), &child))
            d.children.push_back(IntAt(&child, checkedColumn) != 0);
        tree.disks.push_back(d);
    }
    return tree;
}

void CListBase::WriteCheckTree(const CheckTree& tree, int checkedColumn)
{
    GtkTreeIter disk;
    bool more = m_store != nullptr && gtk_tree_model_get_iter_first(Model(), &disk);
    for (size_t d = 0; more && d < tree.disks.size(); ++d, more = gtk_tree_model_iter_next(Model(), &disk)) {
        gtk_tree_store_set(m_store, &disk, checkedColumn, tree.disks[d].checked ? 1 : 0, -1);
        GtkTreeIter child;
        bool has = gtk_tree_model_iter_children(Model(), &child, &disk);
        for (size_t c = 0; has && c < tree.disks[d].children.size();
             ++c, has = gtk_tree_model_iter_next(Model(), &child))
            gtk_tree_store_set(m_store, &child, checkedColumn, tree.disks[d].children[c] ? 1 : 0, -1);
    }
}

bool CListBase::ToggleRow(GtkTreeIter* iter, int checkedColumn, CheckRule rule)
{
    CheckRow row;
    if (!RowOf(iter, row))
        return false;
    CheckTree tree = ReadCheckTree(checkedColumn);
    bool becameChecked;
    if (rule == CheckRule::OneVolumeOrOneDisk) {
        becameChecked = ToggleOneVolumeOrOneDisk(tree, row);
    } else {
        const bool before = IntAt(iter, checkedColumn) != 0;
        ToggleAcrossDisks(tree, row);
        becameChecked = !before;
    }
    WriteCheckTree(tree, checkedColumn);
    QueueRedraw();
    return becameChecked;
}

void CListBase::ForEachCheckedChild(int checkedColumn, const std::function<void(GtkTreeIter*)>& visit) const
{
    GtkTreeIter root;
    bool more = m_store != nullptr && gtk_tree_model_get_iter_first(Model(), &root);
    for (; more; more = gtk_tree_model_iter_next(Model(), &root)) {
        GtkTreeIter child;
        bool has = gtk_tree_model_iter_children(Model(), &child, &root);
        for (; has; has = gtk_tree_model_iter_next(Model(), &child))
            if (IntAt(&child, checkedColumn) != 0)
                visit(&child);
    }
}

bool CListBase::RowOf(GtkTreeIter* iter, CheckRow& row) const
{
    GtkTreePath* path = gtk_tree_model_get_path(Model(), iter);
    const int depth = gtk_tree_path_get_depth(path);
    const gint* indices = gtk_tree_path_get_indices(path);
    bool ok = depth == 1 || depth == 2;
    if (ok)
        row = CheckRow{indices[0], depth == 2 ? indices[1] : -1};
    gtk_tree_path_free(path);
    return ok;
}

bool CListBase::IterOf(CheckRow row, GtkTreeIter* iter) const
{
    if (m_store == nullptr)
        return false;
    GtkTreePath* path = row.child < 0 ? gtk_tree_path_new_from_indices(row.disk, -1)
                                      : gtk_tree_path_new_from_indices(row.disk, row.child, -1);
    const bool ok = gtk_tree_model_get_iter(Model(), iter, path);
    gtk_tree_path_free(path);
    return ok;
}

bool CListBase::IterAtEvent(GdkEventButton* event, GtkTreeIter* iter) const
{
    if (m_treeView == nullptr || event->window != gtk_tree_view_get_bin_window(GTK_TREE_VIEW(m_treeView)))
        return false;
    GtkTreePath* path = nullptr;
    if (!gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(m_treeView), static_cast<int>(event->x),
                                       static_cast<int>(event->y), &path, nullptr, nullptr, nullptr))
        return false;
    const bool ok = gtk_tree_model_get_iter(Model(), iter, path);
    gtk_tree_path_free(path);
    return ok;
}

bool CListBase::SelectedIter(GtkTreeIter* iter) const
{
    if (m_treeView == nullptr)
        return false;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(m_treeView));
    GtkTreeModel* model = nullptr;
    return gtk_tree_selection_get_selected(selection, &model, iter);
}

std::string CListBase::TextAt(GtkTreeIter* iter, int column) const
{
    gchar* text = nullptr;
    gtk_tree_model_get(Model(), iter, column, &text, -1);
    std::string out = text != nullptr ? text : "";
    g_free(text);
    return out;
}

int CListBase::IntAt(GtkTreeIter* iter, int column) const
{
    GValue value = G_VALUE_INIT;
    gtk_tree_model_get_value(Model(), iter, column, &value);
    int out = G_VALUE_HOLDS_BOOLEAN(&value) ? g_value_get_boolean(&value) : g_value_get_int(&value);
    g_value_unset(&value);
    return out;
}

void* CListBase::PointerAt(GtkTreeIter* iter, int column) const
{
    gpointer out = nullptr;
    gtk_tree_model_get(Model(), iter, column, &out, -1);
    return out;
}

bool CListBase::RowExpanded(GtkTreeIter* iter) const
{
    GtkTreePath* path = gtk_tree_model_get_path(Model(), iter);
    const bool expanded = gtk_tree_view_row_expanded(GTK_TREE_VIEW(m_treeView), path);
    gtk_tree_path_free(path);
    return expanded;
}

ListRect CListBase::CellArea(GtkTreeIter* iter, GtkTreeViewColumn* column) const
{
    GtkTreePath* path = gtk_tree_model_get_path(Model(), iter);
    GdkRectangle area{0, 0, 0, 0};
    gtk_tree_view_get_background_area(GTK_TREE_VIEW(m_treeView), path, column, &area);
    gtk_tree_path_free(path);
    return ListRect{area.x, area.y, area.width, area.height};
}

void CListBase::DrawChildCells(cairo_t* cr, GtkTreeIter* iter, const CellLook& look)
{
    GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(m_treeView));
    int index = 0;
    for (GList* c = columns; c != nullptr && c->next != nullptr; c = c->next, ++index) {
        GtkTreeViewColumn* column = GTK_TREE_VIEW_COLUMN(c->data);
        if (index == 1 && look.spanFirstTwo)
            continue; // drawn with the first
        ListRect rect = CellArea(iter, column);
        if (index == 0 && look.spanFirstTwo && c->next->next != nullptr)
            rect.w += CellArea(iter, GTK_TREE_VIEW_COLUMN(c->next->data)).w;
        if (look.forcedHeight > 0)
            rect.h = look.forcedHeight;
        const int modelColumn = ModelColumnOf(column);
        std::string text = modelColumn >= 0 ? TextAt(iter, modelColumn) : std::string();
        if (index == 0 && look.cutFirstColumn && !ListCutDisplayText(text, rect.w, text))
            continue; // without the text module the cell is left as the toolkit drew it
        cairo_save(cr);
        cairo_rectangle(cr, rect.x, rect.y, rect.w, rect.h);
        cairo_clip(cr);
        FillListCell(cr, rect, look.selected);
        int tw = 0, th = 0;
        ListTextSize(cr, text.c_str(), 12, false, tw, th);
        const double alignment = gtk_tree_view_column_get_alignment(column);
        const double baseline = rect.y + rect.h / 2.0 + th / 2.0;
        double x;
        if (index == 0) {
            x = ListTextX(rect.x + 40, rect.w, tw, alignment);
            if (look.drawCheck)
                DrawCheckPicture(cr, look.checked, look.selected, rect.x + 22, rect.y + 2);
        } else if (index == 1 && look.swatch) {
            DrawTypeSwatch(cr, rect.x, rect.y, rect.h, look.swatchColour);
            x = ListTextX(rect.x + rect.h, rect.w, tw, alignment);
        } else {
            x = tw + 8 <= rect.w ? ListTextX(rect.x + 2, rect.w, tw, alignment) : rect.x;
        }
        DrawListText(cr, text.c_str(), x, baseline, 12, false, look.selected, look.greyed && !look.selected);
        cairo_restore(cr);
    }
    g_list_free(columns);
}

void CListBase::DrawDiskRow(cairo_t* cr, GtkTreeIter* iter, const std::string& title, const CellLook& look)
{
    GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(m_treeView));
    if (columns == nullptr)
        return;
    const ListRect first = CellArea(iter, GTK_TREE_VIEW_COLUMN(columns->data));
    int width = 0;
    for (GList* c = columns; c->next != nullptr; c = c->next)
        width += gtk_tree_view_column_get_width(GTK_TREE_VIEW_COLUMN(c->data));
    g_list_free(columns);
    cairo_save(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, first.x, first.y, width, first.h);
    cairo_fill(cr);
    DrawDiskTitleRow(cr, first.x, first.y, width, title, look.selected);
    if (look.drawCheck)
        DrawCheckPicture(cr, look.checked, look.selected, first.x + 3, first.y + 10);
    cairo_restore(cr);
}
