// The target partition page: the machine's disks and partitions in the device list;
// its decisions are CTargetPartitionPageLogic's.
#pragma once

#include <memory>

#include "CBaseWizardPage.h"
#include "CTargetPartitionPageLogic.h"
#include "ITargetPartitionList.h"

class CDeviceList;

class CSelectTargetPartitionPage : public CBaseWizardPage, public ITargetPartitionList {
public:
    explicit CSelectTargetPartitionPage(IWizard* wizard);
    ~CSelectTargetPartitionPage() override;

    int IsValid() override { return 0; }
    void InitPage() override;
    int UpDate() override { return 0; }
    void OnHelpClicked() override;
    void OnBackClicked() override;
    void OnNextClicked() override;
    void OnQuitClicked() override;
    void DeviceListRowChangedCallBack() override;

    CDeviceList* GetDeviceList() const { return m_list.get(); }

private:
    // The selection as (disk, partition); partition -1 on a disk row or none.
    bool Selection(int& disk, int& partition);

    CTargetPartitionPageLogic m_logic;
    std::unique_ptr<CDeviceList> m_list;
};
