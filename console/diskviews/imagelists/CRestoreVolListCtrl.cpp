#include "CRestoreVolListCtrl.h"

#include <cstring>
#include <string>

#include "ListKeys.h"
#include "ListText.h"

namespace {

const ImageListColumns kRestoreColumns{CRestoreVolListCtrl::COL_HEIGHT, CRestoreVolListCtrl::COL_TITLE,
                                       CRestoreVolListCtrl::COL_DISK,   CRestoreVolListCtrl::COL_PART,
                                       CRestoreVolListCtrl::COL_CHECKED, CRestoreVolListCtrl::COL_RECORD,
                                       CRestoreVolListCtrl::COL_TYPE};
const char* const kMbrRowText = "MBR and Track 0";

} // namespace

CRestoreVolListCtrl::CRestoreVolListCtrl(bool showCheckBoxes) : CImageVolListBase(showCheckBoxes, kRestoreColumns) {}

int CRestoreVolListCtrl::InitList(ITasque* cmd, const char* path, _KS_VERSION* version)
{
    m_command = cmd;
    m_checked.clear();
    m_diskCount = 0;
    m_sourceDisk = kNoSourceDisk;
    GtkTreeStore* store =
        gtk_tree_store_new(COL_COUNT, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
                           G_TYPE_STRING, G_TYPE_STRING, G_TYPE_INT, G_TYPE_STRING, G_TYPE_BOOLEAN, G_TYPE_INT,
                           G_TYPE_INT, G_TYPE_INT, G_TYPE_POINTER);
    // The old view goes before its records: its rows point into them.
    InstallTreeView(store, COL_HEIGHT);
    m_records = FetchImageVolumes(cmd, path, version, false, nullptr);
    for (const ImageDiskVolumes& disk : GroupImageVolumes(m_records)) {
        GtkTreeIter root;
        gtk_tree_store_append(store, &root, nullptr);
        const std::string title = "Disk" + std::to_string(disk.disk + 1);
        gtk_tree_store_set(store, &root, COL_PARTITION, "", COL_TYPE, "", COL_SIZE, "", COL_USED, "", COL_UNUSED, "",
                           COL_PRILOG, "", COL_HEIGHT, 30, COL_TITLE, title.c_str(), COL_FLAG, FALSE, COL_DISK,
                           disk.disk, COL_PART, -1, COL_CHECKED, 0, COL_RECORD, nullptr, -1);
        ++m_diskCount;
        for (size_t index : disk.records) {
            _KS_VOLUME* volume = &m_records[index];
            const VolumeRowTexts texts = ImageVolumeRowTexts(*volume, true);
            GtkTreeIter child;
            gtk_tree_store_append(store, &child, &root);
            gtk_tree_store_set(store, &child, COL_PARTITION, texts.partition.c_str(), COL_TYPE, texts.type.c_str(),
                               COL_SIZE, texts.size.c_str(), COL_USED, texts.used.c_str(), COL_UNUSED,
                               texts.unused.c_str(), COL_PRILOG, texts.priLog.c_str(), COL_HEIGHT, 16, COL_FLAG, FALSE,
                               COL_DISK, static_cast<int>(volume->DiskNumber), COL_PART,
                               static_cast<int>(volume->PartitionNumber), COL_CHECKED, 0, COL_RECORD, volume, -1);
        }
        if (m_addMbrRow) {
            GtkTreeIter mbr;
            gtk_tree_store_append(store, &mbr, &root);
            gtk_tree_store_set(store, &mbr, COL_PARTITION, kMbrRowText, COL_TYPE, kMbrRowText, COL_SIZE, " ", COL_USED,
                               " ", COL_UNUSED, " ", COL_PRILOG, " ", COL_TITLE, " ", COL_HEIGHT, 16, COL_FLAG, FALSE,
                               COL_DISK, disk.disk, COL_PART, kMbrRowPartition, COL_CHECKED, 0, COL_RECORD, nullptr,
                               -1);
        }
    }
    gtk_tree_view_expand_all(GTK_TREE_VIEW(GetTreeView()));
    AppendColumn("Partition", COL_PARTITION, 0.0f, 0.0f, 140, 0);
    AppendColumn("Type", COL_TYPE, 0.0f, 0.0f, 100, 0);
    AppendColumn("Size", COL_SIZE, 1.0f, 1.0f, 80, 0);
    AppendColumn("Used", COL_USED, 1.0f, 1.0f, 80, 0);
    AppendColumn("Unused", COL_UNUSED, 1.0f, 1.0f, 70, 0);
    AppendColumn("Pri/Log", COL_PRILOG, 0.0f, 0.0f, 110, 0);
    AppendColumn(" ", COL_LAST, 0.0f, 0.0f, 1, 0);
    return 0;
}

unsigned long CRestoreVolListCtrl::GetSelectedVol(_KS_VOLUME& out) const
{
    const _KS_VOLUME* record = SelectedRecord();
    if (record == nullptr)
        return kNoSelectedVolume;
    std::memcpy(&out, record, sizeof out);
    return 0;
}

void CRestoreVolListCtrl::SetSelectedDriveLetter(GtkTreeIter* iter, const char* text)
{
    if (Store() != nullptr && iter != nullptr && gtk_tree_store_iter_is_valid(Store(), iter))
        gtk_tree_store_set(Store(), iter, COL_PARTITION, text, -1);
}

void CRestoreVolListCtrl::Toggle(GtkTreeIter* iter)
{
    if (ToggleRow(iter, COL_CHECKED, CheckRule::OneVolumeOrOneDisk))
        m_sourceDisk = IntAt(iter, COL_DISK);
}

int CRestoreVolListCtrl::RowsUnderDiskOf(GtkTreeIter* iter) const
{
    GtkTreeIter disk = *iter;
    GtkTreeIter parent;
    if (gtk_tree_model_iter_parent(Model(), &parent, iter))
        disk = parent;
    return gtk_tree_model_iter_n_children(Model(), &disk);
}

void CRestoreVolListCtrl::Notify(int rows) const
{
    NotifyRowChecked();
    if (m_rowChanged != nullptr)
        m_rowChanged->RestoreInfoListRowChangedCallBack(rows);
}

gboolean CRestoreVolListCtrl::OnButtonPress(GdkEventButton* event)
{
    if (GetTreeView() == nullptr || event->window != gtk_tree_view_get_bin_window(GTK_TREE_VIEW(GetTreeView())))
        return FALSE;
    // The toolkit adds a double- and triple-press event after the presses of a quick
    // second click: the presses themselves have been handled.
    if (event->type != GDK_BUTTON_PRESS)
        return TRUE;
    int rows = 0;
    GtkTreeIter iter;
    if (event->button == 1 && IterAtEvent(event, &iter)) {
        // The view's own handling does not run: the list selects the row itself.
        GtkTreePath* path = gtk_tree_model_get_path(Model(), &iter);
        gtk_tree_view_set_cursor(GTK_TREE_VIEW(GetTreeView()), path, nullptr, FALSE);
        gtk_tree_path_free(path);
        Toggle(&iter);
        rows = RowsUnderDiskOf(&iter);
    }
    Notify(rows);
    return TRUE;
}

void CRestoreVolListCtrl::OnListKey(unsigned keyval)
{
    GtkTreeIter iter;
    const bool selected = SelectedIter(&iter);
    if (ListKeyIsSpace(keyval) && selected)
        Toggle(&iter);
    Notify(selected ? RowsUnderDiskOf(&iter) : 0);
}
