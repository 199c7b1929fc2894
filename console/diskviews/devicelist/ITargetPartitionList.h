// Told when the selected row of a device list changes (the clone wizard's source and
// target pages, the restore wizard's target-partition page).
#pragma once

class ITargetPartitionList {
public:
    virtual ~ITargetPartitionList() {}
    virtual void DeviceListRowChangedCallBack() = 0;
};
