#include "CVolListCtrl.h"

#include <cstring>
#include <string>

#include "ListKeys.h"

namespace {

const ImageListColumns kCheckColumns{CVolListCtrl::COL_HEIGHT, CVolListCtrl::COL_TITLE,   CVolListCtrl::COL_DISK,
                                     CVolListCtrl::COL_PART,   CVolListCtrl::COL_CHECKED, CVolListCtrl::COL_RECORD,
                                     CVolListCtrl::COL_TYPE};

} // namespace

CVolListCtrl::CVolListCtrl(bool showCheckBoxes) : CImageVolListBase(showCheckBoxes, kCheckColumns) {}

int CVolListCtrl::InitList(ITasque* cmd, const char* path, _KS_VERSION* version)
{
    m_checked.clear();
    m_diskCount = 0;
    GtkTreeStore* store = gtk_tree_store_new(COL_COUNT, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
                                             G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_INT,
                                             G_TYPE_STRING, G_TYPE_BOOLEAN, G_TYPE_INT, G_TYPE_INT, G_TYPE_INT,
                                             G_TYPE_POINTER);
    // The old view goes before its records: its rows point into them.
    InstallTreeView(store, COL_HEIGHT);
    int count = 0;
    m_records = FetchImageVolumes(cmd, path, version, m_checkImage != 0, &count);
    if (m_checkImage == 0)
        m_volumeCount = count;
    const int checked = m_checkImage != 0 ? 1 : 0;
    for (const ImageDiskVolumes& disk : GroupImageVolumes(m_records)) {
        GtkTreeIter root;
        gtk_tree_store_append(store, &root, nullptr);
        // Numbered from 1, as the restore list and the check's progress page number disks.
        const std::string title = "Disk" + std::to_string(disk.disk + 1);
        gtk_tree_store_set(store, &root, COL_PARTITION, "", COL_TYPE, nullptr, COL_SIZE, "", COL_USED, "", COL_UNUSED,
                           "", COL_STATUS, "", COL_PRILOG, "", COL_HEIGHT, 30, COL_TITLE, title.c_str(), COL_IS_VOLUME,
                           FALSE, COL_DISK, disk.disk, COL_PART, -1, COL_CHECKED, checked, COL_RECORD, nullptr, -1);
        ++m_diskCount;
        for (size_t index : disk.records) {
            _KS_VOLUME* volume = &m_records[index];
            const VolumeRowTexts texts = ImageVolumeRowTexts(*volume, false);
            GtkTreeIter child;
            gtk_tree_store_append(store, &child, &root);
            gtk_tree_store_set(store, &child, COL_PARTITION, texts.partition.c_str(), COL_TYPE, texts.type.c_str(),
                               COL_SIZE, texts.size.c_str(), COL_USED, texts.used.c_str(), COL_UNUSED,
                               texts.unused.c_str(), COL_STATUS, texts.status.c_str(), COL_PRILOG,
                               texts.priLog.c_str(), COL_HEIGHT, 16, COL_IS_VOLUME, TRUE, COL_DISK,
                               static_cast<int>(volume->DiskNumber), COL_PART,
                               static_cast<int>(volume->PartitionNumber), COL_CHECKED, checked, COL_RECORD, volume,
                               -1);
        }
    }
    gtk_tree_view_expand_all(GTK_TREE_VIEW(GetTreeView()));
    for (_KS_VOLUME& volume : m_records)
        m_checked.push_back(&volume);
    NotifyRowChecked();
    return 0;
}

unsigned long CVolListCtrl::GetSelectedVol(_KS_VOLUME& out) const
{
    const _KS_VOLUME* record = SelectedRecord();
    if (record == nullptr)
        return kNoSelectedVolume;
    std::memcpy(&out, record, sizeof out);
    return 0;
}

gboolean CVolListCtrl::OnButtonPress(GdkEventButton* event)
{
    if (GetTreeView() == nullptr || event->window != gtk_tree_view_get_bin_window(GTK_TREE_VIEW(GetTreeView())))
        return FALSE;
    // A quick second click adds a double-press event after its press: only presses count.
    if (event->type != GDK_BUTTON_PRESS)
        return FALSE;
    GtkTreeIter iter;
    if (event->button == 1 && IterAtEvent(event, &iter))
        ToggleRow(&iter, COL_CHECKED, CheckRule::AcrossDisks);
    NotifyRowChecked();
    return FALSE; // the view's own selection follows
}

void CVolListCtrl::OnListKey(unsigned keyval)
{
    GtkTreeIter iter;
    if (ListKeyIsSpace(keyval) && SelectedIter(&iter))
        ToggleRow(&iter, COL_CHECKED, CheckRule::AcrossDisks);
    NotifyRowChecked();
}
