#include "CCloneDeviceList.h"

#include <cstring>

#include "CloneServices.h"
#include "ICensa.h"
#include "PartitionRules.h"
#include "RecoveryEnv.h"

namespace {
struct ColumnLook {
    const char* title;
    int width;
};
// The Device column is wide enough for "Disk" and a two-digit number beside the icon.
constexpr ColumnLook kColumns[] = {{"Device", 80}, {"Capacity", 80}, {"Model", 230}, {"Interface", 5}};
constexpr int kRowHeight = 16;
} // namespace

CloneDeviceRow MakeCloneDeviceRow(int index, const _KS_DISK_INFO& disk)
{
    CloneDeviceRow row;
    row.index = index;
    row.device = "Disk " + std::to_string(index + 1);
    row.capacity = GetFileSizeString(static_cast<long long>(disk.TotalSectors * 512));
    char model[KS_DISK_MODEL_SIZE];
    std::memcpy(model, disk.ModelName, sizeof model);
    model[sizeof model - 1] = '\0';
    row.model = model;
    GetDiskInterfaceType(static_cast<_Interface_Type>(disk.InterfaceType), row.interfaceName);
    return row;
}

CCloneDeviceList::CCloneDeviceList(ICensa* censa) : m_scrollBar(new CScrollBar()), m_censa(censa)
{
    GtkWidget* window = m_scrollBar->GetScrollBarWidget();
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(window), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(window), GTK_SHADOW_ETCHED_IN);
    m_diskIcon = gdk_pixbuf_new_from_file("../res/disk-16x16.png", nullptr);
    m_box = gtk_hbox_new(FALSE, 0);
    g_object_ref_sink(m_box);
    gtk_box_pack_start(GTK_BOX(m_box), window, TRUE, TRUE, 0);
}

CCloneDeviceList::~CCloneDeviceList()
{
    if (m_treeView != nullptr) {
        g_signal_handlers_disconnect_by_data(m_treeView, this);
        g_object_unref(m_treeView);
    }
    if (m_model != nullptr)
        g_object_unref(m_model);
    if (m_diskIcon != nullptr)
        g_object_unref(m_diskIcon);
    g_object_unref(m_box);
}

void CCloneDeviceList::InitDeviceList()
{
    if (m_treeView != nullptr) {
        g_signal_handlers_disconnect_by_data(m_treeView, this);
        gtk_widget_destroy(m_treeView);
        g_object_unref(m_treeView);
        m_treeView = nullptr;
    }
    if (m_model != nullptr)
        g_object_unref(m_model);
    m_model = gtk_tree_store_new(COL_COUNT, GDK_TYPE_PIXBUF, G_TYPE_STRING, G_TYPE_INT, G_TYPE_STRING, G_TYPE_STRING,
                                 G_TYPE_STRING, G_TYPE_UINT, G_TYPE_INT, G_TYPE_STRING, G_TYPE_INT, G_TYPE_INT);
    ICensa* censa = m_censa != nullptr ? m_censa : CloneCensa();
    unsigned long long count = 0;
    if (censa != nullptr && censa->GetDiskCount(&count) != 0)
        count = 0;
    for (unsigned long long i = 0; i < count; ++i) {
        _KS_DISK_INFO disk;
        std::memset(&disk, 0, sizeof disk);
        // A listed disk that is not there (its image file is missing) can be neither
        // read nor written: it gets no row, and the disks after it keep their numbers.
        if (censa->GetDiskInfo(i, &disk) != 0)
            continue;
        const CloneDeviceRow row = MakeCloneDeviceRow(static_cast<int>(i), disk);
        GtkTreeIter iter;
        gtk_tree_store_append(m_model, &iter, nullptr);
        gtk_tree_store_set(m_model, &iter, COL_ICON, m_diskIcon, COL_DEVICE, row.device.c_str(), COL_INDEX, row.index,
                           COL_CAPACITY, row.capacity.c_str(), COL_MODEL, row.model.c_str(), COL_INTERFACE,
                           row.interfaceName.c_str(), COL_ZERO, 0u, COL_HEIGHT, kRowHeight, COL_EMPTY, "", COL_ROW,
                           row.index, -1);
    }

    m_treeView = gtk_tree_view_new_with_model(GTK_TREE_MODEL(m_model));
    g_object_ref_sink(m_treeView); // kept until the list goes, whatever the dialog does
    gtk_tree_view_set_show_expanders(GTK_TREE_VIEW(m_treeView), FALSE);
    for (size_t c = 0; c < sizeof kColumns / sizeof kColumns[0]; ++c) {
        GtkTreeViewColumn* column = gtk_tree_view_column_new();
        gtk_tree_view_column_set_title(column, kColumns[c].title);
        if (c == 0) {
            GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
            gtk_tree_view_column_pack_start(column, icon, FALSE);
            gtk_tree_view_column_add_attribute(column, icon, "pixbuf", COL_ICON);
        }
        GtkCellRenderer* text = gtk_cell_renderer_text_new();
        g_object_set(text, "xalign", 0.0, nullptr);
        gtk_tree_view_column_pack_start(column, text, TRUE);
        const int source[] = {COL_DEVICE, COL_CAPACITY, COL_MODEL, COL_INTERFACE};
        gtk_tree_view_column_add_attribute(column, text, "text", source[c]);
        gtk_tree_view_column_add_attribute(column, text, "height", COL_HEIGHT);
        gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
        gtk_tree_view_column_set_fixed_width(column, kColumns[c].width);
        gtk_tree_view_column_set_resizable(column, TRUE);
        gtk_tree_view_column_set_clickable(column, FALSE);
        gtk_tree_view_append_column(GTK_TREE_VIEW(m_treeView), column);
    }
    m_selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(m_treeView));
    g_signal_connect(m_treeView, "expose-event", G_CALLBACK(OnExpose), this);
    g_signal_connect(m_treeView, "cursor-changed", G_CALLBACK(OnCursorChanged), this);
    gtk_container_add(GTK_CONTAINER(m_scrollBar->GetScrollBarWidget()), m_treeView);
    gtk_widget_show_all(m_box);
}

