// The console's tree list of the live disks and their partitions, with optional check
// boxes: a root row per disk, a child row per partition. It fills itself through the
// command object's enumeration and draws its rows itself. A page registers an
// ITargetPartitionList to hear when the selected row changes and reads the selection
// back as a disk and a partition number.
#pragma once

#include <cstdint>
#include <vector>

#include "CListBase.h"
#include "DeviceListRows.h"
#include "ITargetPartitionList.h"

class ITasque;

class CDeviceList : public CListBase {
public:
    // Store columns.
    enum {
        COL_PARTITION,
        COL_TYPE,
        COL_SIZE,
        COL_USED,
        COL_UNUSED,
        COL_STATUS,
        COL_PRILOG,
        COL_LAST,
        COL_HEIGHT,
        COL_TITLE,
        COL_IS_DISK,
        COL_DISK,
        COL_PART,
        COL_CHECKED,
        COL_COUNT
    };
    static constexpr unsigned long kNothingSelected = 0x056D1208;

    // checkBoxDrawing is recomputed on every redraw; showUnallocated lists free
    // stretches; noEmptyDiskSuffix keeps " Empty Disk" off the disk titles.
    CDeviceList(bool checkBoxDrawing, bool showUnallocated, bool noEmptyDiskSuffix);
    ~CDeviceList() override;

    void SetTasque(ITasque* command) { m_command = command; }
    // (Re)fills the list from the command object; old rows, partition entries and the
    // primary count go first.
    void InitDeviceList();
    void SetRowChangedCallBack(ITargetPartitionList* callback) { m_rowChanged = callback; }

    GtkWidget* GetDeviceListWidgetInterface() const { return GetScrolledWindow(); }
    GtkWidget* GetDeviceListWidget() const { return GetTreeView(); }

    // The selected row's partition (0xFFFF on a disk row) and disk; kNothingSelected
    // when no row is selected.
    unsigned long GetCurrentSelectDevice(uint16_t& partition, uint16_t& disk);
    void FindPartitionData(uint64_t disk, uint8_t partition, __PARTITION_INFO_CMD& out) const;
    // Keys (disk << 16 | partition) of the checked partition rows; their count.
    int GetSelectParttNum();
    int GetTheSelectParttPos(uint16_t n, uint16_t& disk, uint16_t& partition) const;
    int GetPrimaryPartitionNumber() const { return m_primaryCount; }
    void SetHaveCheckBox(int have) { m_haveCheckBox = have; }
    // Clears the check of the last clicked row, of its parent and of its first child.
    void SetChildIterCheckState();
    void UpdateDeviceList() { QueueRedraw(); }

    // The (disk, partition) of every partition row, in list order.
    std::vector<std::pair<int, int>> PartitionRows() const;
    // Rows that cannot be chosen: drawn in grey, and a click or a key does not select
    // them. A selected row that becomes one is unselected.
    void SetDisabledRows(const std::vector<std::pair<int, int>>& rows);
    bool IsRowDisabled(int disk, int partition) const;

protected:
    gboolean OnButtonPress(GdkEventButton* event) override;
    void OnListKey(unsigned keyval) override;
    void DrawRows(cairo_t* cr) override;
    double HeaderTitleRaise(const char* title) const override;

private:
    static void CursorChanged(GtkTreeView* view, gpointer self);
    static gboolean MaySelect(GtkTreeSelection*, GtkTreeModel* model, GtkTreePath* path, gboolean selected,
                              gpointer self);
    bool IsSelectedRow(GtkTreeIter* iter) const;
    void DrawPartitionRow(cairo_t* cr, GtkTreeIter* iter);

    ITasque* m_command = nullptr;
    ITargetPartitionList* m_rowChanged = nullptr;
    bool m_checkBoxDrawing;
    bool m_showUnallocated;
    bool m_noEmptyDiskSuffix;
    std::vector<DevicePartitionEntry> m_entries;
    std::vector<uint32_t> m_checkedKeys;
    int m_primaryCount = 0;
    GtkTreeIter m_lastClicked{};
    bool m_haveLastClicked = false;
    int m_haveCheckBox = 0;
    std::vector<std::pair<int, int>> m_disabledRows;
};
