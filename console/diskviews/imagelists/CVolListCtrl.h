// The check-image wizard's checkable tree of the disks and volumes stored in one
// version of an image set. Any number of volumes on any number of disks may be
// checked; the owner appends the view columns it wants.
#pragma once

#include "CImageVolListBase.h"

class ITasque;
struct _KS_VERSION;

class CVolListCtrl : public CImageVolListBase {
public:
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
        COL_IS_VOLUME,
        COL_DISK,
        COL_PART,
        COL_CHECKED,
        COL_RECORD,
        COL_COUNT
    };
    static constexpr unsigned long kNoSelectedVolume = 0x05681207;

    explicit CVolListCtrl(bool showCheckBoxes);

    // Reads the set through the check-image group, every row starting checked. Call
    // before InitList.
    void SetCheckImage() { m_checkImage = 1; }
    // (Re)fills the list with the volumes of version, then calls the row-checked
    // function. Returns 0.
    int InitList(ITasque* cmd, const char* path, _KS_VERSION* version);

    // The checked volumes' records, in tree order; their count. The records are handed
    // on as the set stores them.
    int GetCheckedVolNum() { return CollectCheckedVolumes(); }
    int GetCheckedVol(uint16_t n, _KS_VOLUME& out) const { return CopyCheckedVolume(n, out) ? 1 : 0; }
    unsigned long GetSelectedVol(_KS_VOLUME& out) const;
    // The count the restore group reported on the last fill.
    int GetVolumeCount() const { return m_volumeCount; }

protected:
    gboolean OnButtonPress(GdkEventButton* event) override;
    void OnListKey(unsigned keyval) override;
    void DrawRows(cairo_t* cr) override { DrawImageRows(cr, 0, true); }

private:
    int m_checkImage = 0;
    int m_volumeCount = 0;
};