int CCloneDeviceList::RowCount() const
{
    return m_model != nullptr ? gtk_tree_model_iter_n_children(GTK_TREE_MODEL(m_model), nullptr) : 0;
}

int CCloneDeviceList::RowOfDisk(int disk) const
{
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) {
        GtkTreeIter iter;
        int index = -1;
        if (gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(m_model), &iter, nullptr, row))
            gtk_tree_model_get(GTK_TREE_MODEL(m_model), &iter, COL_INDEX, &index, -1);
        if (index == disk)
            return row;
    }
    return -1;
}

int CCloneDeviceList::FirstDiskOtherThan(int disk) const
{
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) {
        GtkTreeIter iter;
        int index = -1;
        if (gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(m_model), &iter, nullptr, row))
            gtk_tree_model_get(GTK_TREE_MODEL(m_model), &iter, COL_INDEX, &index, -1);
        if (index >= 0 && index != disk)
            return index;
    }
    return -1;
}

void CCloneDeviceList::SetSelectDisk(int index)
{
    m_selectDisk = index;
    GtkTreeIter iter;
    const int row = RowOfDisk(index);
    if (m_model == nullptr || row < 0 || !gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(m_model), &iter, nullptr, row))
        return;
    GtkTreePath* path = gtk_tree_model_get_path(GTK_TREE_MODEL(m_model), &iter);
    // Moving the cursor selects the row and tells the owner, as a click would.
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(m_treeView), path, nullptr, FALSE);
    gtk_tree_path_free(path);
}

int CCloneDeviceList::GetSelectItemData() const
{
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    if (m_selection == nullptr || !gtk_tree_selection_get_selected(m_selection, &model, &iter))
        return 0;
    int index = 0;
    gtk_tree_model_get(model, &iter, COL_INDEX, &index, -1);
    return index;
}

void CCloneDeviceList::OnCursorChanged(GtkTreeView*, gpointer self)
{
    CCloneDeviceList* list = static_cast<CCloneDeviceList*>(self);
    list->m_selectDisk = list->GetSelectItemData();
    if (list->m_callback != nullptr)
        list->m_callback->DeviceListRowChangedCallBack();
}

gboolean CCloneDeviceList::OnExpose(GtkWidget* widget, GdkEventExpose* event, gpointer self)
{
    if (event->window == gtk_tree_view_get_bin_window(GTK_TREE_VIEW(widget)))
        return FALSE;
    static_cast<CCloneDeviceList*>(self)->DrawHeaders(widget, event->window);
    return TRUE;
}

void CCloneDeviceList::DrawHeaders(GtkWidget* widget, GdkWindow* window)
{
    cairo_t* cr = gdk_cairo_create(window);
    int height = 0;
    gdk_drawable_get_size(window, nullptr, &height);
    int x = 0;
    GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(widget));
    for (GList* c = columns; c != nullptr; c = c->next) {
        GtkTreeViewColumn* column = GTK_TREE_VIEW_COLUMN(c->data);
        const int w = gtk_tree_view_column_get_width(column);
        const double h = height;
        cairo_rectangle(cr, x, 0, w, h);
        cairo_set_source_rgb(cr, 235 / 255.0, 234 / 255.0, 219 / 255.0);
        cairo_fill(cr);
        const double shades[3][3] = {{226, 222, 205}, {214, 210, 194}, {203, 199, 184}};
        for (int i = 0; i < 3; ++i) {
            cairo_set_source_rgb(cr, shades[i][0] / 255, shades[i][1] / 255, shades[i][2] / 255);
            cairo_rectangle(cr, x, h - 3 + i, w, 1);
            cairo_fill(cr);
        }
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, x, 3, 1, h - 6);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 199 / 255.0, 197 / 255.0, 178 / 255.0);
        cairo_rectangle(cr, x + w - 1, 3, 1, h - 6);
        cairo_fill(cr);
        const char* title = gtk_tree_view_column_get_title(column);
        cairo_select_font_face(cr, "SimSun", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 12);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, title, &extents);
        const double lift = std::strcmp(title, "Capacity") == 0 ? 1.7 : 0;
        cairo_set_source_rgb(cr, 74 / 255.0, 103 / 255.0, 16 / 255.0);
        cairo_move_to(cr, x + 2 + (w - extents.width - 8) * gtk_tree_view_column_get_alignment(column),
                      h / 2 + extents.height / 2 - lift);
        cairo_show_text(cr, title);
        x += w;
    }
    g_list_free(columns);
    cairo_destroy(cr);
}
