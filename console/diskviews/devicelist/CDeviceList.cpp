#include "CDeviceList.h"

#include <cstring>

#include "ITasque.h"
#include "ListKeys.h"
#include "ListText.h"

CDeviceList::CDeviceList(bool checkBoxDrawing, bool showUnallocated, bool noEmptyDiskSuffix)
    : m_checkBoxDrawing(checkBoxDrawing), m_showUnallocated(showUnallocated), m_noEmptyDiskSuffix(noEmptyDiskSuffix)
{
}

CDeviceList::~CDeviceList()
{
    if (GetTreeView() != nullptr)
        g_signal_handlers_disconnect_by_func(GetTreeView(), reinterpret_cast<gpointer>(CursorChanged), this);
}

void CDeviceList::InitDeviceList()
{
    if (GetTreeView() != nullptr)
        g_signal_handlers_disconnect_by_func(GetTreeView(), reinterpret_cast<gpointer>(CursorChanged), this);
    // A rescan starts from nothing: entries and the primary count of the last fill would
    // answer for partitions that are no longer there.
    m_entries.clear();
    m_disabledRows.clear();
    m_primaryCount = 0;
    m_checkedKeys.clear();
    m_haveLastClicked = false;

    GtkTreeStore* store = gtk_tree_store_new(COL_COUNT, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
                                             G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_INT,
                                             G_TYPE_STRING, G_TYPE_BOOLEAN, G_TYPE_INT, G_TYPE_INT, G_TYPE_INT);
    DeviceListContents contents = EnumerateDeviceList(m_command, m_showUnallocated);
    for (const DeviceDiskRows& disk : contents.disks) {
        GtkTreeIter root;
        gtk_tree_store_append(store, &root, nullptr);
        gtk_tree_store_set(store, &root, COL_PARTITION, nullptr, COL_HEIGHT, 30, COL_TITLE, disk.title.c_str(),
                           COL_IS_DISK, TRUE, COL_DISK, disk.disk, COL_PART, -1, COL_CHECKED, 0, -1);
        for (const DevicePartitionRow& row : disk.children) {
            GtkTreeIter child;
            gtk_tree_store_append(store, &child, &root);
            const std::string partition = ListDisplayText(row.texts.partition);
            gtk_tree_store_set(store, &child, COL_PARTITION, partition.c_str(), COL_TYPE, row.texts.type.c_str(),
                               COL_SIZE, row.texts.size.c_str(), COL_USED, row.texts.used.c_str(), COL_UNUSED,
                               row.texts.unused.c_str(), COL_STATUS, row.texts.status.c_str(), COL_PRILOG,
                               row.texts.priLog.c_str(), COL_HEIGHT, 16, COL_IS_DISK, FALSE, COL_DISK, disk.disk,
                               COL_PART, row.partition, COL_CHECKED, row.checked, -1);
        }
    }
    m_entries = std::move(contents.entries);
    m_primaryCount = contents.primaryCount;

    InstallTreeView(store, COL_HEIGHT);
    AppendColumn("Partition", COL_PARTITION, 0.0f, 0.0f, 150, 0);
    AppendColumn("Type", COL_TYPE, 0.0f, 0.0f, 65, 0);
    AppendColumn("Size", COL_SIZE, 1.0f, 1.0f, 80, 0);
    AppendColumn("Used", COL_USED, 1.0f, 1.0f, 80, 0);
    AppendColumn("Unused", COL_UNUSED, 1.0f, 1.0f, 80, 0);
    AppendColumn("Status", COL_STATUS, 0.0f, 0.0f, 58, 0);
    AppendColumn("Pri/Log", COL_PRILOG, 0.0f, 0.0f, 60, 0);
    AppendColumn(" ", COL_LAST, 0.0f, 0.0f, 1, 0);
    g_signal_connect(GetTreeView(), "cursor-changed", G_CALLBACK(CursorChanged), this);
    gtk_tree_selection_set_select_function(gtk_tree_view_get_selection(GTK_TREE_VIEW(GetTreeView())), MaySelect,
                                           this, nullptr);
}

