// The restore wizard's checkable tree of one version of an image set: a root row per
// stored disk, a child row per stored volume and, when asked for, an "MBR and Track 0"
// row per disk. The user checks either one whole disk or exactly one row of one disk;
// every check and cursor key is reported with the number of rows under the disk
// concerned.
#pragma once

#include "CImageVolListBase.h"
#include "ISectorBySectorInterface.h"
#include "PartitionRules.h"

class ITasque;
struct _KS_VERSION;

class CRestoreVolListCtrl : public CImageVolListBase {
public:
    enum {
        COL_PARTITION,
        COL_TYPE,
        COL_SIZE,
        COL_USED,
        COL_UNUSED,
        COL_PRILOG,
        COL_LAST,
        COL_HEIGHT,
        COL_TITLE,
        COL_FLAG,
        COL_DISK,
        COL_PART,
        COL_CHECKED,
        COL_RECORD,
        COL_COUNT
    };
    static constexpr unsigned long kNoSelectedVolume = 0x04CE1207;
    static constexpr int kNoSourceDisk = 1000;

    explicit CRestoreVolListCtrl(bool showCheckBoxes);

    // Call before InitList.
    void SetAddMBRRowOrNot(bool add) { m_addMbrRow = add; }
    // (Re)fills the list with the volumes of version; a null path or version gives an
    // empty list. Returns 0.
    int InitList(ITasque* cmd, const char* path, _KS_VERSION* version);
    void SetRowChangedCallBack(ISectorBySectorInterface* callback) { m_rowChanged = callback; }

    int GetCheckedVolNum() { return CollectCheckedVolumes(); }
    int GetCheckedVol(uint16_t n, _KS_VOLUME& out) const { return CopyCheckedVolume(n, out) ? 1 : 0; }
    unsigned long GetSelectedVol(_KS_VOLUME& out) const;
    int GetSrcDiskIndex() const { return m_sourceDisk; }
    void SetSelectedDriveLetter(GtkTreeIter* iter, const char* text);
    static enumFILE_SYSTEM_TYPE GetFileSysTypeFromVoltype(unsigned short code)
    {
        return ::GetFileSysTypeFromVoltype(code);
    }

protected:
    gboolean OnButtonPress(GdkEventButton* event) override;
    void OnListKey(unsigned keyval) override;
    void DrawRows(cairo_t* cr) override { DrawImageRows(cr, kChildCellHeight, false); }

private:
    static constexpr int kChildCellHeight = 20;
    void Toggle(GtkTreeIter* iter);
    // Rows under the disk of iter (iter itself when it is a disk row).
    int RowsUnderDiskOf(GtkTreeIter* iter) const;
    void Notify(int rows) const;

    ISectorBySectorInterface* m_rowChanged = nullptr;
    ITasque* m_command = nullptr;
    int m_sourceDisk = kNoSourceDisk;
    bool m_addMbrRow = false;
};
