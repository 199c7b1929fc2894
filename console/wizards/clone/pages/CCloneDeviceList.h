// The whole hard disks of the machine as the clone's source and destination pages list
// them: one row per disk with its number, capacity, model and interface. A listed disk
// that is not there gets no row; the others keep their numbers. It remembers
// the disk of the selected row and tells its owner page of every selection change.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "CScrollBar.h"
#include "KSDiskInfo.h"
#include "ITargetPartitionList.h"

class ICensa;

// The texts of one disk's row.
struct CloneDeviceRow {
    std::string device, capacity, model, interfaceName;
    int index = 0;
};
CloneDeviceRow MakeCloneDeviceRow(int index, const _KS_DISK_INFO& disk);

class CCloneDeviceList {
public:
    enum {
        COL_ICON, COL_DEVICE, COL_INDEX, COL_CAPACITY, COL_MODEL, COL_INTERFACE, COL_ZERO, COL_HEIGHT, COL_EMPTY,
        COL_ROW, COL_SPARE, COL_COUNT
    };

    // censa: the disk enumeration; null takes the process's own.
    explicit CCloneDeviceList(ICensa* censa = nullptr);
    ~CCloneDeviceList();
    CCloneDeviceList(const CCloneDeviceList&) = delete;
    CCloneDeviceList& operator=(const CCloneDeviceList&) = delete;

    void InitDeviceList();
    GtkWidget* GetDeviceListWidgetInterface() const { return m_box; }
    GtkWidget* GetDeviceListWidget() const { return m_treeView; }
    void SetRowChangedCallBack(ITargetPartitionList* callback) { m_callback = callback; }
    int GetSelectDisk() const { return m_selectDisk; }
    // Selects the row of disk `index` (a disk number, not a row).
    void SetSelectDisk(int index);
    int GetSelectItemData() const;
    int RowCount() const;
    // The row that lists disk `disk`, -1 when none does.
    int RowOfDisk(int disk) const;
    // The first listed disk that is not `disk`, -1 when there is none.
    int FirstDiskOtherThan(int disk) const;

private:
    static void OnCursorChanged(GtkTreeView*, gpointer self);
    static gboolean OnExpose(GtkWidget* widget, GdkEventExpose* event, gpointer self);
    void DrawHeaders(GtkWidget* widget, GdkWindow* window);

    std::unique_ptr<CScrollBar> m_scrollBar;
    GtkWidget* m_treeView = nullptr;
    GtkTreeSelection* m_selection = nullptr;
    GtkTreeStore* m_model = nullptr;
    GdkPixbuf* m_diskIcon = nullptr;
    GtkWidget* m_box = nullptr;
    ITargetPartitionList* m_callback = nullptr;
    ICensa* m_censa = nullptr;
    int m_selectDisk = 0;
};