gboolean CDeviceList::MaySelect(GtkTreeSelection*, GtkTreeModel* model, GtkTreePath* path, gboolean selected,
                                gpointer self)
{
    if (selected)
        return TRUE; // unselecting is always allowed
    GtkTreeIter iter;
    if (!gtk_tree_model_get_iter(model, &iter, path))
        return TRUE;
    gint disk = 0, partition = -1;
    gtk_tree_model_get(model, &iter, COL_DISK, &disk, COL_PART, &partition, -1);
    return static_cast<CDeviceList*>(self)->IsRowDisabled(disk, partition) ? FALSE : TRUE;
}

std::vector<std::pair<int, int>> CDeviceList::PartitionRows() const
{
    std::vector<std::pair<int, int>> rows;
    GtkTreeIter root;
    bool more = Store() != nullptr && gtk_tree_model_get_iter_first(Model(), &root);
    for (; more; more = gtk_tree_model_iter_next(Model(), &root)) {
        GtkTreeIter child;
        bool has = gtk_tree_model_iter_children(Model(), &child, &root);
        for (; has; has = gtk_tree_model_iter_next(Model(), &child))
            rows.emplace_back(IntAt(&child, COL_DISK), IntAt(&child, COL_PART));
    }
    return rows;
}

bool CDeviceList::IsRowDisabled(int disk, int partition) const
{
    for (const auto& row : m_disabledRows)
        if (row.first == disk && row.second == partition)
            return true;
    return false;
}

void CDeviceList::SetDisabledRows(const std::vector<std::pair<int, int>>& rows)
{
    m_disabledRows = rows;
    GtkTreeIter selected;
    if (GetTreeView() != nullptr && SelectedIter(&selected) &&
        IsRowDisabled(IntAt(&selected, COL_DISK), IntAt(&selected, COL_PART)))
        gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(GTK_TREE_VIEW(GetTreeView())));
    QueueRedraw();
}

void CDeviceList::CursorChanged(GtkTreeView*, gpointer self)
{
    CDeviceList* list = static_cast<CDeviceList*>(self);
    if (list->m_rowChanged != nullptr)
        list->m_rowChanged->DeviceListRowChangedCallBack();
}

unsigned long CDeviceList::GetCurrentSelectDevice(uint16_t& partition, uint16_t& disk)
{
    GtkTreeIter iter;
    if (!SelectedIter(&iter))
        return kNothingSelected;
    partition = static_cast<uint16_t>(IntAt(&iter, COL_PART));
    disk = static_cast<uint16_t>(IntAt(&iter, COL_DISK));
    return 0;
}

void CDeviceList::FindPartitionData(uint64_t disk, uint8_t partition, __PARTITION_INFO_CMD& out) const
{
    FindDevicePartition(m_entries, disk, partition, out);
}

int CDeviceList::GetSelectParttNum()
{
    m_checkedKeys.clear();
    ForEachCheckedChild(COL_CHECKED, [this](GtkTreeIter* child) {
        m_checkedKeys.push_back((static_cast<uint32_t>(IntAt(child, COL_DISK)) << 16) +
                                static_cast<uint32_t>(IntAt(child, COL_PART)));
    });
    return static_cast<int>(m_checkedKeys.size());
}

int CDeviceList::GetTheSelectParttPos(uint16_t n, uint16_t& disk, uint16_t& partition) const
{
    if (n >= m_checkedKeys.size())
        return 0;
    disk = static_cast<uint16_t>(m_checkedKeys[n] >> 16);
    partition = static_cast<uint16_t>(m_checkedKeys[n] & 0xFFFF);
    return 1;
}

void CDeviceList::SetChildIterCheckState()
{
    if (!m_haveLastClicked || Store() == nullptr)
        return;
    GtkTreeIter row = m_lastClicked;
    if (!gtk_tree_store_iter_is_valid(Store(), &row))
        return;
    gtk_tree_store_set(Store(), &row, COL_CHECKED, 0, -1);
    GtkTreeIter parent;
    if (gtk_tree_model_iter_parent(Model(), &parent, &row))
        gtk_tree_store_set(Store(), &parent, COL_CHECKED, 0, -1);
    GtkTreeIter child;
    if (gtk_tree_model_iter_children(Model(), &child, &row))
        gtk_tree_store_set(Store(), &child, COL_CHECKED, 0, -1);
}

