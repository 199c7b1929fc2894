// The target disk page's decisions: which disk rows allow Next, and, on Next, the
// plan of a whole-disk restore (refused when it cannot hold the image's data) or the
// disk item of a boot-record restore.
#pragma once

#include <string>
#include <vector>

#include "CTargetDiskChoice.h"
#include "CTargetDiskPlanner.h"
#include "PageMessage.h"

class IWizard;
struct TagRestoreInfo;

class CTargetDiskPageLogic {
public:
    CTargetDiskPageLogic(IWizard* wizard, PageMessage message);
    virtual ~CTargetDiskPageLogic() {}

    // The disks the enumeration numbers; a listed disk that is not there (a missing
    // disk image) keeps its number but its record cannot be read.
    int DiskCount();
    _KS_DISK_INFO DiskRecord(int index);
    // The disk is there: the page offers it as a target.
    bool DiskPresent(int index);

    // Returns the disk to select (-1: none) for the page's entry; -2 keeps the choice.
    int InitPage();
    // A row was chosen (-1: none selected).
    void RowChanged(int diskIndex);
    // Gathers the choice: last page, the Next label and the 1-based target disk.
    int UpDate(int selectedDisk);
    // Next: false when the page stays.
    bool OnNextClicked(int selectedDisk);

    int SelectedDisk() const { return selected_; }

    static constexpr const char* kTooSmall = "The destination disk is too small for source disk.";

protected:
    // What the page reads of a disk; tests replace it.
    virtual TargetDiskFacts ReadDisk(int index);
    TargetDiskRequest Request() const;
    CTargetDiskPlanner Planner() const;
    // Lays the image out on the chosen disk; false when the plan cannot be used.
    bool EditDiskRelayout();

    IWizard* wizard_;
    PageMessage message_;
    int selected_ = 0;
};
