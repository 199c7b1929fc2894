// The target partition page's decisions: every change of the device list's row
// recomputes the target from scratch and allows Next only for a target that can take
// the image volume; Next asks where the target is risky and records the target.
#pragma once

#include "CTargetPartitionRules.h"
#include "PageMessage.h"

class IWizard;
class IManagerItem;

class CTargetPartitionPageLogic {
public:
    CTargetPartitionPageLogic(IWizard* wizard, PageMessage message);
    virtual ~CTargetPartitionPageLogic() {}

    void InitPage();
    // The device list's selection: a disk row has partition < 0.
    void RowChanged(int disk, int partition);
    // Next: false when the page stays.
    bool OnNextClicked(int disk, int partition);
    // Whether the row's target has too little space for the volume being restored.
    bool TargetTooSmall(int disk, int partition);

    static constexpr const char* kCannotLock =
        "Can not lock volume,please restore system partition or boot partition with ISO under LINUX operating system!";
    static constexpr const char* kCannotBoot = "To restore to this partition cannot ensure boot. Are you sure to go on?";

protected:
    // What the page reads of the selection; tests replace it.
    virtual TargetPartitionFacts ReadTarget(int disk, int partition, IManagerItem*& item);

private:
    void Refuse(const TargetPartitionVerdict& verdict);

    IWizard* wizard_;
    PageMessage message_;
};