gboolean CDeviceList::OnButtonPress(GdkEventButton* event)
{
    GtkTreeIter iter;
    if (event->type != GDK_BUTTON_PRESS || event->button != 1 || !IterAtEvent(event, &iter))
        return FALSE;
    ToggleRow(&iter, COL_CHECKED, CheckRule::AcrossDisks);
    m_lastClicked = iter;
    m_haveLastClicked = true;
    GtkTreePath* path = gtk_tree_model_get_path(Model(), &iter);
    m_scrollBack.Remember(path);
    gtk_tree_path_free(path);
    return FALSE; // the view's own selection and "cursor-changed" follow
}

void CDeviceList::OnListKey(unsigned keyval)
{
    if (!ListKeyIsSpace(keyval))
        return;
    m_scrollBack.Clear();
    GtkTreeIter iter;
    if (SelectedIter(&iter))
        ToggleRow(&iter, COL_CHECKED, CheckRule::AcrossDisks);
}

double CDeviceList::HeaderTitleRaise(const char* title) const
{
    return title != nullptr && std::strcmp(title, "Pri/Log") == 0 ? 1.5 : 0;
}

bool CDeviceList::IsSelectedRow(GtkTreeIter* iter) const
{
    GtkTreeIter selected;
    if (!SelectedIter(&selected))
        return false;
    return IntAt(&selected, COL_DISK) == IntAt(iter, COL_DISK) && IntAt(&selected, COL_PART) == IntAt(iter, COL_PART);
}

void CDeviceList::DrawPartitionRow(cairo_t* cr, GtkTreeIter* iter)
{
    CellLook look;
    look.selected = IsSelectedRow(iter);
    look.drawCheck = m_checkBoxDrawing;
    look.checked = IntAt(iter, COL_CHECKED) != 0;
    look.cutFirstColumn = true;
    look.swatch = true;
    const int disk = IntAt(iter, COL_DISK);
    const int partition = IntAt(iter, COL_PART);
    __PARTITION_INFO_CMD record;
    std::memset(&record, 0, sizeof record);
    FindPartitionData(static_cast<uint64_t>(disk), static_cast<uint8_t>(partition), record);
    const int kind = record.DynamicDisk != 0 ? -1 : static_cast<int>(record.FileSystemType);
    bool bad = false;
    if (m_command != nullptr && record.SectorCount != 0)
        bad = m_command->IsBadDisk(static_cast<uint8_t>(disk & 0xFF), record.StartSector,
                                   record.StartSector + record.SectorCount - 1) != 0;
    look.swatchColour = DeviceListSwatchColour(bad, kind, record.PartitionType);
    look.greyed = IsRowDisabled(disk, partition);
    DrawChildCells(cr, iter, look);
}

void CDeviceList::DrawRows(cairo_t* cr)
{
    GtkTreeIter root;
    bool more = Store() != nullptr && gtk_tree_model_get_iter_first(Model(), &root);
    for (; more; more = gtk_tree_model_iter_next(Model(), &root)) {
        m_checkBoxDrawing = true;
        if (RowExpanded(&root)) {
            if (m_haveCheckBox == 0)
                m_checkBoxDrawing = false;
            GtkTreeIter child;
            bool has = gtk_tree_model_iter_children(Model(), &child, &root);
            for (; has; has = gtk_tree_model_iter_next(Model(), &child))
                DrawPartitionRow(cr, &child);
        } else if (m_haveCheckBox != 0) {
            m_checkBoxDrawing = false;
        }
        CellLook look;
        look.selected = IsSelectedRow(&root);
        look.drawCheck = m_checkBoxDrawing;
        look.checked = IntAt(&root, COL_CHECKED) != 0;
        DrawDiskRow(cr, &root, DeviceDiskTitleShown(TextAt(&root, COL_TITLE), m_checkBoxDrawing, m_noEmptyDiskSuffix),
                    look);
    }
}
