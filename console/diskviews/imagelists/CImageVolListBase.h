// What the two image volume lists (restore and check image) share beyond the list
// base: the volume records of one version, owned by the list and replaced on each fill;
// the checked-volume vector handed out; the row-checked function; the rows drawn with
// the image lists' swatches. Each list names its own store columns.
#pragma once

#include <cstdint>
#include <vector>

#include "CListBase.h"
#include "ImageVolumeRows.h"
#include "KSVolume.h"

struct ImageListColumns {
    int height, title, disk, part, checked, record, typeColumn;
};

class CImageVolListBase : public CListBase {
public:
    GtkWidget* GetListWidgetInterface() const { return GetScrolledWindow(); }
    GtkWidget* GetListWidget() const { return GetTreeView(); }
    void SetRowCheckedCallBack(void (*fn)(void*), void* context)
    {
        m_rowChecked = fn;
        m_rowCheckedContext = context;
    }
    int GetDiskNum() const { return m_diskCount; }
    std::vector<_KS_VOLUME*> GetVolInfo() const { return m_checked; }
    void UpdateList() { QueueRedraw(); }

protected:
    CImageVolListBase(bool showCheckBoxes, const ImageListColumns& columns);

    // Pointers of every checked child row's record (null for a row without one), in
    // tree order.
    int CollectCheckedVolumes();
    // The n-th checked record into out; false when n is out of range or the entry null.
    bool CopyCheckedVolume(uint16_t n, _KS_VOLUME& out) const;
    // The selected row's record; null when none is selected or the row has none.
    const _KS_VOLUME* SelectedRecord() const;
    void NotifyRowChecked() const
    {
        if (m_rowChecked != nullptr)
            m_rowChecked(m_rowCheckedContext);
    }

    // Disk rows first, then their children when expanded; childHeight 0 keeps the view's
    // row height; the Type swatch on every row with a record (and, when
    // swatchWithoutRecord, on the others too, coloured as an unknown kind).
    void DrawImageRows(cairo_t* cr, int childHeight, bool swatchWithoutRecord);

    bool m_showCheckBoxes;
    ImageListColumns m_columns;
    std::vector<_KS_VOLUME> m_records;
    std::vector<_KS_VOLUME*> m_checked;
    int m_diskCount = 0;

private:
    bool IsHighlighted(GtkTreeIter* iter) const;

    void (*m_rowChecked)(void*) = nullptr;
    void* m_rowCheckedContext = nullptr;
};
